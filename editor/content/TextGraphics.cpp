#include "content/TextGraphics.h"

#include <algorithm>
#include <cstdio>

#include "content/GraphicRules.h"
#include "content/Utf8.h"
#include "strings/SignCharset.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "strings/TextGraphicTexts.h"

namespace lumavox {

namespace {

constexpr const char* kTextGraphicPrefix = "TXT";

// Blanks and ASCII punctuation, which join a lacking run between two of its
// characters.
bool joinsRun(char32_t c) {
    return c == ' ' || (c > ' ' && c < 0x7F && !(c >= '0' && c <= '9') &&
                        !((c | 0x20) >= 'a' && (c | 0x20) <= 'z'));
}

// The text as a refusal names it: its first 40 characters and "..." after a
// longer one, so that a message about a very long text stays readable.
std::string namedInRefusal(std::u32string_view text) {
    constexpr size_t kShown = 40;
    if (text.size() <= kShown) return utf8Of(text);
    return utf8Of(text.substr(0, kShown)) + "...";
}

}  // namespace

int signCodeOfCharacter(char32_t c) {
    if (c == U'\x7F') return charset::kBlockCode;
    return charset::signCodeOf(c);
}

std::vector<TextPiece> splitForSign(std::u32string_view text,
                                    const std::function<int(char32_t)>& codeOf) {
    // The code of each character, -1 where the font lacks it.
    std::vector<int> codes(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        codes[i] = c == '\r' ? kCR : c == '\n' ? kLF : c == '\t' ? ' ' : codeOf(c);
    }
    // Blanks and punctuation between two lacking characters join the run.
    for (size_t i = 0; i < text.size();) {
        if (codes[i] < 0 || !joinsRun(text[i]) || i == 0 || codes[i - 1] >= 0) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && codes[end] >= 0 && joinsRun(text[end]))
            ++end;
        if (end < text.size() && codes[end] < 0)
            std::fill(codes.begin() + static_cast<std::ptrdiff_t>(i),
                      codes.begin() + static_cast<std::ptrdiff_t>(end), -1);
        i = end;
    }
    std::vector<TextPiece> pieces;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool lacking = codes[i] < 0;
        if (pieces.empty() || pieces.back().lacking != lacking) {
            pieces.emplace_back();
            pieces.back().lacking = lacking;
        }
        pieces.back().text.push_back(text[i]);
        if (!lacking) pieces.back().codes.push_back(static_cast<uint16_t>(codes[i]));
    }
    return pieces;
}

std::string textGraphicName(const WorkArea& wa) {
    for (int n = 1;; ++n) {
        std::string name = kTextGraphicPrefix + std::to_string(n);
        if (!wa.findGraphic(name)) return name;
    }
}

bool addTextGraphic(WorkArea& wa, std::u32string_view text, const CharItem& attributes,
                    TextPainter& painter, const Clock& clock, ConvertedText& made,
                    std::string& refusal) {
    const std::string shown = namedInRefusal(text);
    if (!addGraphicRefusal(wa).empty()) {
        refusal = textf(msg::kTextGraphicTooMany, {shown});
        return false;
    }
    const int rows = std::min(painter.rowsOf(attributes.font), static_cast<int>(wa.signHeight));
    DrawnText drawn;
    char32_t missing = 0;
    if (!painter.paint(text, rows, drawn, missing)) {
        char code[16];
        std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(missing));
        refusal = textf(msg::kTextGraphicNoFont, {std::string(code), shown});
        return false;
    }
    if (drawn.width > wa.signWidth) {
        refusal = textf(msg::kTextGraphicTooWide, {shown, drawn.width, int{wa.signWidth}});
        return false;
    }
    const std::string name = textGraphicName(wa);
    if (!createGraphic(wa, name, drawn.width, drawn.height, clock, refusal)) return false;
    GraphicFile& g = wa.graphics.back();
    const uint32_t lit = painter.pixelOf(attributes.colour);
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x)
            if (drawn.dots[static_cast<size_t>(y) * static_cast<size_t>(drawn.width) +
                           static_cast<size_t>(x)])
                g.pixel(x, y) = lit;
    made = {utf8Of(text), name, drawn.width, drawn.height};
    return true;
}

bool textToSignItems(WorkArea& wa, std::u32string_view text, const CharItem& attributes,
                     const std::function<int(char32_t)>& codeOf, TextPainter& painter,
                     const Clock& clock, std::vector<TextItem>& items,
                     std::vector<ConvertedText>* converted, std::string& refusal) {
    const size_t graphicsBefore = wa.graphics.size();
    std::vector<TextItem> made;
    std::vector<ConvertedText> drawn;
    for (const TextPiece& piece : splitForSign(text, codeOf)) {
        if (!piece.lacking) {
            CharItem c = attributes;
            for (uint16_t code : piece.codes) {
                c.character = code;
                made.push_back(TextItem::character(c));
            }
            continue;
        }
        ConvertedText one;
        if (!addTextGraphic(wa, piece.text, attributes, painter, clock, one, refusal)) {
            wa.graphics.resize(graphicsBefore);
            return false;
        }
        made.push_back(makeGraphicItem(wa.graphics.back(), attributes.flash));
        drawn.push_back(std::move(one));
    }
    items.insert(items.end(), made.begin(), made.end());
    if (converted) converted->insert(converted->end(), drawn.begin(), drawn.end());
    return true;
}

}  // namespace lumavox

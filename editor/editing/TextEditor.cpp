#include "editing/TextEditor.h"

#include "content/TextGraphics.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

#include "content/Document.h"
#include "content/EditRules.h"
#include "content/GraphicRules.h"
#include "content/TextGraphics.h"
#include "content/Vocabulary.h"
#include "render/FontSet.h"
#include "render/Layout.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

using Diff = std::ptrdiff_t;

bool isBreak(const TextItem& item) {
    return item.isCharCode(kCR) || item.isCharCode(kLF);
}

// Date/time, temperature and counter items carry the character attributes of
// the text they show.
bool carriesTextAttributes(const TextItem& item) {
    return item.kind == kDateTime || item.kind == kTempCounter;
}

CharItem attributesOf(const TextItem& item) {
    if (item.isChar()) return item.ch();
    CharItem c;
    const ControlParams& p = item.params();
    c.font = static_cast<uint8_t>(p.valueB);
    c.colour = static_cast<uint8_t>(p.valueC);
    c.property = static_cast<uint8_t>(p.valueD);
    c.flash = p.byteE;
    return c;
}

// Row breaks end rows; a row holds at most one row pitch. Checks the rows that
// items [from, to) touch.
bool oneRowPitchPerRow(const std::vector<TextItem>& items, size_t from, size_t to) {
    while (from > 0 && !isBreak(items[from - 1]))
        --from;
    int inRow = 0;
    for (size_t i = from; i < items.size(); ++i) {
        if (items[i].kind == kRowPitch && ++inRow > 1) return false;
        if (isBreak(items[i])) {
            if (i >= to) break;
            inRow = 0;
        }
    }
    return true;
}

// Merges one more value into a shown attribute: the first value seen is kept
// while the others agree, a differing one empties it for good.
struct Merge {
    std::optional<int> value;
    bool mixed = false;
    void add(int v) {
        if (mixed) return;
        if (!value)
            value = v;
        else if (*value != v) {
            value.reset();
            mixed = true;
        }
    }
};

}  // namespace

RowMap rowMapFromScreens(std::span<const Screen> screens) {
    RowMap rows;
    for (const Screen& screen : screens) {
        size_t placed = 0;
        for (const LineInfo& line : screen.lines) {
            if (line.itemCount <= 0) continue;
            CaretRow row;
            row.first = static_cast<size_t>(line.firstItem);
            row.next = row.first + static_cast<size_t>(line.itemCount);
            int x = line.x;
            for (size_t i = row.first; i < row.next; ++i) {
                // Placed items come in item order; an item without a place
                // (nothing drawn) stands where the previous one ended.
                while (placed < screen.placed.size() &&
                       static_cast<size_t>(screen.placed[placed].index) < i)
                    ++placed;
                if (placed < screen.placed.size() &&
                    static_cast<size_t>(screen.placed[placed].index) == i) {
                    const PlacedItem& p = screen.placed[placed];
                    row.left.push_back(p.x);
                    x = p.x + p.width;
                } else {
                    row.left.push_back(x);
                }
                row.right = x;
            }
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

TextEditor::TextEditor(EditorDocument& document) : doc_(document) {
    listener_ = doc_.addListener([this](unsigned changes) {
        if (changes & kChangedCurrentFile) {
            caret_ = anchor_ = 0;
            chosen_.reset();
        }
        if (changes & (kChangedItems | kChangedFiles)) {
            chosen_.reset();
            clamp();
        }
    });
}

TextEditor::~TextEditor() {
    doc_.removeListener(listener_);
}

size_t TextEditor::markerIndex() const {
    const TextFile* f = file();
    return f && !f->items.empty() ? f->items.size() - 1 : 0;
}

void TextEditor::clamp() {
    caret_ = std::min(caret_, markerIndex());
    anchor_ = std::min(anchor_, markerIndex());
}

void TextEditor::caretMoved() {
    chosen_.reset();
    run_.reset();
}

TextEditor::Range TextEditor::selection() const {
    size_t end = markerIndex();
    Range r{std::min(caret_, anchor_), std::max(caret_, anchor_)};
    r.first = std::min(r.first, end);
    r.last = std::min(r.last, end);
    return r;
}

void TextEditor::setCaret(size_t index, bool extend) {
    caret_ = std::min(index, markerIndex());
    if (!extend) anchor_ = caret_;
    caretMoved();
}

void TextEditor::select(size_t first, size_t last) {
    anchor_ = std::min(first, markerIndex());
    caret_ = std::min(last, markerIndex());
    caretMoved();
}

void TextEditor::selectAll() {
    select(0, markerIndex());
}

const TextItem* TextEditor::itemAtCaret() const {
    const TextFile* f = file();
    if (!f || f->items.empty()) return nullptr;
    return &f->items[std::min(caret_, f->items.size() - 1)];
}

void TextEditor::move(Move how, bool extend, const RowMap* rows) {
    const TextFile* f = file();
    if (!f) return;
    const auto& items = f->items;
    const size_t end = markerIndex();
    Range sel = selection();
    size_t to = caret_;

    // The row the caret is in, by the breaks of the text.
    auto rowStart = [&](size_t at) {
        size_t i = std::min(at, end);
        while (i > 0 && !isBreak(items[i - 1]))
            --i;
        return i;
    };
    auto rowEnd = [&](size_t at) {
        size_t i = std::min(at, end);
        while (i < end && !isBreak(items[i]))
            ++i;
        return i;
    };
    // The view's row holding a caret position; the marker belongs to the last row.
    auto findRow = [&](size_t at) -> std::optional<size_t> {
        if (!rows || rows->empty()) return std::nullopt;
        for (size_t r = 0; r < rows->size(); ++r)
            if (at >= (*rows)[r].first && at < (*rows)[r].next) return r;
        if (at >= rows->back().next) return rows->size() - 1;
        return std::nullopt;
    };
    auto xOf = [&](const CaretRow& row, size_t at) {
        return at >= row.first && at < row.next ? row.left[at - row.first] : row.right;
    };

    switch (how) {
        case Move::Left:
            to = !extend && !sel.empty() ? sel.first : (caret_ > 0 ? caret_ - 1 : 0);
            break;
        case Move::Right:
            to = !extend && !sel.empty() ? sel.last : std::min(caret_ + 1, end);
            break;
        case Move::FileStart:
            to = 0;
            break;
        case Move::FileEnd:
            to = end;
            break;
        case Move::Home:
        case Move::End: {
            std::optional<size_t> r = findRow(caret_);
            if (!r) {
                to = how == Move::Home ? rowStart(caret_) : rowEnd(caret_);
                break;
            }
            const CaretRow& row = (*rows)[*r];
            if (how == Move::Home) {
                to = row.first;
            } else if (row.next > row.first && isBreak(items[std::min(row.next - 1, end)])) {
                to = row.next - 1;  // before the row's break
            } else {
                to = *r + 1 == rows->size() ? end : std::max(row.first, row.next - 1);
            }
            break;
        }
        case Move::Up:
        case Move::Down: {
            const bool up = how == Move::Up;
            std::optional<size_t> r = findRow(caret_);
            if (!r) {
                // Rows by the breaks of the text, keeping the column.
                size_t start = rowStart(caret_);
                size_t column = caret_ - start;
                if (up) {
                    if (start == 0) break;
                    size_t prevStart = rowStart(start - 1);
                    to = std::min(prevStart + column, start - 1);
                } else {
                    size_t stop = rowEnd(caret_);
                    if (stop >= end) break;
                    size_t nextStart = stop + 1;
                    to = std::min(nextStart + column, rowEnd(nextStart));
                }
                break;
            }
            if ((up && *r == 0) || (!up && *r + 1 >= rows->size())) break;
            const CaretRow& from = (*rows)[*r];
            const CaretRow& row = (*rows)[up ? *r - 1 : *r + 1];
            const int x = xOf(from, caret_);
            int best = std::numeric_limits<int>::max();
            for (size_t i = row.first; i < row.next && i <= end; ++i) {
                int d = std::abs(row.left[i - row.first] - x);
                if (d < best) {
                    best = d;
                    to = i;
                }
            }
            if (&row == &rows->back() && std::abs(row.right - x) < best) to = end;
            break;
        }
    }
    setCaret(to, extend);
}

CharItem TextEditor::attributes() const {
    if (chosen_) return *chosen_;
    const TextFile* f = file();
    if (!f || f->items.empty()) {
        CharItem c;
        c.colour = defaultColour(doc_.mode());
        return c;
    }
    const auto& items = f->items;
    for (size_t i = std::min(caret_, items.size() - 1); i > 0; --i)
        if (items[i - 1].isChar() || carriesTextAttributes(items[i - 1]))
            return attributesOf(items[i - 1]);
    for (size_t i = std::min(caret_, items.size() - 1); i < items.size(); ++i)
        if (items[i].isChar() || carriesTextAttributes(items[i])) return attributesOf(items[i]);
    return attributesOf(items.back());
}

ShownAttributes TextEditor::shownAttributes() const {
    Range sel = selection();
    const TextFile* f = file();
    if (sel.empty() || !f) {
        CharItem c = attributes();
        return {c.font, c.colour, c.property, c.flash};
    }
    Merge font, colour, property, flash;
    for (size_t i = sel.first; i < sel.last; ++i) {
        const TextItem& item = f->items[i];
        if (item.isChar() || carriesTextAttributes(item)) {
            CharItem c = attributesOf(item);
            font.add(c.font);
            colour.add(c.colour);
            property.add(c.property);
            flash.add(c.flash);
        } else if (item.kind == kGraphicItem) {
            flash.add(item.params().flash2);
        }
    }
    return {font.value, colour.value, property.value, flash.value};
}

template <typename Fn>
bool TextEditor::applyAttribute(Fn apply, int value, bool valid) {
    if (!editable_ || !valid || !file()) return false;
    Range sel = selection();
    run_.reset();
    if (sel.empty()) {
        CharItem c = attributes();
        apply(c, value);
        chosen_ = c;
        return true;
    }
    return doc_.changeCurrent([&](TextFile& f) {
        bool changed = false;
        for (size_t i = sel.first; i < sel.last; ++i) {
            TextItem& item = f.items[i];
            if (item.isChar()) {
                CharItem before = item.ch();
                apply(item.ch(), value);
                changed |= !(before == item.ch());
            } else if (carriesTextAttributes(item)) {
                CharItem c = attributesOf(item);
                CharItem before = c;
                apply(c, value);
                ControlParams& p = item.params();
                p.valueB = c.font;
                p.valueC = c.colour;
                p.valueD = c.property;
                p.byteE = c.flash;
                changed |= !(before == c);
            } else if (item.kind == kGraphicItem) {
                // A graphic carries only its flash.
                CharItem c;
                c.flash = item.params().flash2;
                CharItem before = c;
                apply(c, value);
                item.params().flash2 = c.flash;
                changed |= !(before == c);
            }
        }
        return changed;
    });
}

bool TextEditor::applyFont(int font) {
    bool valid = fonts_ && font >= 0 && font < fonts_->FontCount();
    // A graphic has no font: keep its flash as it is.
    return applyAttribute([](CharItem& c, int v) { c.font = static_cast<uint8_t>(v); }, font,
                          valid);
}

bool TextEditor::applyColour(int colour) {
    return applyAttribute([](CharItem& c, int v) { c.colour = static_cast<uint8_t>(v); }, colour,
                          validColour(doc_.mode(), colour));
}

bool TextEditor::applyProperty(int property) {
    return applyAttribute([](CharItem& c, int v) { c.property = static_cast<uint8_t>(v); },
                          property, property >= 0 && property <= 2);
}

bool TextEditor::applyFlash(int flash) {
    return applyAttribute([](CharItem& c, int v) { c.flash = static_cast<uint8_t>(v); }, flash,
                          flash == 0 || flash == 1);
}

std::pair<int, int> TextEditor::fontCodes(int font) const {
    if (!fonts_) return {0, 0};
    return {fonts_->FirstCode(font), fonts_->EndCode(font)};
}

bool TextEditor::replaceSelection(std::vector<TextItem> items, bool typed, bool joinLast) {
    Range sel = selection();
    size_t caret = sel.empty() ? caret_ : sel.first;
    size_t after = caret;
    bool ok = doc_.changeCurrent(
        [&](TextFile& f) {
            auto& list = f.items;
            if (!sel.empty())
                list.erase(list.begin() + static_cast<Diff>(sel.first),
                           list.begin() + static_cast<Diff>(sel.last));
            if (typed && !items.empty()) {
                // Typing over a selection replaces it; it does not also overwrite
                // the item after it.
                after =
                    placeTypedItem(f, caret, std::move(items.front()), overwrite_ && sel.empty());
                return true;
            }
            const size_t count = items.size();
            list.insert(list.begin() + static_cast<Diff>(std::min(caret, list.size() - 1)),
                        std::make_move_iterator(items.begin()),
                        std::make_move_iterator(items.end()));
            after = caret + count;
            return !sel.empty() || count > 0;
        },
        joinLast);
    if (ok) setCaret(after);
    return ok;
}

bool TextEditor::type(uint16_t character) {
    if (!editable_ || !file()) return false;
    CharItem attrs = attributes();
    auto [first, end] = fontCodes(attrs.font);
    std::optional<TextItem> item = makeTypedChar(character, attrs, first, end);
    if (!item) return false;
    std::vector<TextItem> one;
    one.push_back(std::move(*item));
    // The character joins the run when nothing happened since its last one
    // and no pause came between.
    const uint64_t now = doc_.clock().tickMs();
    const bool joins = run_ && run_->caret == caret_ && run_->serial == doc_.stateSerial() &&
                       !hasSelection() && now - run_->tickMs < kTypingPauseMs;
    if (!replaceSelection(std::move(one), true, joins)) return false;
    run_ = TypingRun{caret_, doc_.stateSerial(), now};
    return true;
}

bool TextEditor::backspace() {
    if (!editable_ || !file()) return false;
    if (hasSelection()) return replaceSelection({}, false);
    if (caret_ == 0) return false;
    size_t at = caret_ - 1;
    bool ok = doc_.changeCurrent([&](TextFile& f) {
        f.items.erase(f.items.begin() + static_cast<Diff>(at));
        return true;
    });
    if (ok) setCaret(at);
    return ok;
}

bool TextEditor::deleteForward() {
    if (!editable_ || !file()) return false;
    if (hasSelection()) return replaceSelection({}, false);
    if (caret_ >= markerIndex()) return false;
    size_t at = caret_;
    bool ok = doc_.changeCurrent([&](TextFile& f) {
        f.items.erase(f.items.begin() + static_cast<Diff>(at));
        return true;
    });
    if (ok) setCaret(at);
    return ok;
}

bool TextEditor::insertText(std::u32string_view text, TextPainter& painter, std::string& refusal,
                            bool drawAll) {
    refusal.clear();
    if (!editable_ || !file() || text.empty()) return false;
    const CharItem attrs = attributes();
    const auto [first, end] = fontCodes(attrs.font);
    auto codeOf = [first, end, drawAll](char32_t c) {
        const int code = signCodeOfCharacter(c);
        return !drawAll && code >= first && code < end ? code : -1;
    };
    const Range sel = selection();
    const size_t at = sel.empty() ? caret_ : sel.first;
    const int index = doc_.currentIndex();
    size_t count = 0;
    const bool ok = doc_.changeWorkArea([&](WorkArea& wa) {
        std::vector<TextItem> items;
        if (!textToSignItems(wa, text, attrs, codeOf, painter, doc_.clock(), items, nullptr,
                             refusal))
            return false;
        auto& list = wa.textFiles[static_cast<size_t>(index)].items;
        if (!sel.empty())
            list.erase(list.begin() + static_cast<Diff>(sel.first),
                       list.begin() + static_cast<Diff>(sel.last));
        count = items.size();
        list.insert(list.begin() + static_cast<Diff>(std::min(at, list.size() - 1)),
                    std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
        return true;
    });
    if (ok) setCaret(at + count);
    return ok;
}

bool TextEditor::typeDrawn(std::u32string_view text, TextPainter& painter, std::string& refusal) {
    refusal.clear();
    if (!editable_ || !file() || text.empty()) return false;
    const uint64_t now = doc_.clock().tickMs();
    const bool joins = drawn_ && drawn_->caret == caret_ && caret_ > 0 &&
                       drawn_->serial == doc_.stateSerial() && !hasSelection() &&
                       now - drawn_->tickMs < kTypingPauseMs;
    const std::u32string whole = joins ? drawn_->text + std::u32string(text) : std::u32string(text);
    const CharItem attrs = joins ? drawn_->attributes : attributes();
    const Range sel = selection();
    const size_t at = joins ? caret_ - 1 : sel.empty() ? caret_ : sel.first;
    const int index = doc_.currentIndex();
    std::string graphic;
    const bool ok = doc_.changeWorkArea(
        [&](WorkArea& wa) {
            auto& list = wa.textFiles[static_cast<size_t>(index)].items;
            // The run so far gives way to the whole run, drawn anew.
            std::optional<TextItem> oldItem;
            std::optional<std::pair<size_t, GraphicFile>> oldGraphic;
            if (joins) {
                oldItem = list[at];
                list.erase(list.begin() + static_cast<Diff>(at));
                for (size_t g = 0; g < wa.graphics.size(); ++g)
                    if (wa.graphics[g].name.str() == drawn_->graphic &&
                        !firstFileUsingGraphic(wa, drawn_->graphic)) {
                        oldGraphic.emplace(g, std::move(wa.graphics[g]));
                        wa.graphics.erase(wa.graphics.begin() + static_cast<Diff>(g));
                        break;
                    }
            } else if (!sel.empty()) {
                list.erase(list.begin() + static_cast<Diff>(sel.first),
                           list.begin() + static_cast<Diff>(sel.last));
            }
            std::vector<TextItem> items;
            auto lacking = [](char32_t) { return -1; };
            if (!textToSignItems(wa, whole, attrs, lacking, painter, doc_.clock(), items, nullptr,
                                 refusal)) {
                if (oldGraphic)
                    wa.graphics.insert(wa.graphics.begin() + static_cast<Diff>(oldGraphic->first),
                                       std::move(oldGraphic->second));
                if (oldItem) list.insert(list.begin() + static_cast<Diff>(at), *oldItem);
                return false;
            }
            graphic = items.front().params().name.str();
            list.insert(list.begin() + static_cast<Diff>(std::min(at, list.size() - 1)),
                        std::move(items.front()));
            return true;
        },
        joins);
    if (!ok) return false;
    setCaret(at + 1);
    drawn_ = DrawnRun{caret_, doc_.stateSerial(), now, whole, attrs, graphic};
    run_.reset();
    return true;
}

bool TextEditor::insertItems(std::vector<TextItem> items) {
    if (!editable_ || !file() || items.empty()) return false;
    return replaceSelection(std::move(items), false);
}

ClipboardPayload TextEditor::copy() const {
    ClipboardPayload payload;
    Range sel = selection();
    const TextFile* f = file();
    if (!f || sel.empty()) return payload;
    std::span<const TextItem> items(f->items.data() + sel.first, sel.size());
    payload.items = encodeClipboardItems(items);
    for (const TextItem& item : items) {
        if (!item.isChar()) continue;
        uint16_t c = item.ch().character;
        if (c == kCR)
            payload.text += "\r\n";
        else if (c == kLF)
            payload.text += '\n';
        else
            payload.text += static_cast<char>(c < 256 ? c : '?');
    }
    return payload;
}

ClipboardPayload TextEditor::cut() {
    if (!editable_ || !hasSelection()) return {};
    ClipboardPayload payload = copy();
    replaceSelection({}, false);
    return payload;
}

bool TextEditor::paste(const ClipboardPayload& payload, Prompter& prompter) {
    const TextFile* f = file();
    if (!editable_ || !f) return false;
    const WorkArea& work = doc_.work();
    std::vector<TextItem> items;
    if (payload.hasItems()) {
        std::string error;
        if (!decodeClipboardItems(payload.items, work.signHeight, doc_.mode(), items, error)) {
            prompter.message(error, Icon::Error);
            return false;
        }
    } else if (payload.hasText()) {
        CharItem attrs = attributes();
        auto [first, end] = fontCodes(attrs.font);
        items = textToItems(payload.text, attrs, first, end);
    }
    if (items.empty()) return false;

    // Calls in the pasted items must not make the file call itself.
    TextFile pasted;
    pasted.items = items;
    const std::string self = f->name.str();
    for (const std::string& callee : directCalls(pasted)) {
        std::string refusal = checkCall(work, self, callee);
        if (!refusal.empty()) {
            prompter.message(refusal, Icon::Error);
            return false;
        }
    }
    // Nor put a second row pitch into a row.
    Range sel = selection();
    std::vector<TextItem> result = f->items;
    size_t at = sel.empty() ? caret_ : sel.first;
    if (!sel.empty())
        result.erase(result.begin() + static_cast<Diff>(sel.first),
                     result.begin() + static_cast<Diff>(sel.last));
    result.insert(result.begin() + static_cast<Diff>(at), items.begin(), items.end());
    if (!oneRowPitchPerRow(result, at, at + items.size())) {
        prompter.message(text(msg::kOneRowPitch), Icon::Error);
        return false;
    }
    return replaceSelection(std::move(items), false);
}

}  // namespace lumavox

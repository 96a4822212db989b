#include "render/TextDots.h"

#include "content/FontCheck.h"
#include "content/Vocabulary.h"
#include "render/DotColours.h"
#include "render/FontSet.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

namespace lumavox {

namespace {

// Unifont's dots are drawn at this size and its whole multiples.
constexpr int kUnifontRows = 16;
constexpr const char* kUnifontFamily = "Unifont";

enum class Bidi : uint8_t { L, R, Digit, Neutral, Mark };

Bidi bidiClass(char32_t c) {
    hb_unicode_funcs_t* u = hb_unicode_funcs_get_default();
    const hb_unicode_general_category_t cat = hb_unicode_general_category(u, c);
    if (cat == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
        cat == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK ||
        cat == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK)
        return Bidi::Mark;
    if (cat == HB_UNICODE_GENERAL_CATEGORY_DECIMAL_NUMBER) return Bidi::Digit;
    const hb_script_t script = hb_unicode_script(u, c);
    if (script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN)
        return Bidi::Neutral;
    return hb_script_get_horizontal_direction(script) == HB_DIRECTION_RTL ? Bidi::R : Bidi::L;
}

// The embedding level of each character (0, 1 or 2) in the reduced form of
// the bidirectional algorithm described in the header.
std::vector<int> bidiLevels(std::u32string_view text) {
    std::vector<Bidi> cls(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        cls[i] = bidiClass(text[i]);
    int paragraph = 0;
    for (Bidi b : cls)
        if (b == Bidi::L || b == Bidi::R) {
            paragraph = b == Bidi::R ? 1 : 0;
            break;
        }
    const Bidi base = paragraph ? Bidi::R : Bidi::L;
    // Digits take the direction of the letters before them for neutrals
    // around them, and marks that of their base character.
    Bidi lastStrong = base;
    for (size_t i = 0; i < cls.size(); ++i) {
        if (cls[i] == Bidi::Mark) cls[i] = i > 0 ? cls[i - 1] : Bidi::Neutral;
        if (cls[i] == Bidi::L || cls[i] == Bidi::R) lastStrong = cls[i];
        if (cls[i] == Bidi::Digit && lastStrong == Bidi::L) cls[i] = Bidi::L;
    }
    auto strongOf = [](Bidi b) { return b == Bidi::Digit ? Bidi::R : b; };
    for (size_t i = 0; i < cls.size();) {
        if (cls[i] != Bidi::Neutral) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < cls.size() && cls[end] == Bidi::Neutral)
            ++end;
        const Bidi before = i > 0 ? strongOf(cls[i - 1]) : base;
        const Bidi after = end < cls.size() ? strongOf(cls[end]) : base;
        const Bidi resolved = before == after ? before : base;
        for (size_t k = i; k < end; ++k)
            cls[k] = resolved;
        i = end;
    }
    std::vector<int> levels(cls.size());
    for (size_t i = 0; i < cls.size(); ++i) {
        if (cls[i] == Bidi::R)
            levels[i] = 1;
        else if (cls[i] == Bidi::Digit)
            levels[i] = 2;
        else
            levels[i] = paragraph ? 2 : 0;
    }
    return levels;
}

// The order in which items of the given levels are shown, left to right:
// from the highest level down to the lowest odd one, every stretch at that
// level or above is reversed.
std::vector<size_t> visualOrder(const std::vector<int>& levels) {
    std::vector<size_t> order(levels.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (levels.empty()) return order;
    const int highest = *std::max_element(levels.begin(), levels.end());
    for (int level = highest; level >= 1; --level) {
        for (size_t i = 0; i < order.size();) {
            if (levels[order[i]] < level) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < order.size() && levels[order[end]] >= level)
                ++end;
            std::reverse(order.begin() + static_cast<std::ptrdiff_t>(i),
                         order.begin() + static_cast<std::ptrdiff_t>(end));
            i = end;
        }
    }
    return order;
}

// fontconfig's configuration is shared by the process; one drawer at a time
// asks it.
std::mutex& fontconfigLock() {
    static std::mutex m;
    return m;
}

FcConfig* fontconfig() {
    static FcConfig* config = [] {
        FcInit();
        return FcConfigGetCurrent();
    }();
    return config;
}

struct FontKey {
    std::string file;
    int index = 0;
    bool operator<(const FontKey& o) const {
        return std::tie(file, index) < std::tie(o.file, o.index);
    }
};

}  // namespace

struct TextDrawer::Impl {
    struct Face {
        FontKey key;
        FT_Face ft = nullptr;
        hb_font_t* hb = nullptr;
        bool unifont = false;
        int ppem = 0;
        bool holds(char32_t c) const { return FT_Get_Char_Index(ft, c) != 0; }
    };

    FT_Library library = nullptr;
    std::map<FontKey, std::unique_ptr<Face>> faces;
    // fontconfig's answer for (family asked for, character); null: no font.
    std::map<std::pair<std::string, char32_t>, Face*> picks;

    Impl() { FT_Init_FreeType(&library); }
    ~Impl() {
        for (auto& [key, face] : faces) {
            if (face->hb) hb_font_destroy(face->hb);
            if (face->ft) FT_Done_Face(face->ft);
        }
        if (library) FT_Done_FreeType(library);
    }

    Face* open(const FontKey& key) {
        auto found = faces.find(key);
        if (found != faces.end()) return found->second.get();
        auto face = std::make_unique<Face>();
        face->key = key;
        if (!library || FT_New_Face(library, key.file.c_str(), key.index, &face->ft) != 0) {
            faces.emplace(key, nullptr);
            return nullptr;
        }
        face->unifont =
            face->ft->family_name && std::string(face->ft->family_name) == kUnifontFamily;
        Face* raw = face.get();
        faces.emplace(key, std::move(face));
        return raw;
    }

    // fontconfig's best font holding `c`, the family asked for first.
    Face* pick(std::string_view family, char32_t c) {
        const auto cacheKey = std::make_pair(std::string(family), c);
        auto cached = picks.find(cacheKey);
        if (cached != picks.end()) return cached->second;
        Face* chosen = nullptr;
        {
            std::lock_guard lock(fontconfigLock());
            FcConfig* config = fontconfig();
            FcPattern* pattern = FcPatternCreate();
            if (!family.empty())
                FcPatternAddString(pattern, FC_FAMILY,
                                   reinterpret_cast<const FcChar8*>(std::string(family).c_str()));
            FcCharSet* chars = FcCharSetCreate();
            FcCharSetAddChar(chars, c);
            FcPatternAddCharSet(pattern, FC_CHARSET, chars);
            FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
            FcConfigSubstitute(config, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            FcResult result = FcResultNoMatch;
            FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &result);
            for (int i = 0; sorted && i < sorted->nfont && !chosen; ++i) {
                FcCharSet* has = nullptr;
                FcChar8* file = nullptr;
                int index = 0;
                if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &has) != FcResultMatch ||
                    !FcCharSetHasChar(has, c) ||
                    FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) != FcResultMatch)
                    continue;
                FcPatternGetInteger(sorted->fonts[i], FC_INDEX, 0, &index);
                Face* face = open({reinterpret_cast<const char*>(file), index});
                if (face && face->holds(c)) chosen = face;
            }
            if (sorted) FcFontSetDestroy(sorted);
            FcCharSetDestroy(chars);
            FcPatternDestroy(pattern);
        }
        picks.emplace(cacheKey, chosen);
        return chosen;
    }

    // The font that draws `c` when `previous` drew the character before it.
    Face* faceFor(char32_t c, int height, std::string_view family, Face* previous) {
        if (previous && previous->holds(c)) return previous;
        if (family.empty() && height >= kUnifontRows) {
            Face* unifont = pick(kUnifontFamily, c);
            if (unifont && unifont->unifont) return unifont;
        }
        return pick(family, c);
    }

    // Sizes the face for `height` rows; returns the baseline row.
    int size(Face& face, int height) {
        int ppem = 0;
        int baseline = 0;
        const FT_Face f = face.ft;
        if (face.unifont && height >= kUnifontRows) {
            const int scale = height / kUnifontRows;
            ppem = kUnifontRows * scale;
            const int ascent = f->units_per_EM > 0 ? f->ascender * ppem / f->units_per_EM : ppem;
            baseline = (height - ppem) / 2 + ascent;
        } else {
            const int extent = std::max(1, f->ascender - f->descender);
            const int upem = f->units_per_EM > 0 ? f->units_per_EM : extent;
            ppem = std::max(1, height * upem / extent);
            baseline = (f->ascender * ppem + upem / 2) / upem;
        }
        if (face.ppem != ppem) {
            FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(ppem));
            if (face.hb)
                hb_ft_font_changed(face.hb);
            else
                face.hb = hb_ft_font_create_referenced(f);
            face.ppem = ppem;
        }
        return baseline;
    }
};

TextDrawer::TextDrawer() : impl_(std::make_unique<Impl>()) {}
TextDrawer::~TextDrawer() = default;

std::string TextDrawer::fontFileFor(char32_t c, int height, std::string_view family,
                                    int* faceIndex) {
    Impl::Face* face = impl_->faceFor(c, height, family, nullptr);
    if (faceIndex) *faceIndex = face ? face->key.index : 0;
    return face ? face->key.file : std::string();
}

bool TextDrawer::draw(std::u32string_view text, int height, std::string_view family,
                      TextDrawing& out, char32_t& missing) {
    if (height < 1) return false;
    // Runs of one font and one level, in the text's order.
    struct Run {
        size_t first = 0;
        size_t end = 0;
        Impl::Face* face = nullptr;
        int level = 0;
    };
    const std::vector<int> levels = bidiLevels(text);
    std::vector<Run> runs;
    Impl::Face* previous = nullptr;
    for (size_t i = 0; i < text.size(); ++i) {
        Impl::Face* face = impl_->faceFor(text[i], height, family, previous);
        if (!face) {
            missing = text[i];
            return false;
        }
        previous = face;
        if (runs.empty() || runs.back().face != face || runs.back().level != levels[i])
            runs.push_back({i, i, face, levels[i]});
        runs.back().end = i + 1;
    }
    std::vector<int> runLevels;
    for (const Run& r : runs)
        runLevels.push_back(r.level);

    struct Placed {
        Impl::Face* face;
        unsigned glyph;
        int x;
        int y;
    };
    std::vector<Placed> placed;
    int pen = 0;  // 26.6
    bool cut = false;
    hb_buffer_t* buffer = hb_buffer_create();
    for (size_t r : visualOrder(runLevels)) {
        if (cut) break;
        const Run& run = runs[r];
        const int baseline = impl_->size(*run.face, height);
        hb_buffer_clear_contents(buffer);
        hb_buffer_add_utf32(buffer, reinterpret_cast<const uint32_t*>(text.data()),
                            static_cast<int>(text.size()), static_cast<unsigned>(run.first),
                            static_cast<int>(run.end - run.first));
        hb_buffer_set_direction(buffer, run.level % 2 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(run.face->hb, buffer, nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
        for (unsigned g = 0; g < count; ++g) {
            if (placed.size() >= static_cast<size_t>(kMaxTextDrawingWidth) ||
                (pen >> 6) > kMaxTextDrawingWidth) {
                cut = true;
                break;
            }
            placed.push_back({run.face, info[g].codepoint, (pen + pos[g].x_offset + 32) >> 6,
                              baseline - ((pos[g].y_offset + 32) >> 6)});
            pen += pos[g].x_advance;
        }
    }
    hb_buffer_destroy(buffer);

    // Each glyph's dots, then the drawing wide enough for the pen's end and
    // every dot left or right of it.
    struct Dots {
        int left = 0;
        int top = 0;
        int width = 0;
        int rows = 0;
        std::vector<uint8_t> on;
    };
    std::vector<Dots> glyphDots;
    int left = 0;
    int right = std::max(1, (pen + 32) >> 6);
    for (const Placed& p : placed) {
        Dots d;
        const FT_Face f = p.face->ft;
        impl_->size(*p.face, height);
        if (FT_Load_Glyph(f, p.glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0 &&
            f->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            const FT_Bitmap& b = f->glyph->bitmap;
            d.left = p.x + f->glyph->bitmap_left;
            d.top = p.y - f->glyph->bitmap_top;
            d.width = static_cast<int>(b.width);
            d.rows = static_cast<int>(b.rows);
            d.on.resize(static_cast<size_t>(d.width) * static_cast<size_t>(d.rows));
            for (int y = 0; y < d.rows; ++y)
                for (int x = 0; x < d.width; ++x)
                    d.on[static_cast<size_t>(y * d.width + x)] =
                        (b.buffer[y * b.pitch + (x >> 3)] >> (7 - (x & 7))) & 1;
            if (d.width > 0) {
                left = std::min(left, d.left);
                right = std::max(right, d.left + d.width);
            }
        }
        glyphDots.push_back(std::move(d));
    }

    if (cut) right = std::max(right, left + kMaxTextDrawingWidth + 1);
    TextDrawing drawing;
    drawing.width = right - left;
    drawing.height = height;
    drawing.dots.assign(static_cast<size_t>(drawing.width) * static_cast<size_t>(height), 0);
    for (size_t i = 0; i < placed.size(); ++i) {
        const Dots& d = glyphDots[i];
        for (int y = 0; y < d.rows; ++y) {
            const int row = d.top + y;
            if (row < 0 || row >= height) continue;
            for (int x = 0; x < d.width; ++x)
                if (d.on[static_cast<size_t>(y * d.width + x)])
                    drawing.dots[static_cast<size_t>(row) * static_cast<size_t>(drawing.width) +
                                 static_cast<size_t>(d.left + x - left)] = 1;
        }
        drawing.glyphs.push_back({placed[i].face->key.file, placed[i].face->key.index,
                                  placed[i].glyph, placed[i].x - left, placed[i].y});
    }
    out = std::move(drawing);
    return true;
}

std::vector<std::string> TextDrawer::families() {
    std::vector<std::string> names;
    std::lock_guard lock(fontconfigLock());
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(fontconfig(), pattern, fields);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch)
            names.emplace_back(reinterpret_cast<const char*>(name));
    }
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

SignTextPainter::SignTextPainter(SignMode mode, const FontSet* fonts, int signHeight,
                                 std::string family)
    : mode_(mode), fonts_(fonts), signHeight_(signHeight), family_(std::move(family)) {}

bool SignTextPainter::paint(std::u32string_view text, int height, DrawnText& out,
                            char32_t& missing) {
    TextDrawing drawing;
    if (!drawer_.draw(text, height, family_, drawing, missing)) return false;
    out.width = drawing.width;
    out.height = drawing.height;
    out.dots = std::move(drawing.dots);
    return true;
}

int SignTextPainter::rowsOf(int font) const {
    if (fonts_ && font >= 0 && font < fonts_->FontCount()) return fonts_->FontHeight(font, 0);
    return signHeight_;
}

uint32_t SignTextPainter::pixelOf(int colour) const {
    const Rgb lit = resolveColour(mode_, colour, defaultColour(mode_)).lit;
    if (lit == colours::kGreen) return kPixelGreen;
    if (lit == colours::kYellow) return kPixelYellow;
    return kPixelRed;
}

TextPainterFactory signTextPainters(std::filesystem::path programDir) {
    // The painter with the font set it reads the rows from.
    struct WithFonts final : TextPainter {
        FontSet fonts;
        SignTextPainter painter;
        WithFonts(SignMode mode, const std::filesystem::path& dir, int signHeight)
            : painter(mode, &fonts, signHeight) {
            const FontFileCheck check = checkFontFile(dir, signHeight);
            if (check.status == FontFileStatus::Ok) fonts.Load(check.path, nullptr);
        }
        bool paint(std::u32string_view text, int height, DrawnText& out,
                   char32_t& missing) override {
            return painter.paint(text, height, out, missing);
        }
        int rowsOf(int font) const override { return painter.rowsOf(font); }
        uint32_t pixelOf(int colour) const override { return painter.pixelOf(colour); }
    };
    return [dir = std::move(programDir)](int signHeight,
                                         SignMode mode) -> std::unique_ptr<TextPainter> {
        return std::make_unique<WithFonts>(mode, dir, signHeight);
    };
}

}  // namespace lumavox

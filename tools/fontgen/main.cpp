// fontgen: builds the sign font files "KV2fnt.bin", "KV3fnt.bin" and
// "KV4fnt.bin" from freely licensed fonts and our own hand-drawn table.
//
//   fontgen OUTDIR [FONTDIR]
//
// Bitmap strikes (X11 misc-fixed, Terminus) are taken dot for dot; outline
// fonts (Liberation) are rendered as monochrome bitmaps through FreeType at the
// largest size whose ascent and descent fit the font's height. Every font
// covers codes 32-194 of our character set (CharacterSet.h). The sources and
// their licences are listed in data/FONTS.md.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CharacterSet.h"
#include "HandFont5.h"

namespace fontgen {

namespace {

// A glyph as one byte per dot.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> dots;
    uint8_t& at(int x, int y) { return dots[static_cast<size_t>(y) * width + x]; }
    uint8_t at(int x, int y) const { return dots[static_cast<size_t>(y) * width + x]; }
    void resize(int w, int h) {
        width = w;
        height = h;
        dots.assign(static_cast<size_t>(w) * h, 0);
    }
};

struct Font {
    std::string name;
    int height = 0;
    std::vector<Bitmap> glyphs;  // codes kFirstCode .. kLastCode
};

[[noreturn]] void fail(const std::string& what) {
    std::cerr << "fontgen: " << what << "\n";
    std::exit(1);
}

// ---- Hand-drawn 5-row font ----

Bitmap parseHand(const char* rows) {
    std::vector<std::string> lines(1);
    for (const char* p = rows; *p; ++p) {
        if (*p == '/')
            lines.emplace_back();
        else
            lines.back() += *p;
    }
    Bitmap b;
    int ink = 0;
    for (const std::string& l : lines)
        ink = std::max(ink, static_cast<int>(l.size()));
    b.resize(ink + 1, static_cast<int>(lines.size()));
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < static_cast<int>(lines[static_cast<size_t>(y)].size()); ++x)
            b.at(x, y) = lines[static_cast<size_t>(y)][static_cast<size_t>(x)] == '#';
    return b;
}

Font handFont5(const std::string& name) {
    std::map<int, Bitmap> drawn;
    for (const HandGlyph& g : kHandFont5) {
        Bitmap b = parseHand(g.rows);
        if (b.height != 5) fail("hand glyph " + std::to_string(g.code) + " is not 5 rows");
        drawn[g.code] = b;
    }
    auto shapeOf = [&](int code) -> const Bitmap& {
        auto it = drawn.find(code);
        if (it != drawn.end()) return it->second;
        int c = code;
        if (c >= 128) c = static_cast<unsigned char>(fallbackOf(code));
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        it = drawn.find(c);
        if (it == drawn.end()) it = drawn.find('?');
        return it->second;
    };
    Font f;
    f.name = name;
    f.height = 5;
    for (int code = kFirstCode; code <= kLastCode; ++code)
        f.glyphs.push_back(shapeOf(code));
    return f;
}

// ---- FreeType sources ----

class FreeType {
  public:
    FreeType() {
        if (FT_Init_FreeType(&lib_)) fail("cannot start FreeType");
    }
    ~FreeType() { FT_Done_FreeType(lib_); }
    FT_Library lib() const { return lib_; }

  private:
    FT_Library lib_ = nullptr;
};

struct Face {
    FT_Face face = nullptr;
    int ascent = 0;
    int height = 0;
    ~Face() {
        if (face) FT_Done_Face(face);
    }
};

void openFace(FT_Library lib, const std::string& path, Face& f) {
    if (FT_New_Face(lib, path.c_str(), 0, &f.face)) fail("cannot open " + path);
}

// A bitmap strike, used at its one size: its cell is ascent + descent rows.
void useStrike(Face& f) {
    if (f.face->num_fixed_sizes < 1)
        fail(std::string("no bitmap strike in ") + f.face->family_name);
    if (FT_Select_Size(f.face, 0)) fail("cannot select the strike");
    f.ascent = static_cast<int>(f.face->size->metrics.ascender >> 6);
    f.height = f.ascent - static_cast<int>(f.face->size->metrics.descender >> 6);
}

// An outline font at the largest pixel size that fits `height` rows; spare
// rows go above the ascent, where accents need them.
void useOutline(Face& f, int height) {
    for (int size = height; size > 4; --size) {
        if (FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(size))) fail("cannot size the font");
        int ascent = static_cast<int>((f.face->size->metrics.ascender + 63) >> 6);
        int descent = static_cast<int>((-f.face->size->metrics.descender + 63) >> 6);
        if (ascent + descent <= height) {
            f.ascent = height - descent;
            f.height = height;
            return;
        }
    }
    fail("no size fits");
}

bool renderChar(Face& f, char32_t c, Bitmap& out) {
    FT_UInt index = FT_Get_Char_Index(f.face, c);
    if (c != U' ' && index == 0) return false;
    if (FT_Load_Glyph(f.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME))
        return false;
    FT_GlyphSlot slot = f.face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    int left = slot->bitmap_left;
    int shift = left < 0 ? -left : 0;  // ink left of the origin moves right
    int advance = static_cast<int>(slot->advance.x >> 6);
    int width = std::max(advance + shift, left + shift + static_cast<int>(bm.width));
    out.resize(width, f.height);
    for (unsigned row = 0; row < bm.rows; ++row) {
        int y = f.ascent - slot->bitmap_top + static_cast<int>(row);
        if (y < 0 || y >= f.height) continue;  // clipped to the cell
        const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
        for (unsigned col = 0; col < bm.width; ++col) {
            bool lit = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (src[col / 8] & (0x80 >> (col % 8)))
                                                           : src[col] >= 128;
            if (lit) out.at(left + shift + static_cast<int>(col), y) = 1;
        }
    }
    return true;
}

// A solid block as wide and tall as the ink of the digit zero.
Bitmap blockLike(const Bitmap& zero) {
    Bitmap b;
    b.resize(zero.width, zero.height);
    int top = zero.height, bottom = -1, right = -1;
    for (int y = 0; y < zero.height; ++y)
        for (int x = 0; x < zero.width; ++x)
            if (zero.at(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                right = std::max(right, x);
            }
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x <= right; ++x)
            b.at(x, y) = 1;
    return b;
}

Font fromFace(const std::string& name, Face& f) {
    Font font;
    font.name = name;
    font.height = f.height;
    for (int code = kFirstCode; code <= kLastCode; ++code) {
        Bitmap b;
        if (code == kBlockCode) {
            if (!renderChar(f, U'0', b)) fail("no digit zero in " + name);
            b = blockLike(b);
        } else if (!renderChar(f, unicodeOf(code), b) &&
                   !renderChar(f, static_cast<unsigned char>(fallbackOf(code)), b)) {
            renderChar(f, U'?', b);
        }
        font.glyphs.push_back(b);
    }
    return font;
}

Font strikeFont(FT_Library lib, const std::string& name, const std::string& path) {
    Face f;
    openFace(lib, path, f);
    useStrike(f);
    return fromFace(name, f);
}

Font outlineFont(FT_Library lib, const std::string& name, const std::string& path, int height) {
    Face f;
    openFace(lib, path, f);
    useOutline(f, height);
    return fromFace(name, f);
}

// A fatter face of a thin font: every lit dot also lights its right neighbour.
Font fattened(Font f, const std::string& name) {
    f.name = name;
    for (Bitmap& b : f.glyphs) {
        Bitmap wide;
        wide.resize(b.width + 1, b.height);
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x)
                if (b.at(x, y)) wide.at(x, y) = wide.at(x + 1, y) = 1;
        b = wide;
    }
    return f;
}

// ---- Writing ----

void appendFont(std::vector<uint8_t>& out, const Font& f) {
    if (f.name.empty() || f.name.size() > 5) fail("bad font name " + f.name);
    int maxWidth = 0;
    for (const Bitmap& b : f.glyphs) {
        if (b.height != f.height) fail("glyph height differs in " + f.name);
        maxWidth = std::max(maxWidth, b.width);
    }
    if (maxWidth > 255 || f.height > 255) fail("font too large: " + f.name);
    const int rowBytes = (maxWidth + 7) / 8;
    out.insert(out.end(), f.name.begin(), f.name.end());
    if (f.name.size() < 5) out.push_back(0);
    out.push_back(static_cast<uint8_t>(f.height));
    out.push_back(static_cast<uint8_t>(rowBytes));
    out.push_back(static_cast<uint8_t>(kFirstCode));
    out.push_back(static_cast<uint8_t>(f.glyphs.size()));
    for (const Bitmap& b : f.glyphs) {
        out.push_back(static_cast<uint8_t>(b.width));
        for (int y = 0; y < b.height; ++y)
            for (int k = 0; k < rowBytes; ++k) {
                uint8_t byte = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    int x = 8 * k + bit;
                    if (x < b.width && b.at(x, y)) byte |= static_cast<uint8_t>(0x80 >> bit);
                }
                out.push_back(byte);
            }
    }
}

void writeFile(const std::string& path, uint8_t model, const std::vector<Font>& fonts) {
    std::vector<uint8_t> out = {'K', 'R', 'V', 'F', 'O', 'N', 'T', 'S', 0, model};
    for (const Font& f : fonts)
        appendFont(out, f);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file) fail("cannot write " + path);
    std::cout << "wrote " << path << " (" << fonts.size() << " fonts, " << out.size()
              << " bytes)\n";
}

}  // namespace

int run(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: fontgen OUTDIR [FONTDIR]\n";
        return 2;
    }
    const std::string outDir = argv[1];
    const std::string root = argc == 3 ? argv[2] : "/usr/share/fonts";
    const std::string misc = root + "/X11/misc/";
    const std::string liberation = root + "/truetype/liberation2/";
    FreeType ft;
    FT_Library lib = ft.lib();

    const Font ss5 = handFont5("SS5");
    const Font ss7 = strikeFont(lib, "SS7", misc + "5x7.pcf.gz");
    const Font sf7 = fattened(ss7, "SF7");
    const Font sf10 = fattened(strikeFont(lib, "SF10", misc + "6x10.pcf.gz"), "SF10");
    const Font sma = strikeFont(lib, "SMA", misc + "4x6.pcf.gz");
    const Font tm16 = outlineFont(lib, "TM16", liberation + "LiberationSerif-Regular.ttf", 16);
    const Font ar16 = outlineFont(lib, "AR16", liberation + "LiberationSans-Regular.ttf", 16);

    // Font tags of signs up to 16 rows high, in index order.
    const Font ss16 = strikeFont(lib, "SS16", misc + "ter-u16n_unicode.pcf.gz");
    writeFile(outDir + "/KV2fnt.bin", 2,
              {ss5, ss7, sf7, sf10, ss16, strikeFont(lib, "SF16", misc + "ter-u16b_unicode.pcf.gz"),
               tm16, ar16, sma});

    // Taller signs: the fifteen fonts in tag order, then "SS16" for the
    // character pickers, which ask for it by name on every sign height. Being
    // last, it moves no tag's index.
    const std::vector<Font> tall = {
        ss5,
        ss7,
        sf7,
        sf10,
        strikeFont(lib, "SS15", misc + "9x15.pcf.gz"),
        strikeFont(lib, "SF15", misc + "9x15B.pcf.gz"),
        tm16,
        ar16,
        sma,
        strikeFont(lib, "SS24", misc + "ter-u24n_unicode.pcf.gz"),
        strikeFont(lib, "SF24", misc + "ter-u24b_unicode.pcf.gz"),
        outlineFont(lib, "TM12", liberation + "LiberationSerif-Regular.ttf", 12),
        outlineFont(lib, "AR12", liberation + "LiberationSans-Regular.ttf", 12),
        outlineFont(lib, "TM24", liberation + "LiberationSerif-Regular.ttf", 24),
        outlineFont(lib, "AR24", liberation + "LiberationSans-Regular.ttf", 24),
        ss16,
    };
    writeFile(outDir + "/KV3fnt.bin", 3, tall);
    writeFile(outDir + "/KV4fnt.bin", 4, tall);
    return 0;
}

}  // namespace fontgen

int main(int argc, char** argv) {
    return fontgen::run(argc, argv);
}

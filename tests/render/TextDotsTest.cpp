// Text drawn in dots with the computer's fonts, held against FreeType's own
// bitmaps and HarfBuzz's own shaping of the same font files.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <hb-ft.h>
#include <hb.h>

#include <string>
#include <vector>

#include "render/TextDots.h"

using namespace lumavox;

namespace {

// A face of the font file at a pixel size, opened by the test itself.
struct TestFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    TestFace(const std::string& file, int index, int ppem) {
        FT_Init_FreeType(&library);
        EXPECT_EQ(FT_New_Face(library, file.c_str(), index, &face), 0) << file;
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
    }
    ~TestFace() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
};

// HarfBuzz's glyphs and pen positions (whole dots) for the text in the face.
struct Shaped {
    std::vector<unsigned> glyphs;
    std::vector<int> x;
    std::vector<unsigned> clusters;
};
Shaped shape(FT_Face face, std::u32string_view text, hb_direction_t direction) {
    hb_font_t* font = hb_ft_font_create_referenced(face);
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf32(buffer, reinterpret_cast<const uint32_t*>(text.data()),
                        static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
    hb_buffer_set_direction(buffer, direction);
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(font, buffer, nullptr, 0);
    unsigned n = 0;
    hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &n);
    hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &n);
    Shaped s;
    int pen = 0;
    for (unsigned i = 0; i < n; ++i) {
        s.glyphs.push_back(info[i].codepoint);
        s.clusters.push_back(info[i].cluster);
        s.x.push_back((pen + pos[i].x_offset + 32) >> 6);
        pen += pos[i].x_advance;
    }
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    return s;
}

bool isUnifont(const std::string& file, int index) {
    TestFace f(file, index, 16);
    return f.face && std::string(f.face->family_name) == "Unifont";
}

}  // namespace

TEST(TextDots, AChineseWordOnSixteenRowsIsUnifontsOwnBitmap) {
    TextDrawer drawer;
    TextDrawing d;
    char32_t missing = 0;
    const std::u32string word = U"\u4E2D\u6587";  // "Chinese"
    ASSERT_TRUE(drawer.draw(word, 16, "", d, missing));
    ASSERT_EQ(d.glyphs.size(), 2u);
    const std::string file = d.glyphs[0].fontFile;
    ASSERT_TRUE(isUnifont(file, d.glyphs[0].faceIndex)) << file;
    EXPECT_EQ(d.height, 16);

    // Each character as FreeType renders it in one bit per dot, side by side
    // on Unifont's baseline.
    TestFace f(file, d.glyphs[0].faceIndex, 16);
    const int baseline = static_cast<int>(f.face->size->metrics.ascender >> 6);
    std::vector<uint8_t> expected;
    int pen = 0;
    std::vector<std::vector<uint8_t>> rows(16);
    for (char32_t c : word) {
        ASSERT_EQ(FT_Load_Char(f.face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
        const FT_GlyphSlot g = f.face->glyph;
        ASSERT_EQ(g->bitmap.pixel_mode, FT_PIXEL_MODE_MONO);
        const int advance = static_cast<int>(g->advance.x >> 6);
        for (auto& r : rows)
            r.resize(static_cast<size_t>(pen + advance), 0);
        for (unsigned y = 0; y < g->bitmap.rows; ++y)
            for (unsigned x = 0; x < g->bitmap.width; ++x) {
                const int row = baseline - g->bitmap_top + static_cast<int>(y);
                const int col = pen + g->bitmap_left + static_cast<int>(x);
                if (row < 0 || row >= 16) continue;
                rows[static_cast<size_t>(row)][static_cast<size_t>(col)] =
                    (g->bitmap.buffer[y * static_cast<unsigned>(g->bitmap.pitch) + x / 8] >>
                     (7 - x % 8)) &
                    1;
            }
        pen += advance;
    }
    ASSERT_EQ(d.width, pen);
    int lit = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < pen; ++x) {
            EXPECT_EQ(d.lit(x, y), rows[static_cast<size_t>(y)][static_cast<size_t>(x)] != 0)
                << x << "," << y;
            lit += d.lit(x, y);
        }
    EXPECT_GT(lit, 40);

    // At 32 rows every Unifont dot is a square of four.
    TextDrawing big;
    ASSERT_TRUE(drawer.draw(word, 32, "", big, missing));
    ASSERT_EQ(big.width, 2 * d.width);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < big.width; ++x)
            ASSERT_EQ(big.lit(x, y), d.lit(x / 2, y / 2)) << x << "," << y;
}

TEST(TextDots, AnArabicWordIsShapedRightToLeftAndJoinedAsHarfBuzzShapesIt) {
    TextDrawer drawer;
    TextDrawing d;
    char32_t missing = 0;
    const std::u32string word = U"\u0645\u0631\u062D\u0628\u0627";  // "welcome"
    for (int rows : {16, 12}) {
        ASSERT_TRUE(drawer.draw(word, rows, "", d, missing)) << rows;
        ASSERT_FALSE(d.glyphs.empty());
        const PlacedGlyph& first = d.glyphs[0];
        const std::string& file = first.fontFile;
        TestFace f(file, first.faceIndex, 16);
        // The module sizes the face; HarfBuzz is asked at the same size.
        const FT_Long upem = f.face->units_per_EM;
        const int ppem =
            rows >= 16 && isUnifont(file, first.faceIndex)
                ? 16
                : static_cast<int>(rows * upem / (f.face->ascender - f.face->descender));
        FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(ppem));
        const Shaped own = shape(f.face, word, HB_DIRECTION_RTL);
        ASSERT_EQ(d.glyphs.size(), own.glyphs.size()) << rows;
        for (size_t i = 0; i < own.glyphs.size(); ++i) {
            EXPECT_EQ(d.glyphs[i].glyph, own.glyphs[i]) << rows << " glyph " << i;
            EXPECT_EQ(d.glyphs[i].x - d.glyphs[0].x, own.x[i] - own.x[0]) << rows << " " << i;
        }
        // Right to left: the last letter is drawn leftmost, the first rightmost.
        EXPECT_EQ(own.clusters.front(), word.size() - 1);
        EXPECT_EQ(own.clusters.back(), 0u);
        // Joined: the letters take other forms than each letter alone.
        int differs = 0;
        for (size_t i = 0; i < word.size(); ++i) {
            const Shaped alone = shape(f.face, word.substr(i, 1), HB_DIRECTION_RTL);
            const size_t at = own.glyphs.size() - 1 - i;
            differs += alone.glyphs[0] != own.glyphs[at];
        }
        EXPECT_GE(differs, 3) << rows;
    }
}

TEST(TextDots, MixedDirectionsFollowTheLettersAndMissingCharactersAreNamed) {
    TextDrawer drawer;
    TextDrawing latinFirst, arabicOnly;
    char32_t missing = 0;
    // Two Arabic words with a blank between: one right-to-left stretch, so the
    // first word is drawn right of the second.
    const std::u32string two = U"\u0645\u0631\u062D\u0628\u0627 \u0628\u0643\u0645";
    ASSERT_TRUE(drawer.draw(two, 16, "", arabicOnly, missing));
    ASSERT_FALSE(arabicOnly.glyphs.empty());
    TextDrawing firstWord, secondWord;
    ASSERT_TRUE(drawer.draw(two.substr(0, 5), 16, "", firstWord, missing));
    ASSERT_TRUE(drawer.draw(two.substr(6), 16, "", secondWord, missing));
    EXPECT_EQ(arabicOnly.glyphs.back().glyph, firstWord.glyphs.back().glyph);
    EXPECT_EQ(arabicOnly.glyphs.front().glyph, secondWord.glyphs.front().glyph);
    // Latin before it keeps its place on the left.
    ASSERT_TRUE(drawer.draw(U"ok " + two, 16, "", latinFirst, missing));
    TextDrawing ok;
    ASSERT_TRUE(drawer.draw(U"o", 16, "", ok, missing));
    EXPECT_EQ(latinFirst.glyphs.front().glyph, ok.glyphs.front().glyph);
    EXPECT_EQ(latinFirst.glyphs.back().glyph, firstWord.glyphs.back().glyph);

    // A character no font has is named and nothing is drawn.
    TextDrawing untouched;
    EXPECT_FALSE(drawer.draw(U"a\U0010FFFD", 16, "", untouched, missing));
    EXPECT_EQ(missing, U'\U0010FFFD');
    EXPECT_EQ(untouched.width, 0);
    EXPECT_FALSE(drawer.draw(U"a", 0, "", untouched, missing));
}

#include <gtest/gtest.h>

#include "content/FontCheck.h"
#include "render/CharacterPicker.h"

namespace lumavox {
namespace {

TEST(CharacterPicker, CaptionAndCells) {
    EXPECT_EQ(pickerCaption("SS16", 16), "Special characters in 'SS16' font (in KV2FNT.bin):");
    EXPECT_EQ(pickerCaption("SS16", 24), "Special characters in 'SS16' font (in KV3FNT.bin):");
    EXPECT_EQ(pickerCell(0), (Rect{0, 0, 30, 30}));
    EXPECT_EQ(pickerCell(13), (Rect{90, 30, 30, 30}));
    EXPECT_EQ(kNormalCharacters.firstCode + kNormalCharacters.count, 128);
    EXPECT_EQ(kEuropeanCharacters.firstCode + kEuropeanCharacters.count, 195);
}

TEST(CharacterPicker, GlyphsAreCentredInTheirCells) {
    FontSet fonts;
    fonts.Load(std::filesystem::path(LUMAVOX_DATA_DIR) / "KV2fnt.bin", nullptr);
    const int ss16 = fonts.FindFont(kPickerFontName);
    ASSERT_GE(ss16, 0);
    // Cell 33 is in column 3 of row 3; the SS16 glyphs are 8 x 16: (30 - 8) / 2 = 11,
    // (30 - 16) / 2 = 7.
    EXPECT_EQ(pickerGlyphRect(fonts, ss16, 'A', 33), (Rect{90 + 11, 90 + 7, 8, 16}));
    RgbImage page = drawPickerPage(fonts, ss16, kEuropeanCharacters, colours::kRed);
    EXPECT_EQ(page.width(), 300);
    EXPECT_EQ(page.height(), 210);
    // Something is lit in the cell of the degree sign (code 169, the 42nd).
    const Rect cell = pickerCell(169 - 128);
    int lit = 0;
    for (int y = cell.y; y < cell.bottom(); ++y)
        for (int x = cell.x; x < cell.right(); ++x)
            lit += page.at(x, y) == colours::kRed;
    EXPECT_GT(lit, 3);
}

TEST(CharacterPicker, EverySignHeightHasThePickerFont) {
    // The pickers draw from the font file the sign height needs; a file without
    // "SS16" would leave both pages empty. Taller signs carry it after the
    // fifteen tag-ordered fonts.
    for (int height : {16, 24, 32, 64}) {
        SCOPED_TRACE(height);
        FontSet fonts;
        fonts.Load(std::filesystem::path(LUMAVOX_DATA_DIR) / fontFileNameForHeight(height),
                   nullptr);
        const int ss16 = fonts.FindFont(kPickerFontName);
        ASSERT_GE(ss16, 0);
        EXPECT_EQ(ss16, height <= 16 ? 4 : 15);
        for (const PickerPage& page : {kNormalCharacters, kEuropeanCharacters}) {
            RgbImage image = drawPickerPage(fonts, ss16, page, colours::kGreen);
            // Every cell but the space's shows dots.
            for (int n = 0; n < page.count; ++n) {
                if (page.firstCode + n == ' ') continue;
                const Rect cell = pickerCell(n);
                int lit = 0;
                for (int y = cell.y; y < cell.bottom(); ++y)
                    for (int x = cell.x; x < cell.right(); ++x)
                        lit += image.at(x, y) == colours::kGreen;
                EXPECT_GT(lit, 0) << page.firstCode + n;
            }
        }
    }
}

}  // namespace
}  // namespace lumavox

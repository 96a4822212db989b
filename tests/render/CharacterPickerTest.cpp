#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lumavox

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/DotColours.h"
#include "render/Rasteriser.h"

namespace lumavox {
namespace {

using colours::kBlack;
using colours::kBlue;
using colours::kGreen;
using colours::kRed;
using colours::kWhite;
using colours::kYellow;

// One character per dot: '.' black, 'R' red, 'G' green, 'Y' yellow, 'W' white,
// 'B' blue, 'L' light blue, 'C' cyan, 'M' magenta, '?' anything else.
std::vector<std::string> picture(const RgbImage& img) {
    std::vector<std::string> rows;
    for (int y = 0; y < img.height(); ++y) {
        std::string row;
        for (int x = 0; x < img.width(); ++x) {
            Rgb c = img.at(x, y);
            char ch = '?';
            if (c == kBlack) ch = '.';
            if (c == kRed) ch = 'R';
            if (c == kGreen) ch = 'G';
            if (c == kYellow) ch = 'Y';
            if (c == kWhite) ch = 'W';
            if (c == kBlue) ch = 'B';
            if (c == colours::kLightBlue) ch = 'L';
            if (c == colours::kCyan) ch = 'C';
            if (c == colours::kMagenta) ch = 'M';
            row += ch;
        }
        rows.push_back(row);
    }
    return rows;
}

using Rows = std::vector<std::string>;

GlyphPaint colourPaint(SignMode mode, int code, int k = 0) {
    GlyphPaint p;
    p.colour = resolveColour(mode, code, 1);
    p.visibleIndex = k;
    return p;
}

// An 8 x H glyph with every dot lit.
std::vector<uint8_t> solidGlyph(int height) {
    return std::vector<uint8_t>(static_cast<size_t>(height), 0xFF);
}

Rows drawSolid(SignMode mode, int code, int height, int k = 0) {
    RgbImage img(8, height);
    std::vector<uint8_t> bits = solidGlyph(height);
    drawGlyph(img, 0, 0, {bits.data(), 8, height, 1}, colourPaint(mode, code, k), {});
    return picture(img);
}

TEST(Rasteriser, AThirteenDotGlyphDrawsEightDotsAndThenFive) {
    RgbImage img(16, 1);
    const uint8_t bits[] = {0xFF, 0xFF};
    drawGlyph(img, 0, 0, {bits, 13, 1, 2}, colourPaint(SignMode::KV2, 1), {});
    EXPECT_EQ(picture(img), (Rows{"RRRRRRRRRRRRR..."}));
}

TEST(Rasteriser, SelectedItemsPaintTheirWholeCell) {
    const uint8_t bits[] = {0xA0, 0x40};
    RgbImage plain(4, 2);
    drawGlyph(plain, 0, 0, {bits, 3, 2, 1}, colourPaint(SignMode::KV2, 2), {});
    EXPECT_EQ(picture(plain), (Rows{"G.G.", ".G.."}));
    RgbImage selected(4, 2);
    GlyphPaint p;
    p.kind = GlyphPaint::Kind::Selected;
    drawGlyph(selected, 0, 0, {bits, 3, 2, 1}, p, {});
    EXPECT_EQ(picture(selected), (Rows{"WBW.", "BWB."}));
    RgbImage marker(4, 2);
    p.kind = GlyphPaint::Kind::Marker;
    drawGlyph(marker, 0, 0, {bits, 3, 2, 1}, p, {});
    EXPECT_EQ(picture(marker), (Rows{"L.L.", ".L.."}));
}

TEST(Rasteriser, DotsStayInsideTheClip) {
    const uint8_t bits[] = {0xFF, 0xFF, 0xFF};
    RgbImage img(6, 3);
    drawGlyph(img, -1, 0, {bits, 8, 3, 1}, colourPaint(SignMode::KV2, 3), {1, 1, 4, 2});
    EXPECT_EQ(picture(img), (Rows{"......", ".YYY..", "......"}));
}

TEST(Rasteriser, PlainColoursOfBothFamilies) {
    EXPECT_EQ(drawSolid(SignMode::KV2, 1, 1), (Rows{"RRRRRRRR"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 2, 1), (Rows{"GGGGGGGG"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 3, 1), (Rows{"YYYYYYYY"}));
    const char expected[] = "WRGBYCM";
    for (int code = 1; code <= 7; ++code)
        EXPECT_EQ(drawSolid(SignMode::NVS, code, 1), Rows{std::string(8, expected[code - 1])})
            << code;
    // Code 0 takes the default colour passed in, and red when that is 0 too.
    EXPECT_EQ(resolveColour(SignMode::KV2, 0, 2).lit, kGreen);
    EXPECT_EQ(resolveColour(SignMode::NVS, 0, 0).lit, kRed);
    EXPECT_EQ(resolveColour(SignMode::KV2, 17, 3).lit, kYellow);  // outside the KV2 table
}

TEST(Rasteriser, TwoColourCodesAlsoPaintTheUnlitDots) {
    const uint8_t bits[] = {0xF0};
    struct Case {
        SignMode mode;
        int code;
        const char* row;
    } cases[] = {
        {SignMode::KV2, 13, "RRRRGGGG"}, {SignMode::KV2, 14, "GGGGRRRR"},
        {SignMode::KV2, 15, "RRRRYYYY"}, {SignMode::KV2, 16, "GGGGYYYY"},
        {SignMode::NVS, 17, "....RRRR"}, {SignMode::NVS, 18, "GGGGRRRR"},
        {SignMode::NVS, 19, "YYYYRRRR"}, {SignMode::NVS, 20, "....GGGG"},
        {SignMode::NVS, 21, "RRRRGGGG"}, {SignMode::NVS, 22, "YYYYGGGG"},
        {SignMode::NVS, 23, "....YYYY"}, {SignMode::NVS, 24, "RRRRYYYY"},
        {SignMode::NVS, 25, "GGGGYYYY"},
    };
    for (const Case& c : cases) {
        RgbImage img(8, 1, kBlue);
        drawGlyph(img, 0, 0, {bits, 8, 1, 1}, colourPaint(c.mode, c.code), {});
        EXPECT_EQ(picture(img), Rows{c.row}) << c.code;
        // Drawing mode 3 paints them black.
        GlyphPaint black = colourPaint(c.mode, c.code);
        black.drawingMode = kBlackOutDrawingMode;
        drawGlyph(img, 0, 0, {bits, 8, 1, 1}, black, {});
        EXPECT_EQ(picture(img), Rows{"........"}) << c.code;
    }
    // Other codes leave unlit dots alone.
    RgbImage img(8, 1, kBlue);
    drawGlyph(img, 0, 0, {bits, 8, 1, 1}, colourPaint(SignMode::KV2, 1), {});
    EXPECT_EQ(picture(img), Rows{"RRRRBBBB"});
}

TEST(Rasteriser, PatternBandsByThirds) {
    // [RB1] on a 9-row glyph: three rows each of red, yellow, green.
    EXPECT_EQ(drawSolid(SignMode::KV2, 4, 9),
              (Rows{"RRRRRRRR", "RRRRRRRR", "RRRRRRRR", "YYYYYYYY", "YYYYYYYY", "YYYYYYYY",
                    "GGGGGGGG", "GGGGGGGG", "GGGGGGGG"}));
    // 7 rows: thirds of 2 rows, the bottom band takes the rest.
    EXPECT_EQ(drawSolid(SignMode::KV2, 4, 7), (Rows{"RRRRRRRR", "RRRRRRRR", "YYYYYYYY", "YYYYYYYY",
                                                    "GGGGGGGG", "GGGGGGGG", "GGGGGGGG"}));
    // The NVS numbering is 4 higher.
    EXPECT_EQ(drawSolid(SignMode::NVS, 8, 7), drawSolid(SignMode::KV2, 4, 7));
}

TEST(Rasteriser, PatternColumns) {
    EXPECT_EQ(drawSolid(SignMode::KV2, 5, 2), (Rows{"RRRYYYGG", "RRRYYYGG"}));  // [RB2]
    EXPECT_EQ(drawSolid(SignMode::KV2, 8, 1), (Rows{"RYGRYGRY"}));              // [RB5]
    EXPECT_EQ(drawSolid(SignMode::NVS, 12, 1), (Rows{"RYGRYGRY"}));
}

TEST(Rasteriser, RotatedBandsFollowTheItemCount) {
    // [RB3] on 3 rows: k mod 3 rotates red, yellow, green.
    EXPECT_EQ(drawSolid(SignMode::KV2, 6, 3, 0), (Rows{"RRRRRRRR", "YYYYYYYY", "GGGGGGGG"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 6, 3, 1), (Rows{"GGGGGGGG", "RRRRRRRR", "YYYYYYYY"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 6, 3, 2), (Rows{"YYYYYYYY", "GGGGGGGG", "RRRRRRRR"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 6, 3, 3), drawSolid(SignMode::KV2, 6, 3, 0));
    // [MIX1]: the whole glyph by k mod 3.
    EXPECT_EQ(drawSolid(SignMode::KV2, 9, 1, 0), (Rows{"RRRRRRRR"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 9, 1, 1), (Rows{"YYYYYYYY"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 9, 1, 2), (Rows{"GGGGGGGG"}));
    EXPECT_EQ(drawSolid(SignMode::KV2, 9, 1, 5), (Rows{"GGGGGGGG"}));
}

TEST(Rasteriser, PatternRowTables) {
    // [RB4]: rows yellow, green, red repeating; row 8 starts again.
    EXPECT_EQ(drawSolid(SignMode::KV2, 7, 9),
              (Rows{"YYYYYYYY", "GGGGGGGG", "RRRRRRRR", "YYYYYYYY", "GGGGGGGG", "RRRRRRRR",
                    "YYYYYYYY", "GGGGGGGG", "YYYYYYYY"}));
    // [MIX2]
    EXPECT_EQ(drawSolid(SignMode::KV2, 10, 8),
              (Rows{"GGRRRRGG", "GGGRRRRG", "GGGGRRRR", "GGRRRRGG", "RRRRGGGG", "GGRRRRGG",
                    "GGGGRRRR", "GGGGRRRR"}));
    // [MIX3]
    EXPECT_EQ(drawSolid(SignMode::KV2, 11, 3), (Rows{"RGYRGYRG", "YRGYRGYR", "GYRGYRGY"}));
}

TEST(Rasteriser, MixFourBands) {
    // [MIX4] on 8 rows: t = 2, f = 3. Rows 0-2 red, row 3 red and yellow,
    // rows 4-5 yellow, rows 6-7 green, row 6 (2f) with yellow columns.
    EXPECT_EQ(drawSolid(SignMode::KV2, 12, 8),
              (Rows{"RRRRRRRR", "RRRRRRRR", "RRRRRRRR", "RYRYRYRY", "YYYYYYYY", "YYYYYYYY",
                    "GYYGGYYG", "GGGGGGGG"}));
    EXPECT_EQ(drawSolid(SignMode::NVS, 16, 8), drawSolid(SignMode::KV2, 12, 8));
}

TEST(Rasteriser, PatternsSkipDotsInNeitherMask) {
    // [MIX2] row 0 of a glyph lighting only columns 0 and 2: green, red.
    RgbImage img(8, 1, kBlue);
    const uint8_t bits[] = {0xA0};
    drawGlyph(img, 0, 0, {bits, 8, 1, 1}, colourPaint(SignMode::KV2, 10), {});
    EXPECT_EQ(picture(img), (Rows{"GBRBBBBB"}));
    PatternMasks none{0x0F, 0x00};
    Rgb c = kBlue;
    EXPECT_FALSE(patternDot(none, 0x80, c));
    EXPECT_EQ(c, kBlue);
}

TEST(Rasteriser, GraphicsColumnByColumn) {
    GraphicFile g;
    g.width = 3;
    g.height = 2;
    g.pixels = {kPixelRed, 0, kPixelGreen, kPixelYellow, 0, kPixelRed};  // column-major
    RgbImage img(4, 3);
    drawGraphic(img, 1, 1, g, 3, 2, false, {});
    EXPECT_EQ(picture(img), (Rows{"....", ".RG.", "..YR"}));
    RgbImage sel(4, 2);
    drawGraphic(sel, 0, 0, g, 3, 2, true, {});
    EXPECT_EQ(picture(sel), (Rows{"WWB.", "BWW."}));
    // The item's size limits what is drawn.
    RgbImage small(4, 2);
    drawGraphic(small, 0, 0, g, 2, 1, false, {});
    EXPECT_EQ(picture(small), (Rows{"RG..", "...."}));
}

}  // namespace
}  // namespace lumavox

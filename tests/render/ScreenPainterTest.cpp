#include <gtest/gtest.h>

#include "FontBuilder.h"
#include "render/ScreenPainter.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

using test::fontFileBytes;
using test::TestFont;

// One 2 x 2 font: code 'A' lights its top left dot only, the space nothing.
const FontSet& fonts() {
    static const FontSet f = [] {
        TestFont font{"T2", 2, 1, 32, {}};
        for (int code = 32; code < 127; ++code)
            font.glyphs.push_back({2, {static_cast<uint8_t>(code == ' ' ? 0x00 : 0x80), 0x00}});
        FontSet set;
        set.LoadBytes(fontFileBytes({font}), "test", nullptr);
        return set;
    }();
    return f;
}

char dot(const RgbImage& img, int x, int y) {
    Rgb c = img.at(x, y);
    if (c == colours::kBlack) return '.';
    if (c == colours::kRed) return 'R';
    if (c == colours::kGreen) return 'G';
    if (c == colours::kYellow) return 'Y';
    if (c == colours::kWhite) return 'W';
    if (c == colours::kBlue) return 'B';
    if (c == colours::kLightBlue) return 'L';
    return '?';
}

std::string row(const RgbImage& img, int y) {
    std::string s;
    for (int x = 0; x < img.width(); ++x)
        s += dot(img, x, y);
    return s;
}

RgbImage paint(const TextFile& file, const DrawOptions& draw, bool editView = false,
               int height = 2) {
    LayoutOptions options;
    options.editView = editView;
    options.defaultFont = 0;
    MeasuredFile measured(file, fonts(), options);
    ScreenLayout layout(measured, {0, 0, 12, height}, 0);
    Screen screen;
    ScreenState state;
    layout.next(screen, state);
    RgbImage img(12, height);
    ScreenPainter painter(measured, draw);
    painter.draw(img, screen);
    return img;
}

TextFile text(std::string_view s, uint8_t colour) {
    TextFile f;
    test::appendText(f, s, test::charAttrs(0, colour));
    test::appendEnd(f, test::charAttrs(0, colour));
    return f;
}

TEST(ScreenPainter, ColourZeroTakesTheDefaultAndMixOneCountsTheItems) {
    DrawOptions draw;
    draw.defaultColour = 2;
    EXPECT_EQ(row(paint(text("AA", 0), draw), 0), "G.G.........");
    // [MIX1]: red, yellow, green by the count of visible items before each.
    // The space (2 wide) counts too.
    EXPECT_EQ(row(paint(text("AA AA", 9), draw), 0), "R.Y...R.Y...");
}

TEST(ScreenPainter, SelectedItemsPaintTheirWholeCell) {
    DrawOptions draw;
    draw.selectionBegin = 1;
    draw.selectionEnd = 2;
    RgbImage img = paint(text("AAA", 1), draw);
    EXPECT_EQ(row(img, 0), "R.WBR.......");
    EXPECT_EQ(row(img, 1), "..BB........");
}

TEST(ScreenPainter, TheEditViewDrawsMarkersAndLineEndsInLightBlue) {
    TextFile f;
    ControlParams speed;
    f.items.push_back(TextItem::control(kSpeed, speed));
    test::appendText(f, "A", test::charAttrs(0, 1));
    test::appendEnd(f, test::charAttrs(0, 1));
    DrawOptions draw;
    // On the sign only the letter shows.
    EXPECT_EQ(row(paint(f, draw), 0), "R...........");
    // In the edit view the speed marker (5 x 5) makes the line 5 rows high but
    // takes no width: the letter stands in its column of the sign, on the
    // line's bottom, drawn over the marker. The end marker is not laid out.
    RgbImage edit = paint(f, draw, true, 5);
    EXPECT_EQ(row(edit, 0), ".LLL........");
    EXPECT_EQ(row(edit, 3), "R..L........");
}

TEST(ScreenPainter, GraphicsComeFromTheWorkArea) {
    WorkArea work;
    GraphicFile g;
    g.name = "DOT";
    g.width = 1;
    g.height = 1;
    g.pixels = {kPixelGreen};
    work.graphics.push_back(g);
    TextFile f;
    ControlParams item;
    item.name = "DOT";
    item.valueC = 1;
    item.valueD = 1;
    f.items.push_back(TextItem::control(kGraphicItem, item));
    item.name = "NONE";
    f.items.push_back(TextItem::control(kGraphicItem, item));
    test::appendEnd(f, test::charAttrs(0, 1));
    DrawOptions draw;
    draw.work = &work;
    RgbImage img = paint(f, draw);
    // A missing graphic keeps its place, outlined (its name does not fit).
    EXPECT_EQ(row(img, 0), "GL..........");
}

TEST(ScreenPainter, AGraphicTheDocumentLacksIsAPlaceholderWithItsName) {
    // As read back from a sign: the name only, no size.
    TextFile f;
    ControlParams item;
    item.name = "AA";
    f.items.push_back(TextItem::control(kGraphicItem, item));
    test::appendText(f, "A", test::charAttrs(0, 1));
    test::appendEnd(f, test::charAttrs(0, 1));
    WorkArea work;
    DrawOptions draw;
    draw.work = &work;
    // The name (two glyphs 2 x 2 dots) inside the outline, on the sign's
    // picture and in the edit view alike; the letter follows it.
    for (bool editView : {false, true}) {
        RgbImage img = paint(f, draw, editView, 4);
        EXPECT_EQ(row(img, 0), "LLLLLLLL....");
        EXPECT_EQ(row(img, 1), "L.L.L..L....");
        EXPECT_EQ(row(img, 2), "L......LR...");
        EXPECT_EQ(row(img, 3), "LLLLLLLL....");
    }
}

}  // namespace
}  // namespace lumavox

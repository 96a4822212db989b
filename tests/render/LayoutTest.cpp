#include <gtest/gtest.h>

#include "FontBuilder.h"
#include "render/Layout.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

using test::fontFileBytes;
using test::TestFont;
using test::uniformFont;

// Font 0: 5 rows, every glyph 4 wide. Font 1: 7 rows, letters 6 wide, the
// space 2 wide.
const FontSet& testFonts() {
    static const FontSet fonts = [] {
        TestFont big = uniformFont("T7", 7, 32, 95, 6);
        big.glyphs[0].width = 2;
        FontSet f;
        f.LoadBytes(fontFileBytes({uniformFont("T5", 5, 32, 95, 4), big}), "test", nullptr);
        return f;
    }();
    return fonts;
}

class Text {
  public:
    // Characters in font 1; '\r' is a CR item, '\n' an LF item.
    Text& chars(std::string_view s, uint8_t font = 1) {
        for (char c : s) {
            CharItem ch = test::charAttrs(font, 1);
            ch.character = static_cast<uint8_t>(c);
            file.items.push_back(TextItem::character(ch));
        }
        return *this;
    }
    Text& control(uint8_t kind, const ControlParams& p) {
        file.items.push_back(TextItem::control(kind, p));
        return *this;
    }
    Text& window(const WindowControl& w) {
        file.items.push_back(TextItem::window(w));
        return *this;
    }
    const TextFile& done() {
        if (file.items.empty() || !file.items.back().isCharCode(kCR) || !ended) {
            test::appendEnd(file);
            ended = true;
        }
        return file;
    }
    TextFile file;
    bool ended = false;
};

struct Laid {
    std::vector<Screen> screens;
    std::vector<ScreenState> states;
};

Laid layOut(const TextFile& file, Rect area, int alignment, bool editView = false) {
    LayoutOptions options;
    options.editView = editView;
    MeasuredFile measured(file, testFonts(), options);
    ScreenLayout layout(measured, area, alignment);
    Laid laid;
    ScreenState state;
    while (!layout.atEnd() && laid.screens.size() < 50) {
        Screen s;
        layout.next(s, state);
        laid.screens.push_back(s);
        laid.states.push_back(state);
    }
    return laid;
}

std::vector<int> lineTops(const Screen& s) {
    std::vector<int> tops;
    for (const LineInfo& l : s.lines)
        tops.push_back(l.y);
    return tops;
}

TEST(Layout, ThreeLinesOfSevenInTwentyFourRows) {
    Text t;
    const TextFile& f = t.chars("A\rB\rC").done();
    Laid top = layOut(f, {0, 0, 160, 24}, 0);
    ASSERT_EQ(top.screens.size(), 1u);
    const Screen& s = top.screens[0];
    ASSERT_EQ(s.lines.size(), 3u);
    EXPECT_EQ(s.lines[1].gapAbove, 1);  // L = 24 - 21 = 3: every gap gets a dot
    EXPECT_EQ(s.lines[2].gapAbove, 1);
    EXPECT_EQ(lineTops(s), (std::vector<int>{0, 8, 16}));
    // Bottom alignment: the first line starts at row 24 - 2 - 21 = 1.
    EXPECT_EQ(lineTops(layOut(f, {0, 0, 160, 24}, 6).screens[0]), (std::vector<int>{1, 9, 17}));
    // Centre: F / 2 = 0.
    EXPECT_EQ(lineTops(layOut(f, {0, 0, 160, 24}, 3).screens[0]), (std::vector<int>{0, 8, 16}));
    EXPECT_EQ(s.lines[0].end, LineEnd::CR);
    EXPECT_EQ(s.lines[2].end, LineEnd::EndOfText);
}

TEST(Layout, GapsOnlyWhileRowsAreLeft) {
    // Two lines of 7 in 15 rows: L = 1.
    Text t;
    Laid l = layOut(t.chars("A\rB").done(), {0, 0, 160, 15}, 0);
    EXPECT_EQ(lineTops(l.screens[0]), (std::vector<int>{0, 8}));
    // In 14 rows there is no spare row.
    Text u;
    EXPECT_EQ(lineTops(layOut(u.chars("A\rB").done(), {0, 0, 160, 14}, 0).screens[0]),
              (std::vector<int>{0, 7}));
}

TEST(Layout, RowPitchSetsTheGapAndCarriesOver) {
    Text t;
    const TextFile& f = t.control(kRowPitch, test::params(3)).chars("A\rB\rC").done();
    Laid l = layOut(f, {0, 0, 160, 40}, 0);
    ASSERT_EQ(l.screens[0].lines.size(), 3u);
    EXPECT_EQ(l.screens[0].lines[0].rowPitch, 3);
    EXPECT_EQ(l.screens[0].lines[2].rowPitch, 3);
    EXPECT_EQ(lineTops(l.screens[0]), (std::vector<int>{0, 10, 20}));
}

TEST(Layout, LinesAreAddedWhileFiveRowsRemain) {
    // Lines of 7 in 16 rows: after two lines only 2 rows are left.
    Text t;
    Laid l = layOut(t.chars("A\rB\rC").done(), {0, 0, 160, 16}, 0);
    ASSERT_EQ(l.screens.size(), 2u);
    EXPECT_EQ(l.screens[0].lines.size(), 2u);
    EXPECT_EQ(l.screens[1].lines.size(), 1u);
    // A line that does not fit the height goes to the next screen, except the first.
    Text u;
    Laid tall = layOut(u.chars("A\rB").done(), {0, 0, 160, 12}, 0);
    ASSERT_EQ(tall.screens.size(), 2u);
    Text v;
    Laid tiny = layOut(v.chars("A").done(), {0, 0, 160, 3}, 0);
    ASSERT_EQ(tiny.screens.size(), 1u);
    EXPECT_EQ(tiny.screens[0].lines[0].height, 7);
}

TEST(Layout, ACentredLineOfWidthHundredStartsAtColumnThirty) {
    Text t;
    Laid l = layOut(t.chars("AAAAAAAA  AAAAAAAA").done(), {0, 0, 160, 16}, 1);
    ASSERT_EQ(l.screens[0].lines.size(), 1u);
    EXPECT_EQ(l.screens[0].lines[0].width, 100);
    EXPECT_EQ(l.screens[0].lines[0].x, 30);
    EXPECT_EQ(l.screens[0].placed[0].x, 30);
    EXPECT_EQ(l.screens[0].placed[9].x, 30 + 48 + 2);
    // Right alignment.
    Text r;
    EXPECT_EQ(
        layOut(r.chars("AAAAAAAA  AAAAAAAA").done(), {0, 0, 160, 16}, 2).screens[0].lines[0].x, 60);
}

TEST(Layout, AWordWiderThanTheAreaIsPlacedOnItsOwnLine) {
    Text t;
    Laid l = layOut(t.chars("AAAAAAAAAA B").done(), {0, 0, 30, 24}, 0);
    ASSERT_EQ(l.screens.size(), 1u);
    const Screen& s = l.screens[0];
    ASSERT_EQ(s.lines.size(), 2u);
    EXPECT_EQ(s.lines[0].width, 60);
    EXPECT_EQ(s.lines[0].itemCount, 10);
    EXPECT_EQ(s.lines[0].end, LineEnd::Wrap);
    // The space travels with the word after it.
    EXPECT_EQ(s.lines[1].itemCount, 2);
    EXPECT_EQ(s.lines[0].x, 0);  // never left of the area
}

TEST(Layout, WordsWrapWithTwoDotsAllowedPerWord) {
    // Two words of 18 dots: 18 + 18 + 2 = 38.
    Text t;
    EXPECT_EQ(layOut(t.chars("AAA AAA").done(), {0, 0, 38, 7}, 0).screens[0].lines.size(), 1u);
    Text u;
    Laid l = layOut(u.chars("AAA AAA").done(), {0, 0, 37, 7}, 0);
    EXPECT_EQ(l.screens.size(), 2u);  // the second line does not fit 7 rows
    EXPECT_EQ(l.screens[0].lines[0].end, LineEnd::Wrap);
}

TEST(Layout, JustifiedLinesNarrowTheSpaces) {
    // 18 + 6 + 18 = 42 dots in a 40-dot area: the gap becomes 40 - 36 = 4 dots.
    Text t;
    Laid l = layOut(t.chars("AAA   AAA").done(), {0, 0, 40, 7}, 0);
    const LineInfo& line = l.screens[0].lines[0];
    EXPECT_EQ(line.spaceWidth, 4);
    EXPECT_EQ(line.width, 40);
    EXPECT_EQ(l.screens[0].placed[6].x, 22);
    // A line that fits keeps its spaces.
    Text u;
    EXPECT_EQ(layOut(u.chars("AAA   AAA").done(), {0, 0, 42, 7}, 0).screens[0].lines[0].spaceWidth,
              -1);
}

TEST(Layout, LineFeedEndsTheScreenAndCarriageReturnOnlyTheLine) {
    Text lf;
    Laid a = layOut(lf.chars("AB\nCD").done(), {0, 0, 160, 16}, 0);
    ASSERT_EQ(a.screens.size(), 2u);
    EXPECT_EQ(a.screens[0].lines[0].end, LineEnd::LF);
    EXPECT_EQ(a.states[0].strips[0].ended, 2);
    EXPECT_FALSE(a.states[0].strips[0].lastOfFile);
    EXPECT_TRUE(a.states[1].strips[0].lastOfFile);
    Text cr;
    Laid b = layOut(cr.chars("AB\rCD").done(), {0, 0, 160, 16}, 0);
    ASSERT_EQ(b.screens.size(), 1u);
    EXPECT_EQ(b.screens[0].lines.size(), 2u);
    EXPECT_EQ(b.states[0].strips[0].ended, 1);
    EXPECT_EQ(b.states[0].strips[1].ended, 0);
}

TEST(Layout, EveryMoveItemBeginsAScreen) {
    Text t;
    const TextFile& f = t.control(kMove, test::params(2, 5))
                            .chars("AB")
                            .control(kSpeed, test::params(0, 0, 6))
                            .control(kMove, test::params(3, 8))
                            .chars("CD")
                            .done();
    Laid l = layOut(f, {0, 0, 160, 16}, 4);
    ASSERT_EQ(l.screens.size(), 2u);
    EXPECT_EQ(l.states[0].moveIn, 2);
    EXPECT_EQ(l.states[0].speed, 6);
    EXPECT_EQ(l.states[0].moveOut, 8);  // the out value held by the next screen's move item
    EXPECT_TRUE(l.states[0].endFlag);
    EXPECT_EQ(l.states[1].moveIn, 3);
    EXPECT_EQ(l.states[1].moveOut, -1);
    EXPECT_TRUE(l.states[1].endFlag);
    EXPECT_EQ(l.states[1].speed, 6);  // carried over
    EXPECT_EQ(l.screens[1].first, 4);
}

TEST(Layout, MoveOutFromAMoveItemBeforeACall) {
    ControlParams call;
    call.name = "NEXT";
    Text t;
    const TextFile& f =
        t.chars("AB").control(kMove, test::params(9)).control(kInclude, call).done();
    Laid l = layOut(f, {0, 0, 160, 16}, 0);
    ASSERT_EQ(l.screens.size(), 2u);
    EXPECT_EQ(l.states[0].moveOut, 9);  // no out code: its move-in code
    EXPECT_FALSE(l.states[0].endFlag);
    EXPECT_EQ(l.states[1].include, "NEXT");
    Text u;
    const TextFile& g = u.chars("AB").control(kMove, test::params(9)).chars("C").done();
    EXPECT_EQ(layOut(g, {0, 0, 160, 16}, 0).states[0].moveOut, 0);
}

TEST(Layout, CallsAfterAWordStartTheNextScreen) {
    ControlParams call;
    call.name = "X";
    Text t;
    Laid l = layOut(t.chars("AB").control(kInclude, call).chars("CD").done(), {0, 0, 160, 16}, 0);
    ASSERT_EQ(l.screens.size(), 3u);
    EXPECT_EQ(l.states[0].include, "");
    EXPECT_EQ(l.states[1].include, "X");
    EXPECT_EQ(l.screens[1].next - l.screens[1].first, 1);
    // After a space the call is the last item of the screen.
    Text u;
    Laid m = layOut(u.chars("AB ").control(kInclude, call).chars("CD").done(), {0, 0, 160, 16}, 0);
    ASSERT_EQ(m.screens.size(), 2u);
    EXPECT_EQ(m.states[0].include, "X");
    // A CR directly followed by a call ends the screen.
    Text v;
    Laid n = layOut(v.chars("AB\r").control(kInclude, call).done(), {0, 0, 160, 16}, 0);
    ASSERT_EQ(n.screens.size(), 2u);
    EXPECT_EQ(n.screens[0].lines[0].end, LineEnd::CR);
}

TEST(Layout, WindowItemsPlaceTheirLineAtTheirAreas) {
    WindowControl w;
    WindowArea a;
    a.valueA = 10;
    a.valueB = 3;
    a.valueC = 30;
    a.valueD = 8;
    w.areas = {a};
    Text t;
    Laid l = layOut(t.window(w).done(), {0, 0, 160, 16}, 4);
    ASSERT_EQ(l.screens.size(), 1u);
    ASSERT_EQ(l.states[0].windows.size(), 1u);
    EXPECT_EQ(l.states[0].windows[0]->areas.size(), 1u);
    const LineInfo& line = l.screens[0].lines[0];
    EXPECT_EQ(line.x, 10);
    EXPECT_EQ(line.y, 3);
    EXPECT_EQ(line.width, 30);
    EXPECT_EQ(line.height, 8);
    EXPECT_EQ(windowBounds(w), (Rect{10, 3, 30, 8}));
}

TEST(Layout, EmptyLinesTakeTheHeightOfTheFontInForce) {
    Text t;
    // The CR of the empty line is in the 5-row font.
    const TextFile& f = t.chars("A\r").chars("\r", 0).chars("B").done();
    Laid l = layOut(f, {0, 0, 160, 40}, 0);
    ASSERT_EQ(l.screens[0].lines.size(), 3u);
    EXPECT_EQ(l.screens[0].lines[1].height, 5);
    EXPECT_EQ(l.screens[0].lines[1].width, 0);
}

TEST(Layout, ItemsStandOnTheLineBottomUnlessRotating) {
    Text t;
    const TextFile& f = t.chars("A").chars("a", 0).done();
    Laid l = layOut(f, {0, 0, 160, 16}, 0);
    EXPECT_EQ(l.screens[0].placed[0].y, 0);
    EXPECT_EQ(l.screens[0].placed[1].y, 2);  // 5 rows standing on a 7-row line
    Text r;
    const TextFile& g = r.control(kMove, test::params(43)).chars("A").chars("a", 0).done();
    EXPECT_EQ(layOut(g, {0, 0, 160, 16}, 0).screens[0].placed[2].y, 0);  // top alignment
    Text c;
    const TextFile& h = c.control(kMove, test::params(43)).chars("A").chars("a", 0).done();
    Laid centred = layOut(h, {0, 0, 160, 16}, 4);
    EXPECT_EQ(centred.screens[0].placed[2].y - centred.screens[0].lines[0].y, 1);
}

TEST(Layout, EditViewMarkersTakeRowsButNoWidth) {
    Text t;
    const TextFile& f = t.control(kMove, test::params(1))
                            .control(kSpeed, test::params(0, 0, 3))
                            .chars("A\r")
                            .done();
    Laid sign = layOut(f, {0, 0, 160, 16}, 0);
    EXPECT_EQ(sign.screens[0].lines[0].width, 6);
    Laid edit = layOut(f, {0, 0, 160, 16}, 0, true);
    EXPECT_EQ(edit.screens[0].lines[0].width, 6);
    // So a line that fills the sign in the edit view fills it on the sign:
    // four letters of 6 with 2 dots allowed per word, in 26 dots.
    Text full;
    const TextFile& g = full.control(kMove, test::params(1))
                            .chars("AB ")
                            .control(kSpeed, test::params(0, 0, 3))
                            .chars("CD\r")
                            .done();
    Laid fits = layOut(g, {0, 0, 26, 16}, 1, true);
    ASSERT_EQ(fits.screens.size(), 1u);
    ASSERT_EQ(fits.screens[0].lines.size(), 1u);
    EXPECT_EQ(fits.screens[0].lines[0].width,
              layOut(g, {0, 0, 26, 16}, 1).screens[0].lines[0].width);
}

TEST(Layout, ScreensHoldAtMostTwoHundredLines) {
    Text t;
    std::string many;
    for (int i = 0; i < 250; ++i)
        many += "A\r";
    Laid l = layOut(t.chars(many).done(), {0, 0, 160, 5000}, 0);
    ASSERT_EQ(l.screens.size(), 2u);
    EXPECT_EQ(l.screens[0].lines.size(), static_cast<size_t>(kMaxLinesPerScreen));
}

}  // namespace
}  // namespace lumavox

// Scroll and rotate: the screen's line strips rise in from below or run in
// from the right.
#include <gtest/gtest.h>

#include "EffectHarness.h"

namespace lumavox {
namespace {

using test::EffectHarness;
using test::newDot;
using test::oldDot;

const Rect kRect{2, 1, 30, 16};

// A strip of the new picture at (x, y) of the rectangle.
LineStrip strip(const Rect& r, int x, int y, int width, int height, int ended, bool last = false) {
    return {width, height, r.x + x, r.y + y, ended, last};
}

int totalSteps(const EffectHarness& h) {
    return static_cast<int>(h.steps().size());
}

TEST(Scroll, LinesRiseOneRowAStepAndEachIsHeldForThePause) {
    EffectHarness h(kRect, 0);
    h.pauseZero = false;
    h.pauseMs = 1000;
    h.state.strips = {strip(kRect, 0, 0, 20, 7, 1), strip(kRect, 0, 8, 30, 7, 2, true)};
    ASSERT_EQ(h.run(42), kEffectDone);
    // 7 + 7 rows, then (after the LF, no move-out) two 8-row bands of black.
    ASSERT_EQ(totalSteps(h), 7 + 7 + 16);
    for (int k = 0; k < totalSteps(h); ++k)
        EXPECT_EQ(h.steps()[k].waitMs, (k == 6 || k == 13) ? 400 + 1000 : 400) << k;
    const int H = 16;
    for (int t = 1; t <= 7; ++t)
        EXPECT_TRUE(test::stepMatches(h, t - 1, [&](int x, int y) -> std::optional<Rgb> {
            if (y >= H - t) return x < 20 ? newDot(x, y - (H - t)) : colours::kBlack;
            return oldDot(x, y + t);
        }));
    for (int t = 1; t <= 7; ++t)
        EXPECT_TRUE(test::stepMatches(h, 6 + t, [&](int x, int y) -> std::optional<Rgb> {
            if (y >= H - t) return newDot(x, 8 + y - (H - t));
            if (y >= H - t - 7) return x < 20 ? newDot(x, y - (H - t - 7)) : colours::kBlack;
            return oldDot(x, y + 7 + t);
        }));
    // The way out: black rises from below.
    EXPECT_TRUE(test::stepMatches(h, 14 + 7, [&](int x, int y) -> std::optional<Rgb> {
        if (y >= H - 8) return colours::kBlack;
        if (y >= 1) return newDot(x, 8 + y - 1);
        return x < 20 ? newDot(x, 6) : colours::kBlack;
    }));
    EXPECT_TRUE(test::stepMatches(h, totalSteps(h) - 1,
                                  [](int, int) { return std::optional(colours::kBlack); }));
    EXPECT_TRUE(h.outsideUntouched());
}

TEST(Scroll, TheSecondPassFollowsOnlyWhereTheLineEndsSayThatTheScreenLeaves) {
    struct Case {
        int ended;
        bool endFlag;
        int width;
        int strips;
        int moveOut;
        bool again;
    };
    const Case cases[] = {
        {2, false, 10, 2, -1, true},   // LF
        {0, true, 10, 2, -1, true},    // no line end, a move item or the end follows
        {0, false, 10, 2, -1, false},  // no line end, nothing follows
        {1, false, 30, 1, -1, true},   // the only line, CR, as wide as the rectangle
        {1, false, 29, 1, -1, false},  // narrower
        {1, false, 30, 2, -1, false},  // not the only line
        {2, false, 10, 2, 43, false},  // the move-out scrolls it out itself
        {2, false, 10, 2, 5, true},    // another move-out: out by the lines
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "ended " << c.ended << " end flag " << c.endFlag << " width " << c.width
                     << " strips " << c.strips << " move-out " << c.moveOut);
        EffectHarness h(kRect, 3);
        h.state.endFlag = c.endFlag;
        h.state.moveOut = c.moveOut;
        for (int i = 0; i < c.strips; ++i)
            h.state.strips.push_back(
                strip(kRect, 0, 8 * i, c.width, 6, i + 1 == c.strips ? c.ended : 1));
        ASSERT_EQ(h.run(42), kEffectDone);
        const int in = 6 * c.strips;
        const int out = c.moveOut == -1 ? 16 : in;  // bands of the rectangle, or the lines
        EXPECT_EQ(totalSteps(h), c.again ? in + out : in);
    }
}

TEST(Scroll, AsAMoveOutItHoldsOnlyUntilTheScreenHasScrolledAway) {
    EffectHarness h(kRect, 0);
    h.fresh.fill(kRect, colours::kBlack);
    h.pauseZero = false;
    h.pauseMs = 1000;
    h.state.moveOut = 5;
    h.state.strips = {strip(kRect, 0, 0, 30, 7, 1), strip(kRect, 0, 8, 30, 7, 1),
                      strip(kRect, 0, 0, 30, 7, 1)};
    ASSERT_EQ(h.run(42, true), kEffectDone);
    ASSERT_EQ(totalSteps(h), 21);
    EXPECT_EQ(h.steps()[6].waitMs, 1400);   // 7 rows scrolled
    EXPECT_EQ(h.steps()[13].waitMs, 1400);  // 14 rows
    EXPECT_EQ(h.steps()[20].waitMs, 400);   // 21 rows: gone
    EXPECT_TRUE(test::stepMatches(h, 20, [](int, int) { return std::optional(colours::kBlack); }));
}

TEST(Rotate, ALineRunsInFromTheRightPlacedByTheVerticalAlignment) {
    const Rect r{1, 1, 24, 9};
    for (int alignment : {0, 3, 6}) {
        SCOPED_TRACE(alignment);
        EffectHarness h(r, 0);
        h.alignment = alignment;
        h.state.strips = {strip(r, 3, 2, 10, 5, 1)};
        ASSERT_EQ(h.run(43), kEffectDone);
        // Its width and 32 dots after the CR; no move-out and not the file's
        // last line: no way out.
        ASSERT_EQ(totalSteps(h), 10 + 32);
        const int dy = alignment == 0 ? 0 : (alignment == 3 ? 2 : 4);
        for (int l = 1; l <= totalSteps(h); ++l) {
            EXPECT_EQ(h.steps()[static_cast<size_t>(l - 1)].waitMs, 300);
            const int left = 24 - l;  // the line's first column
            EXPECT_TRUE(test::stepMatches(h, static_cast<size_t>(l - 1),
                                          [&](int x, int y) -> std::optional<Rgb> {
                                              if (x < left) return oldDot(x + l, y);
                                              if (x < left + 10 && y >= dy && y < dy + 5)
                                                  return newDot(3 + x - left, 2 + y - dy);
                                              return colours::kBlack;
                                          }));
        }
    }
}

TEST(Rotate, TheLastLineRunsOutWhenTheFileEndsOrAMoveOutFollows) {
    const Rect r{0, 0, 24, 8};
    for (int moveOut : {-1, 3}) {
        EffectHarness h(r, 3);
        h.state.moveOut = moveOut;
        h.state.strips = {strip(r, 0, 0, 10, 8, 2), strip(r, 0, 0, 12, 8, 0, moveOut == -1)};
        ASSERT_EQ(h.run(43), kEffectDone);
        // 10 + 64 after the LF, 12, then out over the rectangle's width.
        ASSERT_EQ(totalSteps(h), 10 + 64 + 12 + 24);
        EXPECT_EQ(h.steps()[0].waitMs, 100);
        EXPECT_TRUE(test::stepMatches(h, 10 + 64 + 12 - 1, [&](int x, int y) {
            return std::optional(x >= 12 ? newDot(x - 12, y) : colours::kBlack);
        }));
        EXPECT_TRUE(test::stepMatches(h, totalSteps(h) - 1,
                                      [](int, int) { return std::optional(colours::kBlack); }));
    }
}

TEST(Rotate, AsAMoveOutEveryLineRunsTheRectangleWidth) {
    const Rect r{0, 0, 24, 8};
    EffectHarness h(r, 0);
    h.fresh.fill(r, colours::kBlack);
    h.state.moveOut = 44;
    h.state.strips = {strip(r, 0, 0, 10, 8, 2)};
    ASSERT_EQ(h.run(43, true), kEffectDone);
    ASSERT_EQ(totalSteps(h), (24 + 64) + (24 + 64));
    EXPECT_TRUE(test::stepMatches(h, 23, [](int, int) { return std::optional(colours::kBlack); }));
}

// A line wider than the rectangle brings in what the rectangle holds of it
// and then runs on for its whole width.
TEST(Rotate, ALineWiderThanTheRectangleRunsForItsWholeWidth) {
    EffectHarness h(Rect{0, 0, 24, 8}, 0);
    h.state.strips = {strip(h.rect, 0, 0, 40, 8, 0)};
    ASSERT_EQ(h.run(43), kEffectDone);
    ASSERT_EQ(totalSteps(h), 40);
    EXPECT_TRUE(test::stepMatches(h, 23, [](int x, int y) { return std::optional(newDot(x, y)); }));
    EXPECT_TRUE(test::stepMatches(h, 29, [](int x, int y) {
        return std::optional(x < 18 ? newDot(x + 6, y) : colours::kBlack);
    }));
}

}  // namespace
}  // namespace lumavox

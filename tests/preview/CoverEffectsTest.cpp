// The cover family and the shutters: the old picture stays in place while
// strips or slats reveal the new one.
#include <gtest/gtest.h>

#include <functional>

#include "EffectHarness.h"

namespace lumavox {
namespace {

using test::EffectHarness;
using test::newDot;
using test::oldDot;

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

const Rect kNarrow{3, 2, 21, 7};
const Rect kWide{0, 0, 160, 16};

struct CoverCase {
    int effect;
    int frames;  // for the rectangle and step of the case
    // Whether the dot at (x, y) is revealed after step f.
    std::function<bool(int x, int y, int f)> revealed;
};

// Table H (8-11) gives step 1 at speed 0 and 2 at speed 3 with delays 10 and
// 2 ms; table I (12, 13) step 1 both times with 80 and 20 ms.
struct CoverTiming {
    int delay;
    int step;
};
CoverTiming coverTiming(int effect, int speed) {
    if (effect <= 11) return speed == 0 ? CoverTiming{10, 1} : CoverTiming{2, 2};
    return speed == 0 ? CoverTiming{80, 1} : CoverTiming{20, 1};
}

std::vector<CoverCase> coverCases(int w, int h, int s) {
    const int half = w / 2;
    auto covered = [](int from, int to, int x) { return x >= from && x < to; };
    return {
        {8, ceilDiv(w, s) + 1, [=](int x, int, int f) { return x >= w - s * (f + 1); }},
        {9, ceilDiv(w, s) + 1, [=](int x, int, int f) { return x < s * (f + 1); }},
        {10, ceilDiv(w, 2 * s) + 1,
         [=](int x, int, int f) { return covered(half - s * (f + 1), half + s * (f + 1), x); }},
        {11, ceilDiv(w, 2 * s) + 1,
         [=](int x, int, int f) {
             return x < std::min(s * (f + 1), half) || x >= std::max(w - s * (f + 1), half);
         }},
        {12, ceilDiv(h, s) + 1, [=](int, int y, int f) { return y >= h - s * (f + 1); }},
        {13, ceilDiv(h, s) + 1, [=](int, int y, int f) { return y < s * (f + 1); }},
    };
}

TEST(CoverEffects, StripsRevealTheNewPictureInPlace) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3})
            for (int effect = 8; effect <= 13; ++effect) {
                SCOPED_TRACE(::testing::Message() << "effect " << effect << " width " << rect.width
                                                  << " speed " << speed);
                const CoverTiming t = coverTiming(effect, speed);
                const CoverCase c = coverCases(rect.width, rect.height, t.step)[effect - 8];
                EffectHarness h(rect, speed);
                ASSERT_EQ(h.run(effect), kEffectDone);
                ASSERT_EQ(static_cast<int>(h.steps().size()), c.frames);
                for (size_t f = 0; f < h.steps().size(); ++f) {
                    EXPECT_EQ(h.steps()[f].waitMs, t.delay);
                    EXPECT_TRUE(test::stepMatches(h, f, [&](int x, int y) {
                        return std::optional(c.revealed(x, y, static_cast<int>(f)) ? newDot(x, y)
                                                                                   : oldDot(x, y));
                    }));
                }
                EXPECT_TRUE(h.outsideUntouched());
            }
}

// Slats of 16 columns from the left edge of the rectangle; the last one of
// the 21-column rectangle is 5 wide.
TEST(Shutters, SlatsSlideOrRevealColumnByColumn) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3})
            for (int effect : {30, 31, 32, 33}) {
                SCOPED_TRACE(::testing::Message() << "effect " << effect << " width " << rect.width
                                                  << " speed " << speed);
                EffectHarness h(rect, speed);
                ASSERT_EQ(h.run(effect), kEffectDone);
                const bool sliding = effect <= 31;
                ASSERT_EQ(h.steps().size(), sliding ? 16u : 17u);
                const int delay = sliding ? (speed == 0 ? 200 : 50) : (speed == 0 ? 100 : 40);
                for (size_t f = 0; f < h.steps().size(); ++f) {
                    EXPECT_EQ(h.steps()[f].waitMs, delay);
                    const int k = static_cast<int>(f);
                    EXPECT_TRUE(test::stepMatches(h, f, [&](int x, int y) -> std::optional<Rgb> {
                        const int x0 = x / 16 * 16;
                        const int sw = std::min(16, h.w() - x0);
                        const int j = x - x0;
                        const int c = std::min(k + 1, sw);
                        switch (effect) {
                            case 30:
                                if (j < c) return newDot(x0 + sw - c + j, y);
                                return oldDot(x - (k + 1), y);
                            case 31:
                                if (j >= sw - c) return newDot(x0 + j - (sw - c), y);
                                return oldDot(x + (k + 1), y);
                            case 32:
                                return j <= k ? newDot(x, y) : oldDot(x, y);
                            default:
                                return j >= 16 - k ? newDot(x, y) : oldDot(x, y);
                        }
                    }));
                }
                EXPECT_TRUE(test::stepMatches(h, h.steps().size() - 1, [&](int x, int y) {
                    return std::optional(newDot(x, y));
                }));
            }
}

}  // namespace
}  // namespace lumavox

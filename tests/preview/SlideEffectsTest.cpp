// The slide and roll family: frame counts, step delays, and where every dot
// of every frame comes from.
#include <gtest/gtest.h>

#include <functional>

#include "EffectHarness.h"

namespace lumavox {
namespace {

using test::EffectHarness;
using test::newDot;
using test::oldDot;

enum class Dir { Left, Right, Up, Down };

// A dot of a lane that moves `dir` by `moved` dots while `n` dots of the new
// picture have come in behind it: the old dot that moved here, or the new dot.
std::optional<Rgb> laneDot(Dir dir, int x, int y, int w, int h, int n, int moved) {
    switch (dir) {
        case Dir::Left:
            if (x >= w - n) return newDot(x - (w - n), y);
            return oldDot(x + moved, y);
        case Dir::Right:
            if (x < n) return newDot(w - n + x, y);
            return oldDot(x - moved, y);
        case Dir::Up:
            if (y >= h - n) return newDot(x, y - (h - n));
            return oldDot(x, y + moved);
        case Dir::Down:
            if (y < n) return newDot(x, h - n + y);
            return oldDot(x, y - moved);
    }
    return std::nullopt;
}

struct SlideCase {
    int effect;
    // How many frames for a w x h rectangle and step s.
    std::function<int(int w, int h, int s)> frames;
    // Which way the dot at (x, y) moves.
    std::function<Dir(int x, int y, int w, int h)> lane;
    bool horizontal;  // lanes along rows: n counts columns
};

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

const std::vector<SlideCase>& cases() {
    static const std::vector<SlideCase> c = [] {
        auto left = [](int, int, int, int) { return Dir::Left; };
        auto right = [](int, int, int, int) { return Dir::Right; };
        auto up = [](int, int, int, int) { return Dir::Up; };
        auto down = [](int, int, int, int) { return Dir::Down; };
        auto wide = [](int w, int, int s) { return ceilDiv(w, s); };
        auto widePlus = [](int w, int, int s) { return ceilDiv(w, s) + 1; };
        auto high = [](int, int h, int s) { return ceilDiv(h, s); };
        auto highPlus = [](int, int h, int s) { return ceilDiv(h, s) + 1; };
        auto upperRight = [](int, int y, int, int h) { return y < h / 2 ? Dir::Right : Dir::Left; };
        auto halvesUpDown = [](int x, int, int w, int) { return x < w / 2 ? Dir::Up : Dir::Down; };
        auto evenUp = [](int x, int, int, int) { return x % 2 == 0 ? Dir::Up : Dir::Down; };
        auto groupsUp = [](int x, int, int, int) {
            return (x / 16) % 2 == 0 ? Dir::Up : Dir::Down;
        };
        auto evenRowsLeft = [](int, int y, int, int) {
            return y % 2 == 0 ? Dir::Left : Dir::Right;
        };
        auto bandsLeft = [](int, int y, int, int) {
            return (y / 4) % 2 == 0 ? Dir::Left : Dir::Right;
        };
        auto inSlideFrames = [](int w, int, int s) { return w / s + 2; };
        return std::vector<SlideCase>{
            {2, wide, left, true},
            {14, wide, left, true},
            {3, widePlus, right, true},
            {15, widePlus, right, true},
            {6, highPlus, up, false},
            {18, highPlus, up, false},
            {7, highPlus, down, false},
            {19, highPlus, down, false},
            {20, inSlideFrames, upperRight, true},
            {24, inSlideFrames, upperRight, true},
            {21, high, halvesUpDown, false},
            {27, high, halvesUpDown, false},
            {22, high, evenUp, false},
            {28, high, evenUp, false},
            {23, highPlus, groupsUp, false},
            {29, highPlus, groupsUp, false},
            {25, widePlus, evenRowsLeft, true},
            {26, wide, bandsLeft, true},
        };
    }();
    return c;
}

// Step delays and sizes at speeds 0 and 3, as the timing tables give them.
struct Timing {
    int delay;
    int step;
};
Timing expectedTiming(int effect, int speed) {
    const bool slow = speed == 0;
    switch (effect) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 20:  // table A
            return {slow ? 300 : 20, 1};
        case 14:
        case 15:
        case 16:
        case 17:
        case 24:
        case 25:
        case 26:  // table B
            return {slow ? 600 : 100, 8};
        case 27:
        case 28:
        case 29:  // table C
            return {slow ? 600 : 100, 4};
        case 6:
        case 7:
        case 21:
        case 22:
        case 23:  // table D
            return {slow ? 300 : 80, 1};
        case 18:
        case 19:  // table E
            return {slow ? 600 : 140, 4};
    }
    return {0, 0};
}

const Rect kNarrow{3, 2, 21, 7};
const Rect kWide{0, 0, 160, 16};

void checkSlide(const SlideCase& c, Rect rect, int speed) {
    SCOPED_TRACE(::testing::Message() << "effect " << c.effect << " in " << rect.width << "x"
                                      << rect.height << " at speed " << speed);
    EffectHarness h(rect, speed);
    ASSERT_EQ(h.run(c.effect), kEffectDone);
    const Timing t = expectedTiming(c.effect, speed);
    const int w = h.w(), hh = h.h(), s = t.step;
    ASSERT_EQ(static_cast<int>(h.steps().size()), c.frames(w, hh, s));
    for (size_t f = 0; f < h.steps().size(); ++f) {
        EXPECT_EQ(h.steps()[f].waitMs, t.delay);
        const int moved = s * static_cast<int>(f + 1);
        const int n = std::min(moved, c.horizontal ? w : hh);
        EXPECT_TRUE(test::stepMatches(h, f, [&](int x, int y) {
            return laneDot(c.lane(x, y, w, hh), x, y, w, hh, n, moved);
        }));
    }
    // The last frame is the new picture.
    EXPECT_TRUE(test::stepMatches(h, h.steps().size() - 1,
                                  [&](int x, int y) { return std::optional(newDot(x, y)); }));
    EXPECT_TRUE(h.outsideUntouched());
}

TEST(SlideEffects, EveryDotComesFromTheOldOrTheNewScreenAsTheLaneMoves) {
    for (const SlideCase& c : cases())
        for (Rect rect : {kNarrow, kWide})
            for (int speed : {0, 3})
                checkSlide(c, rect, speed);
}

TEST(SlideEffects, SlideLeftOver160ColumnsAtSpeed0Is160StepsOf300Ms) {
    EffectHarness h(kWide, 0);
    h.run(2);
    ASSERT_EQ(h.steps().size(), 160u);
    for (const auto& s : h.steps())
        EXPECT_EQ(s.waitMs, 300);
    EffectHarness roll(kWide, 0);
    roll.run(14);
    ASSERT_EQ(roll.steps().size(), 20u);
    for (const auto& s : roll.steps())
        EXPECT_EQ(s.waitMs, 600);
}

// Apart: the halves move out and the new picture's outer columns come out of
// the centre; together: the halves close in, bringing the columns next to
// the centre first.
TEST(SlideEffects, ApartAndTogetherOpenAndCloseOnTheCentre) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3})
            for (int effect : {4, 16, 5, 17}) {
                SCOPED_TRACE(::testing::Message() << "effect " << effect << " width " << rect.width
                                                  << " speed " << speed);
                EffectHarness h(rect, speed);
                ASSERT_EQ(h.run(effect), kEffectDone);
                const Timing t = expectedTiming(effect, speed);
                const int w = h.w(), s = t.step, half = w / 2;
                const bool apart = effect == 4 || effect == 16;
                const int frames =
                    apart ? (w < 2 * s ? 1 : w / (2 * s) + 2) : ceilDiv(w, 2 * s) + 1;
                ASSERT_EQ(static_cast<int>(h.steps().size()), frames);
                for (size_t f = 0; f < h.steps().size(); ++f) {
                    EXPECT_EQ(h.steps()[f].waitMs, t.delay);
                    const int moved = s * static_cast<int>(f + 1);
                    const int brought = apart ? moved : s * static_cast<int>(f);
                    const int left = std::min(brought, half);
                    const int right = std::min(brought, w - half);
                    EXPECT_TRUE(test::stepMatches(h, f, [&](int x, int y) -> std::optional<Rgb> {
                        if (apart) {
                            if (x >= half - left && x < half) return newDot(x - (half - left), y);
                            if (x >= half && x < half + right)
                                return newDot(w - right + x - half, y);
                            if (x < half) return oldDot(x + moved, y);
                            return oldDot(x - moved, y);
                        }
                        if (x < left) return newDot(half - left + x, y);
                        if (x >= w - right) return newDot(half + x - (w - right), y);
                        // The old halves moved towards the centre; the columns
                        // they uncovered at the edges before the first new ones
                        // arrived may hold anything.
                        if (x < half)
                            return x - moved >= 0 ? std::optional(oldDot(x - moved, y))
                                                  : std::nullopt;
                        return x + moved < w ? std::optional(oldDot(x + moved, y)) : std::nullopt;
                    }));
                }
                EXPECT_TRUE(test::stepMatches(h, h.steps().size() - 1, [&](int x, int y) {
                    return std::optional(newDot(x, y));
                }));
            }
}

TEST(SlideEffects, ANarrowRectangleStillEndsWithTheNewPicture) {
    // Narrower than one roll step: the apart roll takes one step, in-roll 1 two.
    for (int effect : {16, 24, 14, 17, 25, 26}) {
        SCOPED_TRACE(effect);
        EffectHarness h(Rect{1, 1, 5, 4}, 0);
        ASSERT_EQ(h.run(effect), kEffectDone);
        ASSERT_FALSE(h.steps().empty());
        EXPECT_TRUE(test::stepMatches(h, h.steps().size() - 1,
                                      [&](int x, int y) { return std::optional(newDot(x, y)); }));
        EXPECT_TRUE(h.outsideUntouched());
    }
}

}  // namespace
}  // namespace lumavox

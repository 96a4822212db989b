// Immediate, jump, snow, random, shoot, explode, twinkle, flash and pacman.
#include <gtest/gtest.h>

#include <set>

#include "EffectHarness.h"

namespace lumavox {
namespace {

using test::EffectHarness;
using test::newDot;
using test::oldDot;

const Rect kNarrow{3, 2, 21, 7};
const Rect kWide{0, 0, 160, 16};

std::optional<Rgb> anyNew(int x, int y) {
    return newDot(x, y);
}

bool lit(const uint8_t* rows, int c, int r) {
    return rows[r] & (0x80 >> c);
}

TEST(Effects, ImmediateShowsTheNewPictureInOneStepWithoutWaiting) {
    EffectHarness h(kNarrow);
    ASSERT_EQ(h.run(1), kEffectDone);
    ASSERT_EQ(h.steps().size(), 1u);
    EXPECT_EQ(h.steps()[0].waitMs, 0);
    EXPECT_TRUE(test::stepMatches(h, 0, anyNew));
    EXPECT_TRUE(h.outsideUntouched());
}

TEST(Effects, NumbersOutsideOneTo43DoNothing) {
    for (int effect : {-1, 0, 44, 200}) {
        EffectHarness h(kNarrow);
        EXPECT_EQ(h.run(effect), kEffectDone);
        EXPECT_TRUE(h.steps().empty());
        EXPECT_TRUE(h.rec.holdsWithoutStep.empty());
    }
}

TEST(Effects, EveryEffectStopsAtOnceOrWithinOneStep) {
    for (int effect = 1; effect <= 43; ++effect) {
        SCOPED_TRACE(effect);
        EffectHarness stopped(kNarrow);
        stopped.rec.stop = true;
        stopped.pauseZero = false;
        EXPECT_EQ(stopped.run(effect), kEffectStopped);
        EXPECT_TRUE(stopped.steps().empty());

        EffectHarness h(kNarrow);
        h.pauseZero = false;
        h.pauseMs = 1000;
        h.state.strips = {{21, 7, 3, 2, 1, true}};
        h.rec.stopAfterSteps = 1;
        EXPECT_EQ(h.run(effect), kEffectStopped);
        EXPECT_EQ(h.steps().size(), 1u);
    }
}

// Blocks of 8 columns travel in from the right edge 8 columns a step, each
// clearing the line behind it; the old picture stays left of the first block.
TEST(Effects, JumpBringsBlocksInFromTheRight) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3}) {
            SCOPED_TRACE(::testing::Message() << rect.width << " speed " << speed);
            EffectHarness h(rect, speed);
            ASSERT_EQ(h.run(34), kEffectDone);
            const int w = h.w();
            size_t step = 0;
            for (int bx = 0; bx < w; bx += 8) {
                const int bw = std::min(8, w - bx);
                for (int j = 0;; ++j, ++step) {
                    const int pos = std::max(w - 8 * j, bx);
                    ASSERT_LT(step, h.steps().size());
                    EXPECT_EQ(h.steps()[step].waitMs, speed == 0 ? 20 : 10);
                    EXPECT_TRUE(test::stepMatches(h, step, [&](int x, int y) -> std::optional<Rgb> {
                        if (x >= pos && x < pos + bw) return newDot(bx + x - pos, y);
                        if (x >= pos) return colours::kBlack;
                        if (x < bx) return bx == 0 ? oldDot(x, y) : newDot(x, y);
                        return bx == 0 ? oldDot(x, y) : colours::kBlack;
                    }));
                    if (pos == bx) break;
                }
                ++step;
            }
            EXPECT_EQ(step, h.steps().size());
            EXPECT_TRUE(test::stepMatches(h, h.steps().size() - 1, anyNew));
        }
}

// With every start delay 1 the dots of a column start one after another from
// the bottom up and all land in the same step.
TEST(Snow, DotsFallFromTheTopToTheirRowsBottomFirst) {
    EffectHarness h(Rect{1, 1, 3, 5}, 0);
    h.rec.script.assign(15, 1);
    ASSERT_EQ(h.run(35), kEffectDone);
    ASSERT_EQ(h.steps().size(), 6u);
    for (const auto& s : h.steps())
        EXPECT_EQ(s.waitMs, 50);
    for (int f = 0; f < 6; ++f)
        EXPECT_TRUE(test::stepMatches(h, f, [&](int x, int y) -> std::optional<Rgb> {
            // Dot row r starts at step 5 - r and falls one row a step.
            for (int r = 4; r >= 0; --r) {
                const int start = 5 - r;
                if (f >= start && std::min(f - start, r) == y) return newDot(x, r);
            }
            return colours::kBlack;
        }));
}

// Start delays add up down each column from the bottom; from the fourth row
// up a row's late dots are moved a quarter of the way to the row's latest.
TEST(Snow, LateRowsAreDrawnTowardsTheirLatestDot) {
    EffectHarness h(Rect{0, 0, 2, 5}, 0);
    h.rec.script = {0, 4, 0, 4, 0, 4, 0, 4, 0, 4};
    ASSERT_EQ(h.run(35), kEffectDone);
    // Column 1 starts at 4, 8, 12, 16, 20 from the bottom up: its top dot
    // lands in step 20. Column 0's two top dots start at 4 and 8.
    ASSERT_EQ(h.steps().size(), 21u);
    EXPECT_EQ(h.at(3, 0, 0), colours::kBlack);
    EXPECT_EQ(h.at(4, 0, 0), newDot(0, 1));  // row 1's dot is falling through row 0
    EXPECT_EQ(h.at(5, 0, 1), newDot(0, 1));
    EXPECT_EQ(h.at(7, 0, 0), colours::kBlack);
    EXPECT_EQ(h.at(8, 0, 0), newDot(0, 0));
    EXPECT_EQ(h.at(19, 1, 0), colours::kBlack);
    EXPECT_TRUE(test::stepMatches(h, 20, anyNew));
}

TEST(Snow, EndsWithTheNewPictureOnBlack) {
    for (Rect rect : {kNarrow, kWide}) {
        EffectHarness h(rect, 3);
        h.fresh.fill({rect.x, rect.y, rect.width, 1}, colours::kBlack);  // a black top row
        ASSERT_EQ(h.run(35), kEffectDone);
        ASSERT_GE(h.steps().size(), static_cast<size_t>(rect.height));
        EXPECT_EQ(h.steps()[0].waitMs, 30);
        EXPECT_TRUE(test::stepMatches(h, h.steps().size() - 1, [&](int x, int y) {
            return std::optional(y == 0 ? colours::kBlack : newDot(x, y));
        }));
        EXPECT_TRUE(h.outsideUntouched());
    }
}

// Each cell of the table's width and 8 rows gains one new dot a step, the
// first four in its top-left, bottom-right, top-right and bottom-left quarters.
TEST(RandomEffect, EveryCellGainsOneDotAStepVisitingTheQuarters) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3}) {
            SCOPED_TRACE(::testing::Message() << rect.width << " speed " << speed);
            EffectHarness h(rect, speed);
            ASSERT_EQ(h.run(36), kEffectDone);
            const int cw = speed == 0 ? 8 : 4;
            ASSERT_EQ(static_cast<int>(h.steps().size()), cw * 8);
            for (size_t k = 0; k < h.steps().size(); ++k) {
                EXPECT_EQ(h.steps()[k].waitMs, speed == 0 ? 60 : 70);
                for (int y0 = 0; y0 < h.h(); y0 += 8)
                    for (int x0 = 0; x0 < h.w(); x0 += cw) {
                        const int bw = std::min(cw, h.w() - x0), bh = std::min(8, h.h() - y0);
                        int fresh = 0;
                        for (int y = y0; y < y0 + bh; ++y)
                            for (int x = x0; x < x0 + bw; ++x) {
                                if (h.at(k, x, y) == newDot(x, y))
                                    ++fresh;
                                else
                                    EXPECT_EQ(h.at(k, x, y), oldDot(x, y));
                            }
                        EXPECT_EQ(fresh, std::min<int>(static_cast<int>(k) + 1, bw * bh));
                    }
            }
            // The quarters of the first full cell, in turn.
            auto quarterOfStep = [&](size_t k) {
                for (int y = 0; y < std::min(8, h.h()); ++y)
                    for (int x = 0; x < cw; ++x)
                        if (h.at(k, x, y) == newDot(x, y) &&
                            (k == 0 || !(h.at(k - 1, x, y) == newDot(x, y))))
                            return (x >= cw / 2 ? 1 : 0) +
                                   (y >= (std::min(8, h.h()) + 1) / 2 ? 2 : 0);
                return -1;
            };
            EXPECT_EQ(quarterOfStep(0), 0);  // top left
            EXPECT_EQ(quarterOfStep(1), 3);  // bottom right
            EXPECT_EQ(quarterOfStep(2), 1);  // top right
            EXPECT_EQ(quarterOfStep(3), 2);  // bottom left
        }
}

// Block by block from the left, every row is shot in with a trail to the
// right edge; the rows alternate between the upper and the lower half, and
// with an odd row count the last row comes last.
TEST(Shoot, RowsAreShotInWithATrailAlternatingBetweenTheHalves) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3}) {
            SCOPED_TRACE(::testing::Message() << rect.width << " speed " << speed);
            EffectHarness h(rect, speed);
            ASSERT_EQ(h.run(37), kEffectDone);
            const int w = h.w(), hh = h.h(), half = hh / 2;
            const int blocks = (w + 7) / 8;
            ASSERT_EQ(static_cast<int>(h.steps().size()), blocks * hh + 1);
            std::vector<int> doneBlocks(static_cast<size_t>(hh), 0);
            size_t step = 0;
            for (int b = 0; b < blocks; ++b) {
                const int bx = b * 8, bw = std::min(8, w - bx);
                std::set<int> seen;
                for (int i = 0; i < hh; ++i, ++step) {
                    EXPECT_EQ(h.steps()[step].waitMs, speed == 0 ? 40 : 25);
                    // The shot row is the one whose block segment has just come in.
                    int shot = -1;
                    for (int y = 0; y < hh; ++y)
                        if (h.at(step, bx, y) == newDot(bx, y) &&
                            (step == 0 || !(h.at(step - 1, bx, y) == newDot(bx, y))))
                            shot = y;
                    ASSERT_GE(shot, 0);
                    EXPECT_TRUE(seen.insert(shot).second);
                    if (hh % 2 && i == hh - 1)
                        EXPECT_EQ(shot, hh - 1);
                    else
                        EXPECT_EQ(shot < half, i % 2 == 0) << "row " << shot << " as shot " << i;
                    EXPECT_TRUE(test::stepMatches(h, step, [&](int x, int y) -> std::optional<Rgb> {
                        if (y == shot && x >= bx) return newDot(bx + (x - bx) % bw, y);
                        const int done = doneBlocks[static_cast<size_t>(y)];
                        if (x < done * 8) return newDot(x, y);
                        return done == 0 ? oldDot(x, y) : colours::kBlack;
                    }));
                    doneBlocks[static_cast<size_t>(shot)] = b + 1;
                }
            }
            EXPECT_TRUE(test::stepMatches(h, step, anyNew));  // the trails are gone
        }
}

// Groups of 2 (speed 0) or 4 (speed 3) blocks, taken alternately from the
// first and second half of the blocks, explode through the five sprites and
// are then replaced by the new picture for the hold time.
TEST(Explode, GroupsOfBlocksExplodeAndAreReplaced) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3}) {
            SCOPED_TRACE(::testing::Message() << rect.width << " speed " << speed);
            EffectHarness h(rect, speed);
            ASSERT_EQ(h.run(38), kEffectDone);
            const int across = (h.w() + 7) / 8, count = across * ((h.h() + 7) / 8);
            const int group = speed == 0 ? 2 : 4;
            const int groups = (count + group - 1) / group;
            ASSERT_EQ(static_cast<int>(h.steps().size()), groups * 6);
            std::vector<bool> replaced(static_cast<size_t>(count), false);
            std::vector<int> order;
            for (int g = 0; g < groups; ++g) {
                std::vector<int> exploding;
                for (int b = 0; b < count; ++b) {
                    const int bx = b % across * 8, by = b / across * 8;
                    if (!replaced[static_cast<size_t>(b)] &&
                        !(h.at(static_cast<size_t>(g * 6), bx, by) == oldDot(bx, by)))
                        exploding.push_back(b);
                }
                ASSERT_EQ(static_cast<int>(exploding.size()), std::min(group, count - g * group));
                for (int e = 0; e < 5; ++e) {
                    const size_t step = static_cast<size_t>(g * 6 + e);
                    EXPECT_EQ(h.steps()[step].waitMs, speed == 0 ? 55 : 50);
                    EXPECT_TRUE(test::stepMatches(h, step, [&](int x, int y) -> std::optional<Rgb> {
                        const int b = y / 8 * across + x / 8;
                        if (replaced[static_cast<size_t>(b)]) return newDot(x, y);
                        if (std::find(exploding.begin(), exploding.end(), b) == exploding.end())
                            return oldDot(x, y);
                        return lit(kExplosionSprites[e], x % 8, y % 8) ? colours::kYellow
                                                                       : colours::kBlack;
                    }));
                }
                const size_t hold = static_cast<size_t>(g * 6 + 5);
                EXPECT_EQ(h.steps()[hold].waitMs, speed == 0 ? 45 : 30);
                for (int b : exploding) {
                    replaced[static_cast<size_t>(b)] = true;
                    order.push_back(b);
                }
                EXPECT_TRUE(test::stepMatches(h, hold, [&](int x, int y) {
                    return std::optional(replaced[static_cast<size_t>(y / 8 * across + x / 8)]
                                             ? newDot(x, y)
                                             : oldDot(x, y));
                }));
            }
            ASSERT_EQ(static_cast<int>(order.size()), count);
            // Whichever order the groups were found in, each group holds as many
            // blocks of the first half as of the second.
            for (int g = 0; g + 1 < groups; ++g) {
                int first = 0;
                for (int i = g * group; i < (g + 1) * group; ++i)
                    first += order[static_cast<size_t>(i)] < count / 2;
                EXPECT_EQ(first, group / 2);
            }
        }
}

TEST(TwinkleAndFlash, WithPauseZeroTheyShowTheNewPictureFor150Ms) {
    for (int effect : {39, 40}) {
        EffectHarness h(kNarrow);
        ASSERT_EQ(h.run(effect), kEffectDone);
        ASSERT_EQ(h.steps().size(), 1u);
        EXPECT_EQ(h.steps()[0].waitMs, 150);
        EXPECT_TRUE(test::stepMatches(h, 0, anyNew));
    }
}

TEST(TwinkleAndFlash, TwinkleMovesBlackDiagonalsForThePauseTime) {
    EffectHarness h(kWide, 0);
    h.pauseZero = false;
    h.pauseMs = 1000;
    ASSERT_EQ(h.run(39), kEffectDone);
    // Cycles of 8 steps of 20 ms until the second has passed: 7 cycles.
    ASSERT_EQ(h.steps().size(), 57u);
    for (size_t k = 0; k < 56; ++k) {
        EXPECT_EQ(h.steps()[k].waitMs, 20);
        EXPECT_TRUE(test::stepMatches(h, k, [&](int x, int y) {
            return std::optional((x + y) % 8 == static_cast<int>(k % 8) ? colours::kBlack
                                                                        : newDot(x, y));
        }));
    }
    EXPECT_EQ(h.steps()[56].waitMs, 0);
    EXPECT_TRUE(test::stepMatches(h, 56, anyNew));
}

TEST(TwinkleAndFlash, FlashAlternatesTheNewPictureAndBlackForThePauseTime) {
    EffectHarness h(kNarrow, 0);
    h.pauseZero = false;
    h.pauseMs = 1000;
    ASSERT_EQ(h.run(40), kEffectDone);
    // Pairs of 220 ms steps until the second has passed: 3 pairs, then the picture.
    ASSERT_EQ(h.steps().size(), 7u);
    for (size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(h.steps()[k].waitMs, 220);
        EXPECT_TRUE(test::stepMatches(h, k, [&](int x, int y) {
            return std::optional(k % 2 == 0 ? newDot(x, y) : colours::kBlack);
        }));
    }
    EXPECT_TRUE(test::stepMatches(h, 6, anyNew));
    EXPECT_EQ(h.steps()[6].waitMs, 0);
}

// Rightwards in even 8-row bands from 8 columns left of the edge, leftwards
// in odd bands from the right edge; the new picture is left behind.
TEST(Pacman, CrossesEveryBandAndLeavesTheNewPictureBehind) {
    for (Rect rect : {kNarrow, kWide})
        for (int speed : {0, 3}) {
            SCOPED_TRACE(::testing::Message() << rect.width << " speed " << speed);
            EffectHarness h(rect, speed);
            ASSERT_EQ(h.run(41), kEffectDone);
            const int w = h.w();
            ASSERT_EQ(static_cast<int>(h.steps().size()), w + 9);
            for (size_t f = 0; f < h.steps().size(); ++f) {
                EXPECT_EQ(h.steps()[f].waitMs, speed == 0 ? 25 : 15);
                const bool open = (f / 8) % 2 == 0;
                EXPECT_TRUE(test::stepMatches(h, f, [&](int x, int y) -> std::optional<Rgb> {
                    const int r = y % 8;
                    if ((y / 8) % 2 == 0) {
                        const int sx = static_cast<int>(f) - 8;
                        if (x < sx) return newDot(x, y);
                        if (x >= sx + 8) return oldDot(x, y);
                        return lit(open ? kPacmanRightOpen : kPacmanRightClosed, x - sx, r)
                                   ? colours::kYellow
                                   : colours::kBlack;
                    }
                    const int sx = w - static_cast<int>(f);
                    if (x >= sx + 8) return newDot(x, y);
                    if (x < sx) return oldDot(x, y);
                    return lit(open ? kPacmanLeftOpen : kPacmanLeftClosed, x - sx, r)
                               ? colours::kYellow
                               : colours::kBlack;
                }));
            }
            EXPECT_TRUE(h.outsideUntouched());
        }
}

TEST(Sprites, AreYellowOnATriColourSignAndRedOnASingleColourOne) {
    EXPECT_EQ(spriteColour(0), colours::kYellow);
    EXPECT_EQ(spriteColour(1), colours::kRed);
}

}  // namespace
}  // namespace lumavox

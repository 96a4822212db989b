// The timing tables, pause times, effect numbering and automatic effects.
#include <gtest/gtest.h>

#include "render/preview/EffectTiming.h"

namespace lumavox {
namespace {

struct TableRow {
    std::vector<int> effects;
    int delays[8];
    int steps[8];
    StepTiming fallback;
};

// The tables as the sign's documentation lists them.
const TableRow kTables[] = {
    {{2, 3, 4, 5, 20}, {300, 250, 150, 20, 15, 5, 1, 0}, {1, 1, 1, 1, 1, 1, 1, 1}, {100, 1, 0}},
    {{14, 15, 16, 17, 24, 25, 26},
     {600, 400, 200, 100, 50, 40, 20, 15},
     {8, 8, 8, 8, 8, 8, 8, 8},
     {50, 8, 0}},
    {{27, 28, 29}, {600, 400, 200, 100, 70, 60, 50, 30}, {4, 4, 4, 4, 4, 4, 4, 4}, {50, 4, 0}},
    {{6, 7, 21, 22, 23}, {300, 200, 100, 80, 30, 20, 10, 5}, {1, 1, 1, 1, 1, 1, 1, 1}, {30, 1, 0}},
    {{18, 19}, {600, 400, 200, 140, 70, 50, 40, 20}, {4, 4, 4, 4, 4, 4, 4, 4}, {70, 4, 0}},
    {{30, 31}, {200, 150, 100, 50, 40, 30, 10, 5}, {1, 1, 1, 1, 1, 1, 1, 1}, {40, 1, 0}},
    {{32, 33}, {100, 80, 60, 40, 20, 10, 5, 1}, {1, 1, 1, 1, 1, 1, 1, 1}, {40, 1, 0}},
    {{8, 9, 10, 11}, {10, 20, 10, 2, 7, 5, 3, 0}, {1, 2, 2, 2, 4, 4, 4, 1}, {7, 1, 0}},
    {{12, 13}, {80, 60, 40, 20, 20, 15, 10, 1}, {1, 1, 1, 1, 2, 2, 2, 2}, {20, 2, 0}},
    {{34}, {20, 16, 13, 10, 7, 5, 3, 0}, {8, 8, 8, 8, 8, 8, 8, 8}, {7, 8, 0}},
    {{35}, {50, 45, 40, 30, 25, 20, 15, 10}, {1, 1, 1, 1, 1, 1, 1, 1}, {30, 1, 0}},
    {{36}, {60, 40, 30, 70, 60, 50, 30, 20}, {8, 8, 8, 4, 4, 4, 4, 4}, {20, 4, 0}},
    {{39}, {20, 17, 15, 13, 10, 7, 4, 1}, {}, {10, 0, 0}},
    {{40}, {220, 200, 180, 160, 140, 110, 100, 80}, {}, {140, 0, 0}},
    {{41}, {25, 23, 20, 15, 10, 8, 5, 2}, {}, {10, 0, 0}},
    {{37}, {40, 35, 30, 25, 5, 3, 1, 0}, {}, {5, 0, 0}},
    {{42}, {400, 300, 250, 200, 150, 50, 20, 10}, {1, 1, 1, 1, 1, 1, 1, 1}, {100, 1, 0}},
    {{43}, {300, 250, 200, 100, 17, 10, 7, 4}, {1, 1, 1, 1, 1, 1, 1, 1}, {17, 1, 0}},
};

TEST(EffectTiming, EveryEffectTakesItsTableForEverySpeedAndTheFallbackOutsideIt) {
    for (const TableRow& t : kTables)
        for (int effect : t.effects) {
            for (int speed = 0; speed < 8; ++speed) {
                const StepTiming got = stepTiming(effect, speed);
                EXPECT_EQ(got.delayMs, t.delays[speed]) << effect << " speed " << speed;
                if (t.steps[0] != 0) {
                    EXPECT_EQ(got.step, t.steps[speed]) << effect << " speed " << speed;
                }
            }
            for (int speed : {-1, 8, 255}) {
                EXPECT_EQ(stepTiming(effect, speed).delayMs, t.fallback.delayMs) << effect;
                if (t.fallback.step != 0) {
                    EXPECT_EQ(stepTiming(effect, speed).step, t.fallback.step);
                }
            }
        }
}

TEST(EffectTiming, ExplodeHasBlocksPerGroupAndAHoldAfterEachGroup) {
    const int delays[] = {55, 55, 55, 50, 40, 40, 30, 30};
    const int blocks[] = {2, 2, 4, 4, 4, 4, 4, 4};
    const int holds[] = {45, 40, 35, 30, 25, 20, 10, 0};
    for (int speed = 0; speed < 8; ++speed)
        EXPECT_EQ(stepTiming(38, speed), (StepTiming{delays[speed], blocks[speed], holds[speed]}));
    EXPECT_EQ(stepTiming(38, 9), (StepTiming{45, 4, 25}));
}

TEST(EffectTiming, PauseCodesHoldTheScreen) {
    const int ms[] = {150, 1000, 2000, 3000, 5000, 10000, 30000, 60000};
    for (int code = 0; code < 8; ++code)
        EXPECT_EQ(pauseMs(code), ms[code]);
    EXPECT_EQ(pauseMs(8), 5000);
    EXPECT_EQ(pauseMs(-1), 5000);
}

TEST(EffectNumbers, NvsCodesMapToTheEffectOfTheSameName) {
    const int nvs[] = {0,  1,  6,  7,  2,  3,  4,  5,  12, 13, 8,  9,  10, 11, 18,
                       19, 14, 15, 16, 17, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29,
                       30, 31, 32, 33, 34, 35, 36, 37, 38, 40, 39, 41, 43, 42};
    for (int code = 0; code < 44; ++code) {
        EXPECT_EQ(familyEffect(SignMode::NVS, code), nvs[code]) << code;
        EXPECT_EQ(familyEffect(SignMode::KV2, code), code);
    }
    EXPECT_EQ(familyEffect(SignMode::NVS, 44), -1);
    EXPECT_EQ(familyEffect(SignMode::KV2, -3), -1);
}

TEST(EffectNumbers, MoveInZeroAndMoveOutOneCountThroughTheEffects) {
    AutoEffects autos;
    for (int round = 0; round < 2; ++round)
        for (int e = 1; e <= 43; ++e)
            EXPECT_EQ(autos.moveIn(SignMode::KV2, 0), e);
    for (int round = 0; round < 2; ++round)
        for (int e = 1; e <= 43; ++e)
            EXPECT_EQ(autos.moveOut(SignMode::NVS, 1), e);
    // Stored codes: in = the code, out = the code less one; unknown ones play nothing.
    EXPECT_EQ(autos.moveIn(SignMode::KV2, 35), 35);
    EXPECT_EQ(autos.moveOut(SignMode::KV2, 36), 35);
    EXPECT_EQ(autos.moveIn(SignMode::KV2, 44), 0);
    EXPECT_EQ(autos.moveOut(SignMode::KV2, 45), 0);
    EXPECT_EQ(autos.moveIn(SignMode::NVS, 42), 43);
    EXPECT_EQ(autos.moveOut(SignMode::NVS, 43), 43);
}

TEST(EffectNumbers, WhichStoredCodesHoldTheirOwnPauseOrLeaveTheScreen) {
    for (int code = -1; code <= 45; ++code) {
        EXPECT_EQ(holdsOwnPause(code), code == 39 || code == 40 || code == 42 || code == 43)
            << code;
        EXPECT_EQ(leavesScreen(code),
                  code == -1 || code == 0 || code == 40 || code == 41 || code == 44)
            << code;
    }
}

}  // namespace
}  // namespace lumavox

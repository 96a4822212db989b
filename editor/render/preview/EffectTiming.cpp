#include "render/preview/EffectTiming.h"

#include <array>

namespace lumavox {

namespace {

constexpr int kSpeeds = 8;

struct Table {
    std::array<int, kSpeeds> delays;
    std::array<int, kSpeeds> steps;
    int fallbackDelay;
    int fallbackStep;
    std::array<int, kSpeeds> holds{};
    int fallbackHold = 0;
};

constexpr std::array<int, kSpeeds> kStep1{1, 1, 1, 1, 1, 1, 1, 1};
constexpr std::array<int, kSpeeds> kStep4{4, 4, 4, 4, 4, 4, 4, 4};
constexpr std::array<int, kSpeeds> kStep8{8, 8, 8, 8, 8, 8, 8, 8};

// Tables A to S, in that order.
constexpr Table kA{{300, 250, 150, 20, 15, 5, 1, 0}, kStep1, 100, 1};
constexpr Table kB{{600, 400, 200, 100, 50, 40, 20, 15}, kStep8, 50, 8};
constexpr Table kC{{600, 400, 200, 100, 70, 60, 50, 30}, kStep4, 50, 4};
constexpr Table kD{{300, 200, 100, 80, 30, 20, 10, 5}, kStep1, 30, 1};
constexpr Table kE{{600, 400, 200, 140, 70, 50, 40, 20}, kStep4, 70, 4};
constexpr Table kF{{200, 150, 100, 50, 40, 30, 10, 5}, kStep1, 40, 1};
constexpr Table kG{{100, 80, 60, 40, 20, 10, 5, 1}, kStep1, 40, 1};
constexpr Table kH{{10, 20, 10, 2, 7, 5, 3, 0}, {1, 2, 2, 2, 4, 4, 4, 1}, 7, 1};
constexpr Table kI{{80, 60, 40, 20, 20, 15, 10, 1}, {1, 1, 1, 1, 2, 2, 2, 2}, 20, 2};
constexpr Table kJ{{20, 16, 13, 10, 7, 5, 3, 0}, kStep8, 7, 8};
constexpr Table kK{{50, 45, 40, 30, 25, 20, 15, 10}, kStep1, 30, 1};
constexpr Table kL{{60, 40, 30, 70, 60, 50, 30, 20}, {8, 8, 8, 4, 4, 4, 4, 4}, 20, 4};
constexpr Table kM{{40, 35, 30, 25, 5, 3, 1, 0}, kStep1, 5, 1};
constexpr Table kN{{55, 55, 55, 50, 40, 40, 30, 30},
                   {2, 2, 4, 4, 4, 4, 4, 4},
                   45,
                   4,
                   {45, 40, 35, 30, 25, 20, 10, 0},
                   25};
constexpr Table kO{{20, 17, 15, 13, 10, 7, 4, 1}, kStep1, 10, 1};
constexpr Table kP{{220, 200, 180, 160, 140, 110, 100, 80}, kStep1, 140, 1};
constexpr Table kQ{{25, 23, 20, 15, 10, 8, 5, 2}, kStep1, 10, 1};
constexpr Table kR{{400, 300, 250, 200, 150, 50, 20, 10}, kStep1, 100, 1};
constexpr Table kS{{300, 250, 200, 100, 17, 10, 7, 4}, kStep1, 17, 1};

const Table* tableOf(int effect) {
    switch (effect) {
        case kSlideLeft:
        case kSlideRight:
        case kSlideApart:
        case kSlideTogether:
        case kInSlide1:
            return &kA;
        case kRollLeft:
        case kRollRight:
        case kRollApart:
        case kRollTogether:
        case kInRoll1:
        case kInRoll2:
        case kInRoll3:
            return &kB;
        case kInRoll4:
        case kInRoll5:
        case kInRoll6:
            return &kC;
        case kSlideUp:
        case kSlideDown:
        case kInSlide2:
        case kInSlide3:
        case kInSlide4:
            return &kD;
        case kRollUp:
        case kRollDown:
            return &kE;
        case kShutter1:
        case kShutter2:
            return &kF;
        case kShutter3:
        case kShutter4:
            return &kG;
        case kCoverLeft:
        case kCoverRight:
        case kCoverApart:
        case kCoverTogether:
            return &kH;
        case kCoverUp:
        case kCoverDown:
            return &kI;
        case kJump:
            return &kJ;
        case kSnow:
            return &kK;
        case kRandom:
            return &kL;
        case kShoot:
            return &kM;
        case kExplode:
            return &kN;
        case kTwinkle:
            return &kO;
        case kFlash:
            return &kP;
        case kPacman:
            return &kQ;
        case kScroll:
            return &kR;
        case kRotate:
            return &kS;
        default:
            return nullptr;
    }
}

// NVS move codes 0..43 as effects of the same name.
constexpr std::array<int, 44> kNvsEffects{
    0,  1,  6,  7,  2,  3,  4,  5,  12, 13, 8,  9,  10, 11, 18, 19, 14, 15, 16, 17, 20, 21,
    22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 40, 39, 41, 43, 42};

}  // namespace

StepTiming stepTiming(int effect, int speed) {
    const Table* t = tableOf(effect);
    if (!t) return {0, 0, 0};
    if (speed < 0 || speed >= kSpeeds) return {t->fallbackDelay, t->fallbackStep, t->fallbackHold};
    const auto i = static_cast<size_t>(speed);
    return {t->delays[i], t->steps[i], t->holds[i]};
}

int pauseMs(int pauseCode) {
    switch (pauseCode) {
        case 0:
            return 150;
        case 1:
            return 1000;
        case 2:
            return 2000;
        case 3:
            return 3000;
        case 5:
            return 10000;
        case 6:
            return 30000;
        case 7:
            return 60000;
        default:
            return 5000;
    }
}

int familyEffect(SignMode mode, int code) {
    if (code < 0 || code >= static_cast<int>(kNvsEffects.size())) return -1;
    return mode == SignMode::NVS ? kNvsEffects[static_cast<size_t>(code)] : code;
}

bool holdsOwnPause(int storedMoveIn) {
    return storedMoveIn == kTwinkle || storedMoveIn == kFlash || storedMoveIn == kScroll ||
           storedMoveIn == kRotate;
}

bool leavesScreen(int storedMoveOut) {
    return storedMoveOut == -1 || storedMoveOut == 0 || storedMoveOut == 40 ||
           storedMoveOut == 41 || storedMoveOut == 44;
}

int AutoEffects::moveIn(SignMode mode, int storedCode) {
    if (storedCode == 0) {
        const int effect = in_;
        in_ = in_ >= kLastEffect ? kFirstEffect : in_ + 1;
        return effect;
    }
    const int effect = familyEffect(mode, storedCode);
    return effect >= kFirstEffect && effect <= kLastEffect ? effect : kNoEffect;
}

int AutoEffects::moveOut(SignMode mode, int storedCode) {
    if (storedCode == 1) {
        // The counter runs over the stored out codes; the effect is one less.
        const int code = out_;
        out_ = out_ >= kLastEffect + 1 ? 2 : out_ + 1;
        return code - 1;
    }
    const int effect = familyEffect(mode, storedCode - 1);
    return effect >= kFirstEffect && effect <= kLastEffect ? effect : kNoEffect;
}

}  // namespace lumavox

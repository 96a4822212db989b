// The numbers of the display simulation: which effect a move code plays, the
// step delay and step size of every effect by speed code, the pause times,
// and the automatic effect counters.
#pragma once

#include "content/Model.h"

namespace lumavox {

constexpr int kFirstEffect = 1;
constexpr int kLastEffect = 43;
constexpr int kNoEffect = 0;

// The effects by number (move-in code in the KV2 family).
enum Effect : int {
    kImmediate = 1,
    kSlideLeft = 2,
    kSlideRight = 3,
    kSlideApart = 4,
    kSlideTogether = 5,
    kSlideUp = 6,
    kSlideDown = 7,
    kCoverLeft = 8,
    kCoverRight = 9,
    kCoverApart = 10,
    kCoverTogether = 11,
    kCoverUp = 12,
    kCoverDown = 13,
    kRollLeft = 14,
    kRollRight = 15,
    kRollApart = 16,
    kRollTogether = 17,
    kRollUp = 18,
    kRollDown = 19,
    kInSlide1 = 20,
    kInSlide2 = 21,
    kInSlide3 = 22,
    kInSlide4 = 23,
    kInRoll1 = 24,
    kInRoll2 = 25,
    kInRoll3 = 26,
    kInRoll4 = 27,
    kInRoll5 = 28,
    kInRoll6 = 29,
    kShutter1 = 30,
    kShutter2 = 31,
    kShutter3 = 32,
    kShutter4 = 33,
    kJump = 34,
    kSnow = 35,
    kRandom = 36,
    kShoot = 37,
    kExplode = 38,
    kTwinkle = 39,
    kFlash = 40,
    kPacman = 41,
    kScroll = 42,
    kRotate = 43,
};

// What an effect takes from its timing table for one speed code. `step` is
// the step in dots (the cell width for the random effect, the blocks per
// group for the explosion); `hold` is the explosion's wait after each group.
struct StepTiming {
    int delayMs = 0;
    int step = 1;
    int hold = 0;
    bool operator==(const StepTiming&) const = default;
};

// The timing of an effect at a speed code (0 slowest .. 7 fastest; any other
// code takes the table's fallback). Effect 1 and unknown effects: all zero.
StepTiming stepTiming(int effect, int speed);

// The hold time of a pause code: 0 -> 150 ms, 1 -> 1 s, 2 -> 2 s, 3 -> 3 s,
// 5 -> 10 s, 6 -> 30 s, 7 -> 60 s, any other -> 5 s.
int pauseMs(int pauseCode);

// The effect of the same name in the KV2 numbering for a code of the family
// (NVS codes 0..43 are reordered; KV2 codes stand as they are). A code
// outside 0..43 gives -1.
int familyEffect(SignMode mode, int code);

// Move-in codes after which the player does not wait the pause time (the
// effect holds the screen itself): twinkle, flash, scroll and rotate.
bool holdsOwnPause(int storedMoveIn);
// Move-out codes that leave the screen in place: none (-1), 0, 40, 41, 44.
bool leavesScreen(int storedMoveOut);

// The automatic effects of one playback: move-in code 0 plays 1, 2, ... 43,
// 1, ...; move-out code 1 plays the out codes 2, 3, ... 44, 2, ...
class AutoEffects {
  public:
    // The effect a move-in code plays (0 takes the counter and advances it).
    // Outside 1..43 the screen comes in with no effect.
    int moveIn(SignMode mode, int storedCode);
    // The effect a stored move-out code plays (1 takes the counter).
    int moveOut(SignMode mode, int storedCode);

  private:
    int in_ = 1;
    int out_ = 2;
};

}  // namespace lumavox

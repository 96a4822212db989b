// The effects by family; runEffect picks the family and the timing.
#pragma once

#include "render/preview/EffectTiming.h"
#include "render/preview/Effects.h"

namespace lumavox {

// 2-7 and 14-29: the displayed content moves, the new image follows it in.
int slideEffect(int effect, EffectRun& run, StepTiming timing);
// 8-13 and 30-33: the new image is revealed in place by strips or slats.
int coverEffect(int effect, EffectRun& run, StepTiming timing);
// 34-41: jump, snow, random, shoot, explode, twinkle, flash, pacman.
int pictureEffect(int effect, EffectRun& run, StepTiming timing);
// 42 and 43: the screen's lines scroll up or run in like a marquee.
int lineEffect(int effect, EffectRun& run, StepTiming timing);

// `count` frames: draw(frame), refresh, wait the step delay.
template <typename Draw>
int stepFrames(EffectRun& run, int count, int delayMs, Draw draw) {
    for (int f = 0; f < count; ++f) {
        if (run.steps.stopped()) return kEffectStopped;
        draw(f);
        if (!run.steps.show(delayMs)) return kEffectStopped;
    }
    return kEffectDone;
}

}  // namespace lumavox

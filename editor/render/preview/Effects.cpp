#include "render/preview/Effects.h"

#include "render/preview/EffectCanvas.h"
#include "render/preview/EffectFamilies.h"

namespace lumavox {

int runEffect(int effect, EffectRun& run) {
    if (run.steps.stopped()) return kEffectStopped;
    if (run.rect.width <= 0 || run.rect.height <= 0) return kEffectDone;
    const StepTiming timing = stepTiming(effect, run.state.speed);
    if (effect == kImmediate) {
        EffectCanvas(run).takeAll();
        return run.steps.refresh() ? kEffectDone : kEffectStopped;
    }
    if ((effect >= kSlideLeft && effect <= kSlideDown) ||
        (effect >= kRollLeft && effect <= kInRoll6))
        return slideEffect(effect, run, timing);
    if ((effect >= kCoverLeft && effect <= kCoverDown) ||
        (effect >= kShutter1 && effect <= kShutter4))
        return coverEffect(effect, run, timing);
    if (effect >= kJump && effect <= kPacman) return pictureEffect(effect, run, timing);
    if (effect == kScroll || effect == kRotate) return lineEffect(effect, run, timing);
    return kEffectDone;
}

}  // namespace lumavox

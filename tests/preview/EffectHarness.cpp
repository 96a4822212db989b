#include "EffectHarness.h"

namespace lumavox::test {

bool RecordingSteps::refresh() {
    if (stop) return false;
    RgbImage part(rect.width, rect.height);
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x)
            part.set(x, y, shown->at(rect.x + x, rect.y + y));
    steps.push_back({std::move(part), 0});
    if (stopAfterSteps >= 0 && static_cast<int>(steps.size()) >= stopAfterSteps) stop = true;
    return !stop;
}

bool RecordingSteps::hold(int ms) {
    if (stop) return false;
    if (steps.empty())
        holdsWithoutStep.push_back(ms);
    else
        steps.back().waitMs += ms;
    return true;
}

uint32_t RecordingSteps::random(uint32_t bound) {
    if (bound == 0) return 0;
    if (!script.empty()) {
        uint32_t v = script.front();
        script.pop_front();
        return v % bound;
    }
    return engine() % bound;
}

EffectHarness::EffectHarness(int imageWidth, int imageHeight, Rect r, int speed)
    : shown(imageWidth, imageHeight, kOutside), fresh(imageWidth, imageHeight, kOutside), rect(r) {
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            shown.set(r.x + x, r.y + y, oldDot(x, y));
            fresh.set(r.x + x, r.y + y, newDot(x, y));
        }
    state.speed = speed;
    rec.shown = &shown;
    rec.rect = r;
}

int EffectHarness::run(int effect, bool moveOut) {
    EffectRun run{
        shown, fresh, rect, state, alignment, moveOut, pauseMs, pauseZero, colours::kYellow, rec};
    return runEffect(effect, run);
}

bool EffectHarness::outsideUntouched() const {
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (!(x >= rect.x && x < rect.right() && y >= rect.y && y < rect.bottom()) &&
                !(shown.at(x, y) == kOutside))
                return false;
    return true;
}

}  // namespace lumavox::test

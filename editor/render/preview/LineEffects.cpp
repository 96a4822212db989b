// The effects that take the screen line by line: scroll (the lines rise into
// the rectangle from below) and rotate (each line runs in from the right like
// a marquee). Both use the line strips the layout recorded for the screen.
#include <algorithm>
#include <vector>

#include "render/preview/EffectCanvas.h"
#include "render/preview/EffectFamilies.h"

namespace lumavox {

namespace {

constexpr int kBandRows = 8;
// Dots of black after a line that ended with CR or LF in the rotate effect.
constexpr int kGapAfterCR = 32;
constexpr int kGapAfterLF = 64;
constexpr int kEndedCR = 1;
constexpr int kEndedLF = 2;
// A screen leaving by scroll scrolls itself out.
constexpr int kMoveOutScroll = kScroll + 1;

class LineRun {
  public:
    LineRun(EffectRun& run, StepTiming t) : run_(run), c_(run), t_(t) {}

    // The strip rises into the rectangle from the bottom edge, one row a frame.
    bool scrollIn(const LineStrip& strip) {
        const int sx = strip.x - run_.rect.x;
        const int sy = strip.y - run_.rect.y;
        for (int rows = 1; rows <= strip.height; ++rows) {
            if (run_.steps.stopped()) return false;
            c_.shift(0, 0, c_.w, c_.h, 0, -1);
            c_.clear(0, c_.h - 1, c_.w, 1);
            c_.take(sx, sy, strip.width, rows, sx, c_.h - rows);
            if (!run_.steps.show(t_.delayMs)) return false;
        }
        return true;
    }

    // The strip runs in at the right edge, one column a frame, for `base`
    // columns and the gap its line end asks for. Only what the rectangle
    // holds of the strip comes in.
    bool runIn(const LineStrip& strip, int base) {
        const int length = base + (strip.ended == kEndedCR   ? kGapAfterCR
                                   : strip.ended == kEndedLF ? kGapAfterLF
                                                             : 0);
        const int sx = strip.x - run_.rect.x;
        const int sy = strip.y - run_.rect.y;
        const int vertical = run_.alignment / 3;
        const int dy =
            vertical == 0 ? 0 : (vertical == 1 ? (c_.h - strip.height) / 2 : c_.h - strip.height);
        for (int l = 1; l <= length; ++l) {
            if (run_.steps.stopped()) return false;
            c_.shift(0, 0, c_.w, c_.h, -1, 0);
            c_.clear(c_.w - 1, 0, 1, c_.h);
            if (l <= std::min(c_.w, strip.width)) c_.take(sx, sy, l, strip.height, c_.w - l, dy);
            if (!run_.steps.show(t_.delayMs)) return false;
        }
        return true;
    }

    // The way out: the new image is black from here on.
    void clearNewImage() { run_.fresh.fill(run_.rect, colours::kBlack); }

  private:
    EffectRun& run_;
    EffectCanvas c_;
    StepTiming t_;
};

int scroll(EffectRun& run, StepTiming t) {
    LineRun lines(run, t);
    const ScreenState& state = run.state;
    const int h = run.rect.height;
    int scrolled = 0;
    for (const LineStrip& strip : state.strips) {
        if (!lines.scrollIn(strip)) return kEffectStopped;
        scrolled += strip.height;
        // Each line is held for the pause time; a screen leaving holds only
        // while it has not yet scrolled out.
        if ((!run.moveOut || scrolled < h) && !run.steps.hold(run.pauseMs)) return kEffectStopped;
    }
    if (state.strips.empty()) return kEffectDone;
    const LineStrip& last = state.strips.back();
    const bool again =
        last.ended == kEndedLF || (last.ended == 0 && state.endFlag) ||
        (state.strips.size() == 1 && last.ended == kEndedCR && last.width >= run.rect.width);
    if (!again || state.moveOut == kMoveOutScroll) return kEffectDone;
    // The second pass scrolls the screen out: by its lines, or by 8-row bands
    // of the rectangle when no move-out follows.
    lines.clearNewImage();
    std::vector<LineStrip> out = state.strips;
    if (state.moveOut == -1) {
        out.clear();
        for (int y = 0; y < h; y += kBandRows)
            out.push_back({run.rect.width, std::min(kBandRows, h - y), run.rect.x, run.rect.y + y});
    }
    for (const LineStrip& strip : out)
        if (!lines.scrollIn(strip)) return kEffectStopped;
    return kEffectDone;
}

int rotate(EffectRun& run, StepTiming t) {
    LineRun lines(run, t);
    const ScreenState& state = run.state;
    for (const LineStrip& strip : state.strips)
        if (!lines.runIn(strip, run.moveOut ? run.rect.width : strip.width)) return kEffectStopped;
    if (state.strips.empty()) return kEffectDone;
    // The last line runs out when a move-out follows or the file ends.
    if (state.moveOut != -1 || state.strips.back().lastOfFile) {
        lines.clearNewImage();
        if (!lines.runIn(state.strips.back(), run.rect.width)) return kEffectStopped;
    }
    return kEffectDone;
}

}  // namespace

int lineEffect(int effect, EffectRun& run, StepTiming t) {
    if (effect == kScroll) return scroll(run, t);
    if (effect == kRotate) return rotate(run, t);
    return kEffectDone;
}

}  // namespace lumavox

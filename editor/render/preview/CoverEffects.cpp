// The cover family and the shutters: the displayed image stays where it is
// and the new image is revealed in place.
#include <algorithm>

#include "render/preview/EffectCanvas.h"
#include "render/preview/EffectFamilies.h"

namespace lumavox {

namespace {

constexpr int kSlat = 16;

// A strip is cleared and filled from the new image (clipped to the rectangle).
void revealColumns(EffectCanvas& c, int x, int bw) {
    c.clear(x, 0, bw, c.h);
    c.take(x, 0, bw, c.h);
}

void revealRows(EffectCanvas& c, int y, int bh) {
    c.clear(0, y, c.w, bh);
    c.take(0, y, c.w, bh);
}

}  // namespace

int coverEffect(int effect, EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    const int s = std::max(t.step, 1);
    const int w = c.w;
    const int h = c.h;
    const int half = w / 2;
    // The strips start next to their edge and move s dots a frame; the last
    // frame is the one in which they have passed the far edge.
    switch (effect) {
        case kCoverLeft:
            return stepFrames(run, ceilDiv(w, s) + 1, t.delayMs,
                              [&](int f) { revealColumns(c, w - s * (f + 1), s); });
        case kCoverRight:
            return stepFrames(run, ceilDiv(w, s) + 1, t.delayMs,
                              [&](int f) { revealColumns(c, s * f, s); });
        case kCoverApart:
            return stepFrames(run, ceilDiv(w, 2 * s) + 1, t.delayMs, [&](int f) {
                revealColumns(c, half - s * (f + 1), s);
                revealColumns(c, half + s * f, s);
            });
        case kCoverTogether:
            return stepFrames(run, ceilDiv(w, 2 * s) + 1, t.delayMs, [&](int f) {
                // Each strip stops at the centre.
                const int left = s * f;
                revealColumns(c, left, std::clamp(half - left, 0, s));
                const int right = std::max(w - s * (f + 1), half);
                revealColumns(c, right, std::max(w - s * f - right, 0));
            });
        case kCoverUp:
            return stepFrames(run, ceilDiv(h, s) + 1, t.delayMs,
                              [&](int f) { revealRows(c, h - s * (f + 1), s); });
        case kCoverDown:
            return stepFrames(run, ceilDiv(h, s) + 1, t.delayMs,
                              [&](int f) { revealRows(c, s * f, s); });
        case kShutter1:
        case kShutter2: {
            // 16-column slats from the left edge; in frame c each slat's
            // content moves one column and c columns of the new slat stand at
            // the slat's entering edge.
            const bool right = effect == kShutter1;
            return stepFrames(run, kSlat, t.delayMs, [&](int f) {
                const int cols = f + 1;
                for (int x = 0; x < w; x += kSlat) {
                    const int sw = std::min(kSlat, w - x);
                    const int n = std::min(cols, sw);
                    c.shift(x, 0, sw, h, right ? 1 : -1, 0);
                    if (right)
                        c.take(x + sw - n, 0, n, h, x, 0);
                    else
                        c.take(x, 0, n, h, x + sw - n, 0);
                }
            });
        }
        case kShutter3:
        case kShutter4:
            // Frame e reveals column e (or 16 - e) of every slat.
            return stepFrames(run, kSlat + 1, t.delayMs, [&](int e) {
                const int col = effect == kShutter3 ? e : kSlat - e;
                for (int x = 0; x < w; x += kSlat)
                    if (col < std::min(kSlat, w - x)) revealColumns(c, x + col, 1);
            });
        default:
            return kEffectDone;
    }
}

}  // namespace lumavox

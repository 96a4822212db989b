// The slide and roll family: the displayed content moves and the new image
// follows it in from an edge (or from the centre), s dots a frame.
#include "render/preview/EffectFamilies.h"

#include <algorithm>

#include "render/preview/EffectCanvas.h"

namespace lumavox {

namespace {

// The rows [y, y + bh) move by dx; n columns of the new image enter behind
// them: its last n at the left edge, or its first n at the right edge.
void rowsMove(EffectCanvas& c, int y, int bh, int dx, int n, bool enterLeft) {
    c.shift(0, y, c.w, bh, dx, 0);
    if (enterLeft)
        c.take(c.w - n, y, n, bh, 0, y);  // the last n columns enter at the left
    else
        c.take(0, y, n, bh, c.w - n, y);  // the first n columns enter at the right
}

// The columns [x, x + bw) move by dy; n rows of the new image enter behind
// them: its top n at the bottom edge, or its bottom n at the top edge.
void columnsMove(EffectCanvas& c, int x, int bw, int dy, int n, bool up) {
    c.shift(x, 0, bw, c.h, 0, dy);
    if (up)
        c.take(x, 0, bw, n, x, c.h - n);  // the top n rows enter at the bottom
    else
        c.take(x, c.h - n, bw, n, x, 0);  // the bottom n rows enter at the top
}

}  // namespace

int slideEffect(int effect, EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    const int s = std::max(t.step, 1);
    const int w = c.w;
    const int h = c.h;
    const int half = w / 2;
    auto n = [&](int f, int limit) { return std::min(s * (f + 1), limit); };
    switch (effect) {
        case kSlideLeft:
        case kRollLeft:
            return stepFrames(run, ceilDiv(w, s), t.delayMs,
                              [&](int f) { rowsMove(c, 0, h, -s, n(f, w), false); });
        case kSlideRight:
        case kRollRight:
            return stepFrames(run, ceilDiv(w, s) + 1, t.delayMs,
                              [&](int f) { rowsMove(c, 0, h, s, n(f, w), true); });
        case kSlideApart:
        case kRollApart: {
            // The halves part; the new image's outer columns come out of the centre.
            const int count = w < 2 * s ? 1 : w / (2 * s) + 2;
            return stepFrames(run, count, t.delayMs, [&](int f) {
                const int left = n(f, half);
                const int right = n(f, w - half);
                c.shift(0, 0, half, h, -s, 0);
                c.shift(half, 0, w - half, h, s, 0);
                c.take(0, 0, left, h, half - left, 0);
                c.take(w - right, 0, right, h, half, 0);
            });
        }
        case kSlideTogether:
        case kRollTogether:
            // n starts at 0: the halves close on the centre, each bringing the
            // new image's columns next to the centre first.
            return stepFrames(run, ceilDiv(w, 2 * s) + 1, t.delayMs, [&](int f) {
                const int left = std::min(s * f, half);
                const int right = std::min(s * f, w - half);
                c.shift(0, 0, half, h, s, 0);
                c.shift(half, 0, w - half, h, -s, 0);
                c.take(half - left, 0, left, h, 0, 0);
                c.take(half, 0, right, h, w - right, 0);
            });
        case kSlideUp:
        case kRollUp:
            return stepFrames(run, ceilDiv(h, s) + 1, t.delayMs,
                              [&](int f) { columnsMove(c, 0, w, -s, n(f, h), true); });
        case kSlideDown:
        case kRollDown:
            return stepFrames(run, ceilDiv(h, s) + 1, t.delayMs,
                              [&](int f) { columnsMove(c, 0, w, s, n(f, h), false); });
        case kInSlide1:
        case kInRoll1:
            // Upper half to the right, lower half to the left.
            return stepFrames(run, w / s + 2, t.delayMs, [&](int f) {
                rowsMove(c, 0, h / 2, s, n(f, w), true);
                rowsMove(c, h / 2, h - h / 2, -s, n(f, w), false);
            });
        case kInSlide2:
        case kInRoll4:
            // Left half up, right half down.
            return stepFrames(run, ceilDiv(h, s), t.delayMs, [&](int f) {
                columnsMove(c, 0, half, -s, n(f, h), true);
                columnsMove(c, half, w - half, s, n(f, h), false);
            });
        case kInSlide3:
        case kInRoll5:
            // Even columns up, odd columns down.
            return stepFrames(run, ceilDiv(h, s), t.delayMs, [&](int f) {
                for (int x = 0; x < w; ++x)
                    columnsMove(c, x, 1, x % 2 == 0 ? -s : s, n(f, h), x % 2 == 0);
            });
        case kInSlide4:
        case kInRoll6:
            // 16-column groups, alternately up and down.
            return stepFrames(run, ceilDiv(h, s) + 1, t.delayMs, [&](int f) {
                for (int x = 0; x < w; x += 16) {
                    const bool up = (x / 16) % 2 == 0;
                    columnsMove(c, x, std::min(16, w - x), up ? -s : s, n(f, h), up);
                }
            });
        case kInRoll2:
            // Even rows left, odd rows right.
            return stepFrames(run, ceilDiv(w, s) + 1, t.delayMs, [&](int f) {
                for (int y = 0; y < h; ++y)
                    rowsMove(c, y, 1, y % 2 == 0 ? -s : s, n(f, w), y % 2 != 0);
            });
        case kInRoll3:
            // 4-row bands, alternately left and right.
            return stepFrames(run, ceilDiv(w, s), t.delayMs, [&](int f) {
                for (int y = 0; y < h; y += 4) {
                    const bool left = (y / 4) % 2 == 0;
                    rowsMove(c, y, std::min(4, h - y), left ? -s : s, n(f, w), !left);
                }
            });
        default:
            return kEffectDone;
    }
}

}  // namespace lumavox

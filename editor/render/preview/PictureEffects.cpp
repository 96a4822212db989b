// The effects that draw rather than move: jump, snow, random, shoot,
// explode, twinkle, flash and pacman, and their sprites.
#include <algorithm>
#include <vector>

#include "render/preview/EffectCanvas.h"
#include "render/preview/EffectFamilies.h"

namespace lumavox {

const Sprite kExplosionSprites[5] = {
    {0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x08, 0x14, 0x08, 0x00, 0x00, 0x00},
    {0x00, 0x2A, 0x00, 0x2A, 0x00, 0x2A, 0x00, 0x00},
    {0x49, 0x2A, 0x00, 0x63, 0x00, 0x2A, 0x49, 0x00},
    {0x49, 0x2A, 0x00, 0x63, 0x00, 0x22, 0x41, 0x00},
};
const Sprite kPacmanRightOpen = {0x1E, 0x7C, 0xD0, 0xE0, 0xF0, 0x7C, 0x1E, 0x00};
const Sprite kPacmanRightClosed = {0x1C, 0x7E, 0xDF, 0xFF, 0xFF, 0x7E, 0x1C, 0x00};
const Sprite kPacmanLeftOpen = {0x78, 0x3E, 0x0B, 0x07, 0x0F, 0x3E, 0x78, 0x00};
const Sprite kPacmanLeftClosed = {0x38, 0x7E, 0xFB, 0xFF, 0xFF, 0x7E, 0x38, 0x00};

Rgb spriteColour(int colourType) {
    return colourType == 0 ? colours::kYellow : colours::kRed;
}

namespace {

constexpr int kBlock = 8;

template <typename T>
void shuffle(std::vector<T>& v, EffectSteps& steps) {
    for (size_t i = v.size(); i > 1; --i)
        std::swap(v[i - 1], v[steps.random(static_cast<uint32_t>(i))]);
}

// The items of `a` and `b` taken alternately, the rest of the longer one after.
template <typename T>
std::vector<T> alternate(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<T> out;
    out.reserve(a.size() + b.size());
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (i < a.size()) out.push_back(a[i]);
        if (i < b.size()) out.push_back(b[i]);
    }
    return out;
}

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i < to; ++i)
        v.push_back(i);
    return v;
}

// Blocks 8 columns wide come in from the right edge one after another, each
// clearing the rest of the line behind it.
int jump(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    const int travel = std::max(t.step, 1);
    for (int bx = 0; bx < c.w; bx += kBlock) {
        const int bw = std::min(kBlock, c.w - bx);
        for (int j = 0;; ++j) {
            if (run.steps.stopped()) return kEffectStopped;
            const int pos = std::max(c.w - travel * j, bx);
            c.clear(pos, 0, c.w - pos, c.h);
            c.take(bx, 0, bw, c.h, pos, 0);
            if (!run.steps.show(t.delayMs)) return kEffectStopped;
            if (pos == bx) break;
        }
    }
    return kEffectDone;
}

// Every dot falls from the top to its own row; the dots of a column start
// one after another from the bottom up.
int snow(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    const int w = c.w;
    const int h = c.h;
    std::vector<int> start(static_cast<size_t>(w) * h);
    auto at = [&](int x, int y) -> int& { return start[static_cast<size_t>(y) * w + x]; };
    int frames = 0;
    for (int y = h - 1; y >= 0; --y) {
        int top = 0;
        for (int x = 0; x < w; ++x) {
            at(x, y) = (y == h - 1 ? 0 : at(x, y + 1)) + static_cast<int>(run.steps.random(h));
            top = std::max(top, at(x, y));
        }
        // From the fourth row up, late dots of a row draw level with the latest.
        if (h - 1 - y >= 3)
            for (int x = 0; x < w; ++x)
                if (top - at(x, y) > 4) at(x, y) += (top - at(x, y)) / 4;
        for (int x = 0; x < w; ++x)
            frames = std::max(frames, at(x, y) + y + 1);
    }
    // Only lit dots are drawn: black ones fall unseen on the black ground.
    struct Dot {
        int x, y, start;
        Rgb colour;
    };
    std::vector<Dot> dots;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c.fresh(x, y) != colours::kBlack) dots.push_back({x, y, at(x, y), c.fresh(x, y)});
    return stepFrames(run, frames, t.delayMs, [&](int f) {
        c.clearAll();
        for (const Dot& d : dots)
            if (f >= d.start) c.set(d.x, std::min(f - d.start, d.y), d.colour);
    });
}

// Cells of the table's width and 8 rows; each cell's dots come in a random
// order that visits the quarters top-left, bottom-right, top-right, bottom-left.
int randomDots(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    const int cw = std::max(t.step, 1);
    const int ch = kBlock;
    struct Cell {
        std::vector<std::pair<int, int>> order;
    };
    std::vector<Cell> cells;
    for (int y0 = 0; y0 < c.h; y0 += ch)
        for (int x0 = 0; x0 < c.w; x0 += cw) {
            const int bw = std::min(cw, c.w - x0);
            const int bh = std::min(ch, c.h - y0);
            const int hx = (bw + 1) / 2;
            const int hy = (bh + 1) / 2;
            std::vector<std::pair<int, int>> quarter[4];  // TL, BR, TR, BL
            for (int y = 0; y < bh; ++y)
                for (int x = 0; x < bw; ++x) {
                    const bool right = x >= hx;
                    const bool bottom = y >= hy;
                    const int q = !right && !bottom ? 0 : (right && bottom ? 1 : (right ? 2 : 3));
                    quarter[q].emplace_back(x0 + x, y0 + y);
                }
            Cell cell;
            for (auto& q : quarter)
                shuffle(q, run.steps);
            for (size_t i = 0; cell.order.size() < static_cast<size_t>(bw * bh); ++i)
                for (auto& q : quarter)
                    if (i < q.size()) cell.order.push_back(q[i]);
            cells.push_back(std::move(cell));
        }
    return stepFrames(run, cw * ch, t.delayMs, [&](int k) {
        for (const Cell& cell : cells)
            if (k < static_cast<int>(cell.order.size())) {
                auto [x, y] = cell.order[static_cast<size_t>(k)];
                c.take(x, y, 1, 1);
            }
    });
}

// 8-column blocks from the left; each row of a block is shot in with a trail
// to the right edge, the rows in a random order alternating between halves.
int shoot(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    const int half = c.h / 2;
    for (int bx = 0; bx < c.w; bx += kBlock) {
        const int bw = std::min(kBlock, c.w - bx);
        std::vector<int> upper = range(0, half);
        std::vector<int> lower = range(half, 2 * half);
        shuffle(upper, run.steps);
        shuffle(lower, run.steps);
        std::vector<int> rows = alternate(upper, lower);
        if (c.h % 2) rows.push_back(c.h - 1);
        for (int y : rows) {
            if (run.steps.stopped()) return kEffectStopped;
            for (int x = bx; x < c.w; x += bw)
                c.take(bx, y, bw, 1, x, y);
            if (!run.steps.show(t.delayMs)) return kEffectStopped;
            c.clear(bx + bw, y, c.w - bx - bw, 1);
        }
    }
    // The last trail is gone before the screen is held.
    return run.steps.refresh() ? kEffectDone : kEffectStopped;
}

// 8 x 8 blocks in a random order alternating between the first and second
// half of the blocks; each group explodes through five frames and is then
// replaced by the new image.
int explode(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    const int across = ceilDiv(c.w, kBlock);
    const int count = across * ceilDiv(c.h, kBlock);
    std::vector<int> first = range(0, count / 2);
    std::vector<int> second = range(count / 2, count);
    shuffle(first, run.steps);
    shuffle(second, run.steps);
    const std::vector<int> order = alternate(first, second);
    const size_t group = static_cast<size_t>(std::max(t.step, 1));
    for (size_t g = 0; g < order.size(); g += group) {
        const size_t end = std::min(order.size(), g + group);
        for (const Sprite& frame : kExplosionSprites) {
            if (run.steps.stopped()) return kEffectStopped;
            for (size_t i = g; i < end; ++i)
                c.sprite(frame, order[i] % across * kBlock, order[i] / across * kBlock,
                         run.spriteColour);
            if (!run.steps.show(t.delayMs)) return kEffectStopped;
        }
        for (size_t i = g; i < end; ++i)
            c.take(order[i] % across * kBlock, order[i] / across * kBlock, kBlock, kBlock);
        if (!run.steps.show(t.hold)) return kEffectStopped;
    }
    return kEffectDone;
}

// The screen's final picture after twinkle and flash; with pause code 0 the
// effects did nothing else and the screen is held 150 ms.
int showClean(EffectRun& run, EffectCanvas& c) {
    c.takeAll();
    if (!run.steps.refresh()) return kEffectStopped;
    if (run.pauseZero && !run.steps.hold(pauseMs(0))) return kEffectStopped;
    return kEffectDone;
}

// For the pause time: black diagonals 8 dots apart, running down to the left,
// move one dot a frame over the new image.
int twinkle(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    constexpr int kSpacing = 8;
    long elapsed = 0;
    while (!run.pauseZero && elapsed < run.pauseMs) {
        for (int phase = 0; phase < kSpacing; ++phase) {
            if (run.steps.stopped()) return kEffectStopped;
            c.takeAll();
            for (int y = 0; y < c.h; ++y)
                for (int x = (phase - y % kSpacing + kSpacing) % kSpacing; x < c.w; x += kSpacing)
                    c.set(x, y, colours::kBlack);
            if (!run.steps.show(t.delayMs)) return kEffectStopped;
            elapsed += t.delayMs;
        }
        if (t.delayMs <= 0) break;  // time would never pass
    }
    return showClean(run, c);
}

// For the pause time: the new image and black in turn.
int flash(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    long elapsed = 0;
    while (!run.pauseZero && elapsed < run.pauseMs) {
        if (run.steps.stopped()) return kEffectStopped;
        c.takeAll();
        if (!run.steps.show(t.delayMs)) return kEffectStopped;
        c.clearAll();
        if (!run.steps.show(t.delayMs)) return kEffectStopped;
        elapsed += 2L * t.delayMs;
        if (t.delayMs <= 0) break;
    }
    return showClean(run, c);
}

// In every 8-row band a pacman crosses the rectangle, rightwards in even
// bands and leftwards in odd ones, and leaves the new image behind it.
int pacman(EffectRun& run, StepTiming t) {
    EffectCanvas c(run);
    constexpr int kMouthFrames = 8;
    return stepFrames(run, c.w + kBlock + 1, t.delayMs, [&](int f) {
        const bool open = (f / kMouthFrames) % 2 == 0;
        for (int y = 0; y < c.h; y += kBlock) {
            const int bh = std::min(kBlock, c.h - y);
            if ((y / kBlock) % 2 == 0) {
                const int x = f - kBlock;
                c.take(0, y, x, bh);
                c.sprite(open ? kPacmanRightOpen : kPacmanRightClosed, x, y, run.spriteColour);
            } else {
                const int x = c.w - f;
                c.take(x + kBlock, y, c.w - x - kBlock, bh);
                c.sprite(open ? kPacmanLeftOpen : kPacmanLeftClosed, x, y, run.spriteColour);
            }
        }
    });
}

}  // namespace

int pictureEffect(int effect, EffectRun& run, StepTiming t) {
    switch (effect) {
        case kJump:
            return jump(run, t);
        case kSnow:
            return snow(run, t);
        case kRandom:
            return randomDots(run, t);
        case kShoot:
            return shoot(run, t);
        case kExplode:
            return explode(run, t);
        case kTwinkle:
            return twinkle(run, t);
        case kFlash:
            return flash(run, t);
        case kPacman:
            return pacman(run, t);
        default:
            return kEffectDone;
    }
}

}  // namespace lumavox

// Drawing inside one effect rectangle, in coordinates relative to it: taking
// blocks of the new image, clearing, and moving the displayed content. Every
// operation clips to the rectangle.
#pragma once

#include "render/Image.h"
#include "render/preview/Effects.h"

namespace lumavox {

class EffectCanvas {
  public:
    EffectCanvas(RgbImage& shown, const RgbImage& fresh, Rect rect)
        : w(rect.width), h(rect.height), shown_(shown), fresh_(fresh), rect_(rect) {}
    explicit EffectCanvas(EffectRun& run) : EffectCanvas(run.shown, run.fresh, run.rect) {}

    // Copies the new image's block at (sx, sy) of size bw x bh to (dx, dy).
    void take(int sx, int sy, int bw, int bh, int dx, int dy);
    // Copies the new image's block to the same place.
    void take(int x, int y, int bw, int bh) { take(x, y, bw, bh, x, y); }
    void takeAll() { take(0, 0, w, h); }
    void clear(int x, int y, int bw, int bh);
    void clearAll() { clear(0, 0, w, h); }
    void set(int x, int y, Rgb c);
    Rgb fresh(int x, int y) const { return fresh_.at(rect_.x + x, rect_.y + y); }
    // Moves the content of the block (x, y, bw, bh) by dx columns or dy rows
    // inside the block; the dots it leaves keep their old colour.
    void shift(int x, int y, int bw, int bh, int dx, int dy);
    // Draws an 8 x 8 sprite at (x, y): lit dots in `lit`, the others black.
    void sprite(const uint8_t* rows, int x, int y, Rgb lit);

    const int w;
    const int h;

  private:
    // The block clipped to the rectangle, in image coordinates.
    Rect clip(int x, int y, int bw, int bh) const;

    RgbImage& shown_;
    const RgbImage& fresh_;
    Rect rect_;
};

inline int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

}  // namespace lumavox

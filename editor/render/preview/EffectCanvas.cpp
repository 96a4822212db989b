#include "render/preview/EffectCanvas.h"

#include <algorithm>
#include <cstring>

namespace lumavox {

Rect EffectCanvas::clip(int x, int y, int bw, int bh) const {
    return intersect({rect_.x + x, rect_.y + y, bw, bh}, rect_);
}

void EffectCanvas::take(int sx, int sy, int bw, int bh, int dx, int dy) {
    // Clip the destination, then the source, moving both together.
    Rect d = clip(dx, dy, bw, bh);
    if (d.width <= 0 || d.height <= 0) return;
    int srcX = rect_.x + sx + (d.x - (rect_.x + dx));
    int srcY = rect_.y + sy + (d.y - (rect_.y + dy));
    Rect s = intersect({srcX, srcY, d.width, d.height}, rect_);
    if (s.width <= 0 || s.height <= 0) return;
    const int offX = s.x - srcX;
    const int offY = s.y - srcY;
    for (int row = 0; row < s.height; ++row)
        std::memcpy(shown_.row(d.y + offY + row) + d.x + offX, fresh_.row(s.y + row) + s.x,
                    sizeof(Rgb) * static_cast<size_t>(s.width));
}

void EffectCanvas::clear(int x, int y, int bw, int bh) {
    shown_.fill(clip(x, y, bw, bh), colours::kBlack);
}

void EffectCanvas::set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    shown_.set(rect_.x + x, rect_.y + y, c);
}

void EffectCanvas::shift(int x, int y, int bw, int bh, int dx, int dy) {
    Rect b = clip(x, y, bw, bh);
    if (b.width <= 0 || b.height <= 0) return;
    if (dx != 0) {
        const int n = b.width - std::abs(dx);
        if (n <= 0) return;
        const int from = dx > 0 ? b.x : b.x - dx;
        const int to = dx > 0 ? b.x + dx : b.x;
        for (int row = b.y; row < b.bottom(); ++row) {
            Rgb* p = shown_.row(row);
            std::memmove(p + to, p + from, sizeof(Rgb) * static_cast<size_t>(n));
        }
    }
    if (dy != 0) {
        const int n = b.height - std::abs(dy);
        if (n <= 0) return;
        const size_t bytes = sizeof(Rgb) * static_cast<size_t>(b.width);
        if (dy < 0) {
            for (int row = b.y; row < b.y + n; ++row)
                std::memcpy(shown_.row(row) + b.x, shown_.row(row - dy) + b.x, bytes);
        } else {
            for (int row = b.bottom() - 1; row >= b.y + dy; --row)
                std::memcpy(shown_.row(row) + b.x, shown_.row(row - dy) + b.x, bytes);
        }
    }
}

void EffectCanvas::sprite(const uint8_t* rows, int x, int y, Rgb lit) {
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            set(x + c, y + r, (rows[r] & (0x80 >> c)) ? lit : colours::kBlack);
}

}  // namespace lumavox

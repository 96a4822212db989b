#include "render/Image.h"

#include <algorithm>

namespace lumavox {

RgbImage::RgbImage(int width, int height, Rgb fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

Rect intersect(const Rect& a, const Rect& b) {
    int x0 = std::max(a.x, b.x);
    int y0 = std::max(a.y, b.y);
    int x1 = std::min(a.right(), b.right());
    int y1 = std::min(a.bottom(), b.bottom());
    if (x1 <= x0 || y1 <= y0) return {x0, y0, 0, 0};
    return {x0, y0, x1 - x0, y1 - y0};
}

void RgbImage::fill(Rect r, Rgb c) {
    Rect clip = intersect(r, {0, 0, width_, height_});
    for (int y = clip.y; y < clip.bottom(); ++y)
        std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(index(clip.x, y)), clip.width, c);
}

void RgbImage::blit(const RgbImage& source, int x, int y) {
    Rect clip = intersect({x, y, source.width(), source.height()}, {0, 0, width_, height_});
    for (int row = clip.y; row < clip.bottom(); ++row)
        for (int col = clip.x; col < clip.right(); ++col)
            set(col, row, source.at(col - x, row - y));
}

}  // namespace lumavox

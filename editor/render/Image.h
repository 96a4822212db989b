// A small RGB image: the drawing target of the renderer. One pixel is one sign
// dot in the new-screen and displayed images; the dot picture scales it up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumavox {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

namespace colours {
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kCyan{0, 255, 255};
constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kLightBlue{0, 128, 255};  // markers and line-end glyphs
}  // namespace colours

// A rectangle: left/top inclusive, width and height in pixels.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool operator==(const Rect&) const = default;
};

class RgbImage {
  public:
    RgbImage() = default;
    RgbImage(int width, int height, Rgb fill = colours::kBlack);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    Rgb at(int x, int y) const { return pixels_[index(x, y)]; }
    void set(int x, int y, Rgb c) { pixels_[index(x, y)] = c; }
    // The pixels of row y, left to right; y must lie inside the image.
    Rgb* row(int y) { return pixels_.data() + index(0, y); }
    const Rgb* row(int y) const { return pixels_.data() + index(0, y); }
    // Fills the part of the rectangle that lies inside the image.
    void fill(Rect r, Rgb c);
    void fill(Rgb c) { fill({0, 0, width_, height_}, c); }
    // Copies `source` with its top left corner at (x, y), clipped to this image.
    void blit(const RgbImage& source, int x, int y);

    const std::vector<Rgb>& pixels() const { return pixels_; }
    bool operator==(const RgbImage&) const = default;

  private:
    size_t index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

// The rectangle clipped to another.
Rect intersect(const Rect& a, const Rect& b);

}  // namespace lumavox

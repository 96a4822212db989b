#include "render/preview/GifAnimation.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "render/SignStills.h"

namespace lumavox {

namespace {

constexpr int kMaxDelayCs = 65535;
constexpr int kMaxGifSide = 65535;
constexpr int kPaletteSize = 256;
constexpr int kCubeLevels = 6;

// The colours the sign and the picture use come first; a colour cube after
// them takes whatever else a graphic may hold.
const std::array<Rgb, 11> kSignColours{colours::kBlack,  colours::kRed,     colours::kGreen,
                                       colours::kYellow, colours::kWhite,   colours::kBlue,
                                       colours::kCyan,   colours::kMagenta, colours::kLightBlue,
                                       kGridColour,      kSeparatorColour};

std::array<Rgb, kPaletteSize> makePalette() {
    std::array<Rgb, kPaletteSize> p{};
    size_t i = 0;
    for (Rgb c : kSignColours)
        p[i++] = c;
    for (int r = 0; r < kCubeLevels; ++r)
        for (int g = 0; g < kCubeLevels; ++g)
            for (int b = 0; b < kCubeLevels; ++b)
                p[i++] = {static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                          static_cast<uint8_t>(b * 51)};
    return p;
}

const std::array<Rgb, kPaletteSize>& palette() {
    static const std::array<Rgb, kPaletteSize> p = makePalette();
    return p;
}

int appendBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

}  // namespace

struct GifAnimation::Encoder {
    GifFileType* file = nullptr;
    std::unordered_map<uint32_t, uint8_t> indices;
};

GifAnimation::GifAnimation(int width, int height, int dot)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), dot_(std::max(dot, 1)) {
    if (width_ * static_cast<int64_t>(dot_) > kMaxGifSide ||
        height_ * static_cast<int64_t>(dot_) > kMaxGifSide) {
        error_ = "the picture is too large for a GIF file";
        return;
    }
    written_ = RgbImage(width_, height_);
    current_ = RgbImage(width_, height_);
    int status = 0;
    GifFileType* file = EGifOpen(&bytes_, appendBytes, &status);
    if (!file) {
        error_ = GifErrorString(status);
        return;
    }
    gif_ = new Encoder;
    gif_->file = file;
    std::array<GifColorType, kPaletteSize> colours{};
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = {palette()[i].r, palette()[i].g, palette()[i].b};
    ColorMapObject* map = GifMakeMapObject(kPaletteSize, colours.data());
    EGifSetGifVersion(file, true);
    bool ok = map && EGifPutScreenDesc(file, width_ * dot_, height_ * dot_, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    // Played in a loop, as the sign does.
    static const char kLoop[] = "NETSCAPE2.0";
    static const uint8_t kForever[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(file, 11, kLoop) == GIF_OK &&
         EGifPutExtensionBlock(file, 3, kForever) == GIF_OK &&
         EGifPutExtensionTrailer(file) == GIF_OK;
    if (!ok) error_ = GifErrorString(file->Error);
}

GifAnimation::~GifAnimation() {
    if (gif_) {
        EGifCloseFile(gif_->file, nullptr);
        delete gif_;
    }
}

uint8_t GifAnimation::paletteIndex(Rgb c) {
    const uint32_t key = uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b;
    auto found = gif_->indices.find(key);
    if (found != gif_->indices.end()) return found->second;
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < kPaletteSize; ++i) {
        const Rgb p = palette()[static_cast<size_t>(i)];
        const long d = long(p.r - c.r) * (p.r - c.r) + long(p.g - c.g) * (p.g - c.g) +
                       long(p.b - c.b) * (p.b - c.b);
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    gif_->indices.emplace(key, static_cast<uint8_t>(best));
    return static_cast<uint8_t>(best);
}

void GifAnimation::add(const RgbImage& picture, uint64_t ms) {
    if (!error_.empty() || picture.width() != width_ || picture.height() != height_) return;
    const uint64_t tick = ms / kTickMs;
    if (tick <= currentTick_) {
        current_ = picture;  // the latest picture of the tick is the one seen
        return;
    }
    if (picture == current_) return;  // the same picture goes on
    write(current_, tick - currentTick_);
    current_ = picture;
    currentTick_ = tick;
}

void GifAnimation::write(const RgbImage& picture, uint64_t ticks) {
    if (!error_.empty()) return;
    // The dots that differ from what the stored frames show.
    int left = width_, top = height_, right = -1, bottom = -1;
    for (int y = 0; y < height_; ++y) {
        const Rgb* a = picture.row(y);
        const Rgb* b = written_.row(y);
        if (anyWritten_ && std::memcmp(a, b, sizeof(Rgb) * static_cast<size_t>(width_)) == 0)
            continue;
        for (int x = 0; x < width_; ++x)
            if (!anyWritten_ || !(a[x] == b[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    Rect region =
        right < 0 ? Rect{0, 0, 1, 1} : Rect{left, top, right - left + 1, bottom - top + 1};
    uint64_t delay = ticks * (kTickMs / 10);
    do {
        const int part = static_cast<int>(std::min<uint64_t>(delay, kMaxDelayCs));
        writeRegion(picture, region, part);
        delay -= static_cast<uint64_t>(part);
        region = {region.x, region.y, 1, 1};  // a longer hold repeats one unchanged dot
    } while (delay > 0 && error_.empty());
    written_ = picture;
    anyWritten_ = true;
}

void GifAnimation::writeRegion(const RgbImage& picture, Rect dots, int delayCs) {
    GifFileType* file = gif_->file;
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delayCs;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    const int w = dots.width * dot_;
    const int h = dots.height * dot_;
    bool ok = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
                  GIF_OK &&
              EGifPutImageDesc(file, dots.x * dot_, dots.y * dot_, w, h, false, nullptr) == GIF_OK;
    // The rule of the renderer's dot pictures, worked out once per dot.
    const uint8_t grid = paletteIndex(kGridColour);
    std::vector<uint8_t> dotIndex(static_cast<size_t>(dots.width));
    line_.resize(static_cast<size_t>(w));
    for (int y = dots.y; ok && y < dots.bottom(); ++y) {
        for (int x = 0; x < dots.width; ++x)
            dotIndex[static_cast<size_t>(x)] = paletteIndex(picture.at(dots.x + x, y));
        for (int py = 0; ok && py < dot_; ++py) {
            // The region starts on a dot's edge, so its pixels lie on the grid as
            // they do in the whole picture.
            for (int i = 0; i < w; ++i)
                line_[static_cast<size_t>(i)] =
                    isGridPixel(i, py, dot_) ? grid : dotIndex[static_cast<size_t>(i / dot_)];
            ok = EGifPutLine(file, line_.data(), w) == GIF_OK;
        }
    }
    if (!ok) error_ = GifErrorString(file->Error);
    ++frames_;
}

bool GifAnimation::finish(uint64_t endMs, std::vector<uint8_t>& bytes, std::string& error) {
    if (gif_ && error_.empty()) {
        const uint64_t endTick = std::max((endMs + kTickMs - 1) / kTickMs, currentTick_ + 1);
        write(current_, endTick - currentTick_);
    }
    if (gif_) {
        int status = 0;
        if (EGifCloseFile(gif_->file, &status) != GIF_OK && error_.empty())
            error_ = GifErrorString(status);
        delete gif_;
        gif_ = nullptr;
    }
    if (!error_.empty()) {
        error = error_;
        return false;
    }
    bytes = std::move(bytes_);
    return true;
}

}  // namespace lumavox

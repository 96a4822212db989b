// An animated GIF of the sign's display, built frame by frame as the player
// shows them: every dot as N x N pixels with the grid of the renderer's
// pictures, each frame kept for its real time. Frames that show the same
// picture are merged into one longer frame; frames closer together than the
// 20 ms that viewers honour are merged into the latest of them. Only the part
// that changed is stored for each frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/Image.h"

namespace lumavox {

class GifAnimation {
  public:
    // Time resolution of the frames: GIF delays are in hundredths of a second
    // and viewers play shorter delays than two hundredths slowly.
    static constexpr uint64_t kTickMs = 20;

    // `width` x `height` sign dots, `dot` pixels a dot. The first frame (from
    // 0 ms) is black until a picture is added.
    GifAnimation(int width, int height, int dot);
    ~GifAnimation();
    GifAnimation(const GifAnimation&) = delete;
    GifAnimation& operator=(const GifAnimation&) = delete;

    // The display shows `picture` (sign dots) from `ms` on. Times never go back.
    void add(const RgbImage& picture, uint64_t ms);
    // Ends the animation at `endMs` and hands over the file's bytes; false
    // with a reason when the GIF could not be made.
    bool finish(uint64_t endMs, std::vector<uint8_t>& bytes, std::string& error);
    // Frames stored so far.
    size_t frames() const { return frames_; }

  private:
    void write(const RgbImage& picture, uint64_t ticks);
    void writeRegion(const RgbImage& picture, Rect dots, int delayCs);
    uint8_t paletteIndex(Rgb c);

    int width_;
    int height_;
    int dot_;
    struct Encoder;
    Encoder* gif_ = nullptr;
    std::vector<uint8_t> bytes_;
    std::string error_;
    RgbImage written_;  // the picture the stored frames add up to
    bool anyWritten_ = false;
    RgbImage current_;  // not yet stored: its length is not known yet
    uint64_t currentTick_ = 0;
    size_t frames_ = 0;
    std::vector<uint8_t> line_;
};

}  // namespace lumavox

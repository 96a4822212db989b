// The live picture of one sign for its window: a player thread plays the
// sign's latest scene with the preview engine, in real time, and publishes
// every picture; the window takes the newest one when it paints. A new scene
// handed over from the line's thread stops the one playing and takes its
// place. Nothing here knows of windows.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "SignShow.h"
#include "render/Image.h"
#include "render/preview/PreviewHost.h"
#include "render/preview/PreviewTime.h"

namespace lumavox::sim {

class LiveSign {
  public:
    // RealTime for the window; Unpaced lets every wait pass at once (the
    // sign's time still moves on by the time waited), for tests.
    enum class Pace { RealTime, Unpaced };

    LiveSign(uint8_t address, int width, int height, uint32_t seed, Pace pace = Pace::RealTime);
    ~LiveSign();
    LiveSign(const LiveSign&) = delete;
    LiveSign& operator=(const LiveSign&) = delete;

    uint8_t address() const { return address_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Any thread: plays `scene` from now on.
    void show(std::shared_ptr<const SignScene> scene);
    // Copies the newest picture into `out` when it is newer than `seen`.
    bool takeIfNewer(RgbImage& out, uint64_t& seen) const { return buffer_.takeIfNewer(out, seen); }
    uint64_t pictures() const { return buffer_.sequence(); }
    // Scenes the player has taken up so far.
    uint64_t scenesStarted() const { return started_.load(); }
    // True once the newest picture is one of the last scene handed over.
    bool showsLatestScene() const { return pictured_.load() == handed_.load(); }

  private:
    class Host;
    void publish(const RgbImage& picture);
    void run();
    void play(const SignScene& scene);

    const uint8_t address_;
    const int width_, height_;
    const uint32_t seed_;
    const Pace pace_;
    PreviewFrameBuffer buffer_;
    PreviewFlags flags_;  // stop: the scene playing is to end
    std::mutex lock_;
    std::condition_variable wake_;
    std::shared_ptr<const SignScene> pending_;
    bool quit_ = false;
    std::atomic<uint64_t> started_{0};
    std::atomic<uint64_t> handed_{0};    // scenes handed over, numbered from 1
    std::atomic<uint64_t> pictured_{0};  // the scene number of the newest picture
    uint64_t playing_ = 0;               // the number of the scene playing (player thread)
    std::thread worker_;
};

}  // namespace lumavox::sim

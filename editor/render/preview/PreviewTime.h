// The two kinds of time the player can run in, and the hand-over of pictures
// from the player's thread to the window's.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "render/Image.h"

namespace lumavox {

// Real time, for the preview window's worker thread. Each wait ends `ms`
// after the end of the previous one, so the time spent drawing between steps
// does not add up and the sign's timing holds over a long run; a player that
// has fallen far behind (a stalled machine) starts afresh instead of racing.
// The stop flag is looked at every few milliseconds while waiting.
class RealTimeWait {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPollSlice{5};
    static constexpr std::chrono::milliseconds kMaxLag{250};

    explicit RealTimeWait(const std::atomic<bool>& stop) : stop_(stop) {}
    // True after the time has passed, false as soon as the stop flag is seen.
    bool wait(int ms);

  private:
    const std::atomic<bool>& stop_;
    Clock::time_point due_{};
    bool started_ = false;
};

// Virtual time, for the GIF export and the tests: a wait only moves the clock
// on. With a limit, the wait that would pass it stops at the limit, sets the
// stop flag and returns false.
class VirtualTimeline {
  public:
    explicit VirtualTimeline(std::atomic<bool>& stop, uint64_t limitMs = UINT64_MAX)
        : stop_(stop), limit_(limitMs) {}
    bool wait(int ms);
    uint64_t nowMs() const { return now_; }

  private:
    std::atomic<bool>& stop_;
    uint64_t limit_;
    uint64_t now_ = 0;
};

// The latest picture of the player for the window: the worker publishes after
// every step, the window takes a copy when it paints. Both sides hold the lock
// only for one copy of the image.
class PreviewFrameBuffer {
  public:
    void publish(const RgbImage& image);
    // Copies the latest picture into `out` when it is newer than `seen` (and
    // updates `seen`); false when nothing new was published.
    bool takeIfNewer(RgbImage& out, uint64_t& seen) const;
    uint64_t sequence() const { return sequence_.load(); }

  private:
    mutable std::mutex lock_;
    RgbImage image_;
    std::atomic<uint64_t> sequence_{0};
};

}  // namespace lumavox

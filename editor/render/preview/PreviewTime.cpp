#include "render/preview/PreviewTime.h"

#include <algorithm>
#include <thread>

namespace lumavox {

bool RealTimeWait::wait(int ms) {
    if (stop_.load()) return false;
    const Clock::time_point now = Clock::now();
    if (!started_ || now - due_ > kMaxLag) due_ = now;
    started_ = true;
    due_ += std::chrono::milliseconds(std::max(ms, 0));
    while (true) {
        if (stop_.load()) return false;
        const Clock::time_point t = Clock::now();
        if (t >= due_) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(due_ - t, kPollSlice));
    }
}

bool VirtualTimeline::wait(int ms) {
    if (stop_.load()) return false;
    const uint64_t step = static_cast<uint64_t>(std::max(ms, 0));
    if (step > limit_ - now_) {
        now_ = limit_;
        stop_ = true;
        return false;
    }
    now_ += step;
    return true;
}

void PreviewFrameBuffer::publish(const RgbImage& image) {
    std::lock_guard guard(lock_);
    image_ = image;
    sequence_.fetch_add(1);
}

bool PreviewFrameBuffer::takeIfNewer(RgbImage& out, uint64_t& seen) const {
    std::lock_guard guard(lock_);
    const uint64_t current = sequence_.load();
    if (current == seen) return false;
    out = image_;
    seen = current;
    return true;
}

}  // namespace lumavox

#include "FrameCodec.h"

namespace lumavox::gateway {

std::vector<uint8_t> buildFrame(uint8_t code, const uint8_t* payload, size_t size) {
    std::vector<uint8_t> out;
    if (size > frame::kMaxPayload || (size > 0 && payload == nullptr)) return out;
    out.reserve(size + frame::kOverhead);
    out.push_back(0xAA);
    out.push_back(0x55);
    out.push_back(code);
    out.push_back(static_cast<uint8_t>(~code));
    out.push_back(static_cast<uint8_t>(size >> 8));
    out.push_back(static_cast<uint8_t>(size));
    uint16_t sum = 0;
    for (size_t i = 0; i < size; ++i) {
        out.push_back(payload[i]);
        sum = static_cast<uint16_t>(sum + payload[i]);
    }
    out.push_back(static_cast<uint8_t>(sum >> 8));
    out.push_back(static_cast<uint8_t>(sum));
    out.push_back(0xFF);
    return out;
}

void FrameCollector::reset() {
    buf_.clear();
    buf_.shrink_to_fit();
    pos_ = 0;
    partial_ = false;
}

bool FrameCollector::resync() {
    const size_t end = buf_.size();
    size_t i = pos_;
    while (i + 1 < end && !(buf_[i] == 0xAA && buf_[i + 1] == 0x55))
        ++i;
    if (i + 1 < end) {
        pos_ = i;
        return true;
    }
    // No complete start pair: keep a last 0xAA, drop the rest.
    pos_ = (i < end && buf_[i] == 0xAA) ? i : end;
    return pos_ < end;
}

void FrameCollector::compact() {
    if (pos_ == 0) return;
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos_));
    pos_ = 0;
    if (buf_.empty() && buf_.capacity() > 2 * (frame::kMaxPayload + frame::kOverhead))
        buf_.shrink_to_fit();
}

void FrameCollector::feed(const uint8_t* data, size_t size, const FrameHandler& onFrame) {
    if (data == nullptr || size == 0) return;
    if (!partial_) {
        buf_.clear();
        pos_ = 0;
    }
    buf_.insert(buf_.end(), data, data + size);
    while (true) {
        if (pos_ >= buf_.size() || !resync()) {
            buf_.clear();
            pos_ = 0;
            partial_ = false;
            return;
        }
        const size_t have = buf_.size() - pos_;
        if (have < frame::kOverhead) break;
        const uint8_t* f = buf_.data() + pos_;
        const size_t length = static_cast<size_t>(f[4]) << 8 | f[5];
        if (have < length + frame::kOverhead) break;
        uint16_t sum = 0;
        for (size_t i = 0; i < length; ++i)
            sum = static_cast<uint16_t>(sum + f[6 + i]);
        const uint16_t check = static_cast<uint16_t>(f[6 + length] << 8 | f[7 + length]);
        const uint8_t code = f[2];
        const size_t frameSize = length + frame::kOverhead;
        if (sum == check) {
            // The handler may look at the payload only during the call.
            onFrame(code, f + 6, length);
        }
        pos_ += frameSize;
    }
    // A frame is still incomplete.
    partial_ = true;
    compact();
}

}  // namespace lumavox::gateway

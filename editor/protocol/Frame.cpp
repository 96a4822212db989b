#include "protocol/Frame.h"

#include <algorithm>

namespace lumavox {

namespace {

size_t usableLimit(int limit) {
    if (limit < 1 || static_cast<size_t>(limit) > kMaxFrameData) return kMaxFrameData;
    return static_cast<size_t>(limit);
}

}  // namespace

int frameSizeLimit(int setting) {
    if (setting <= 10 || setting >= kDefaultFrameSize) return kDefaultFrameSize;
    return setting;
}

size_t frameCount(size_t payloadLength, int limit) {
    size_t f = usableLimit(limit);
    return (payloadLength + f - 1) / f;
}

uint16_t frameChecksum(std::span<const uint8_t> range) {
    uint32_t sum = 0;
    for (uint8_t b : range)
        sum += b;
    return static_cast<uint16_t>(~sum & 0xFFFF);
}

size_t buildFrame(std::span<const uint8_t> payload, size_t start, int limit, uint8_t address,
                  uint8_t sequence, std::vector<uint8_t>& frame) {
    frame.clear();
    if (start >= payload.size()) return start;
    size_t n = std::min(usableLimit(limit), payload.size() - start);
    frame.reserve(n + kFrameOverhead);
    frame.insert(frame.end(), kFrameStart.begin(), kFrameStart.end());
    uint16_t length = static_cast<uint16_t>(n + 8);
    frame.push_back(static_cast<uint8_t>(length & 0xFF));
    frame.push_back(static_cast<uint8_t>(length >> 8));
    frame.push_back(kFrameTypeA);
    frame.push_back(address);
    frame.push_back(sequence);
    frame.insert(frame.end(), 5, 0);
    frame.insert(frame.end(), payload.begin() + static_cast<ptrdiff_t>(start),
                 payload.begin() + static_cast<ptrdiff_t>(start + n));
    uint16_t check = frameChecksum(std::span<const uint8_t>(frame).subspan(7, n + 8));
    frame.push_back(static_cast<uint8_t>(check & 0xFF));
    frame.push_back(static_cast<uint8_t>(check >> 8));
    return start + n;
}

FrameScanResult scanFrame(std::span<const uint8_t> buffer) {
    FrameScanResult r;
    auto it = std::search(buffer.begin(), buffer.end(), kFrameStart.begin(), kFrameStart.end());
    r.start = static_cast<size_t>(it - buffer.begin());
    if (it == buffer.end()) return r;
    size_t p = r.start;
    size_t have = buffer.size() - p;
    if (have < kFrameHeaderSize) return r;
    if (buffer[p + 7] != kFrameTypeA) {
        r.status = FrameScan::BadType;
        return r;
    }
    uint16_t length = static_cast<uint16_t>(buffer[p + 5] | (buffer[p + 6] << 8));
    if (length < kMinFrameLength || length > kMaxFrameLength) {
        r.status = FrameScan::BadLength;
        return r;
    }
    if (have < static_cast<size_t>(length) + 9) return r;
    r.end = p + length + 9;
    uint16_t sum = static_cast<uint16_t>(~frameChecksum(buffer.subspan(p + 7, length)) & 0xFFFF);
    uint16_t stored = static_cast<uint16_t>(buffer[p + length + 7] | (buffer[p + length + 8] << 8));
    r.status =
        sum == static_cast<uint16_t>(~stored & 0xFFFF) ? FrameScan::Frame : FrameScan::BadChecksum;
    return r;
}

FrameFields frameFields(std::span<const uint8_t> frame) {
    FrameFields f;
    if (frame.size() < kFrameOverhead) return f;
    f.address = frame[8];
    f.sequence = frame[9];
    f.data = frame.subspan(kFrameHeaderSize, frame.size() - kFrameOverhead);
    return f;
}

}  // namespace lumavox

#include "SignFrame.h"

#include <algorithm>

namespace lumavox::sim {

namespace {

uint16_t readU16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// 65535 minus the byte sum, modulo 65536.
uint16_t checkWord(std::span<const uint8_t> bytes) {
    uint32_t sum = 0;
    for (uint8_t b : bytes)
        sum += b;
    return static_cast<uint16_t>(0xFFFF - (sum & 0xFFFF));
}

}  // namespace

FrameSearch findFrame(std::span<const uint8_t> bytes) {
    FrameSearch r;
    auto marker =
        std::search(bytes.begin(), bytes.end(), frame::kStart.begin(), frame::kStart.end());
    r.start = static_cast<size_t>(marker - bytes.begin());
    if (marker == bytes.end()) return r;
    std::span<const uint8_t> rest = bytes.subspan(r.start);
    if (rest.size() < frame::kHeaderBytes) return r;
    if (rest[7] != frame::kType) {
        r.found = FrameFound::BadType;
        return r;
    }
    const uint16_t length = readU16(rest, 5);
    if (length < frame::kMinLength || length > frame::kMaxLength) {
        r.found = FrameFound::BadLength;
        return r;
    }
    const size_t total = size_t{length} + 9;
    if (rest.size() < total) return r;
    r.end = r.start + total;
    const uint16_t stored = readU16(rest, 7 + length);
    r.found =
        checkWord(rest.subspan(7, length)) == stored ? FrameFound::Frame : FrameFound::BadCheck;
    return r;
}

FrameView viewFrame(std::span<const uint8_t> whole) {
    FrameView v;
    if (whole.size() < frame::kHeaderBytes + 2) return v;
    v.address = whole[8];
    v.sequence = whole[9];
    v.data = whole.subspan(frame::kHeaderBytes, whole.size() - frame::kHeaderBytes - 2);
    return v;
}

std::vector<uint8_t> makeFrame(uint8_t address, uint8_t sequence, std::span<const uint8_t> data) {
    const size_t n = std::min(data.size(), frame::kMaxData);
    const auto length = static_cast<uint16_t>(n + frame::kMinLength);
    std::vector<uint8_t> f(frame::kStart.begin(), frame::kStart.end());
    f.push_back(static_cast<uint8_t>(length & 0xFF));
    f.push_back(static_cast<uint8_t>(length >> 8));
    f.push_back(frame::kType);
    f.push_back(address);
    f.push_back(sequence);
    f.insert(f.end(), 5, 0);
    f.insert(f.end(), data.begin(), data.begin() + static_cast<ptrdiff_t>(n));
    const uint16_t check = checkWord(std::span<const uint8_t>(f).subspan(7));
    f.push_back(static_cast<uint8_t>(check & 0xFF));
    f.push_back(static_cast<uint8_t>(check >> 8));
    return f;
}

}  // namespace lumavox::sim

// Frames of the framed DTU protocol.
//
//   AA 55 | code | ~code | length n (2 bytes, big-endian) | payload (n bytes) |
//   checksum (sum of the payload bytes mod 65536, big-endian) | FF
//
// The collector turns the raw bytes of a connection into frames. It only ever
// holds bytes that arrived: a length field asks for more bytes but never
// causes a read or an allocation of its own, so its buffer is bounded by one
// largest frame plus the bytes of the latest read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace lumavox::gateway {

namespace frame {
inline constexpr uint8_t kData = 0x11;
inline constexpr uint8_t kDataAck = 0x91;
inline constexpr uint8_t kState = 0x12;
inline constexpr uint8_t kStateAck = 0x92;
inline constexpr uint8_t kCommand = 0x13;
inline constexpr uint8_t kAnswer14 = 0x14;
inline constexpr uint8_t kAck = 0xFE;
inline constexpr size_t kOverhead = 9;
inline constexpr size_t kMaxPayload = 65535;
}  // namespace frame

// The whole frame for a payload of at most frame::kMaxPayload bytes; an empty
// vector when the payload is longer.
std::vector<uint8_t> buildFrame(uint8_t code, const uint8_t* payload, size_t size);

class FrameCollector {
  public:
    using FrameHandler = std::function<void(uint8_t code, const uint8_t* payload, size_t size)>;

    // Whether a receive pass should take the `available` raw bytes now: always
    // while a frame is partly collected, otherwise only once the smallest frame
    // could be complete (fewer bytes stay in the transport).
    bool shouldTake(size_t available) const {
        return available > 0 && (partial_ || available >= frame::kOverhead);
    }
    // Adds the bytes of one read and hands every complete frame with a valid
    // checksum to onFrame, in order. Bytes before a frame start (AA 55) are
    // skipped; a frame with a wrong checksum is dropped whole.
    void feed(const uint8_t* data, size_t size, const FrameHandler& onFrame);

    bool partial() const { return partial_; }
    size_t buffered() const { return buf_.size() - pos_; }
    void reset();

  private:
    // Moves pos_ to the next frame start; keeps a final 0xAA whose partner may
    // come with the next read. False when nothing worth keeping is left.
    bool resync();
    void compact();

    std::vector<uint8_t> buf_;
    size_t pos_ = 0;  // start of the first unconsumed byte in buf_
    bool partial_ = false;
};

}  // namespace lumavox::gateway

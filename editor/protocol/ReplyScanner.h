// The receive buffer of reply frames and the scan that takes checked frames out
// of it.
//
// Bytes are appended to a buffer of 16,384 bytes. Each scan step looks for the
// first start marker and judges the frame behind it: a wrong type byte, a length
// outside 8 ... 1008 or a bad check word ends the reception with its text; a
// good frame whose sequence byte is the expected number is accepted and the
// expected number goes up, one with another number is a repeat whose data is
// dropped. Both are acknowledged. The frame and every byte before it (noise,
// stray handshake bytes) leave the buffer.
//
// Not thread-safe on its own: ReplyReception holds it under a lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumavox {

class ReplyScanner {
  public:
    static constexpr size_t kCapacity = 16384;

    enum class Step {
        NeedMore,  // no whole frame in the buffer
        Accepted,  // a new frame: its data is in data()
        Repeat,    // a frame with an old sequence number: acknowledge, drop its data
        Failed,    // the reception ends; failureText() says why
    };

    // Appends as many bytes as fit and returns how many that was.
    size_t append(std::span<const uint8_t> bytes);
    // Takes the next frame out of the buffer, if one is whole.
    Step scan();

    void clear() { buffer_.clear(); }
    bool full() const { return buffer_.size() >= kCapacity; }
    size_t size() const { return buffer_.size(); }
    // The data bytes of the frame the last Accepted step took out.
    std::span<const uint8_t> data() const { return data_; }
    // String-table id of the last failure (0 when none).
    int failureText() const { return failure_; }

    uint8_t expectedSequence() const { return expected_; }
    void resetSequence() { expected_ = 0; }

  private:
    std::vector<uint8_t> buffer_;
    std::vector<uint8_t> data_;
    uint8_t expected_ = 0;
    int failure_ = 0;
};

}  // namespace lumavox

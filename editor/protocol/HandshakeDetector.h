// Recognises the handshake FA FA FA in received bytes.
//
// A countdown starts at 3; each 0xFA lowers it, any other byte sets it back to
// 3, and when it reaches 0 the handshake counts as seen and the countdown starts
// over. The countdown carries over between reads, so the three bytes may arrive
// in separate pieces. Bytes are only counted while the detector is armed.
#pragma once

#include <cstdint>
#include <span>

namespace lumavox {

class HandshakeDetector {
  public:
    // Clears the "seen" mark, sets the countdown to 3 and starts counting.
    void arm();
    // Stops counting; the "seen" mark stays as it is.
    void disarm() { armed_ = false; }
    bool armed() const { return armed_; }
    bool seen() const { return seen_; }
    int countdown() const { return countdown_; }
    // Counts the bytes when armed; returns seen().
    bool feed(std::span<const uint8_t> bytes);

  private:
    bool armed_ = false;
    bool seen_ = false;
    int countdown_ = 3;
};

}  // namespace lumavox

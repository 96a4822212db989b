// The DTU's side of the framed protocol: AA 55 code ~code len(2, big-endian)
// payload sum(2, big-endian) FF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace lumavox::dtusim {

std::vector<uint8_t> makeFrame(uint8_t code, const uint8_t* payload, size_t size);

// Collects frames from the gateway's byte stream; bytes before a frame start
// are skipped and frames with a wrong checksum dropped. Holds at most one
// frame's worth of bytes.
class FrameReader {
  public:
    using Handler = std::function<void(uint8_t code, std::vector<uint8_t> payload)>;
    void feed(const uint8_t* data, size_t n, const Handler& onFrame);

  private:
    std::vector<uint8_t> buf_;
};

}  // namespace lumavox::dtusim

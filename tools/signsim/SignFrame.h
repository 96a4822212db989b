// The frame envelope as the virtual sign reads and writes it.
//
//   0  "$WRL>"          5  length u16 LE = n + 8      7  type "A"
//   8  address          9  sequence                  10  five reserved bytes
//   15 n data bytes     15 + n  check word u16 LE: 65535 - (sum of bytes 7 ... 14 + n)
//
// The sign keeps its own reading of the envelope, apart from the editor's, so
// that a framing fault on either side shows up as a failed exchange.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumavox::sim {

namespace frame {
inline constexpr std::array<uint8_t, 5> kStart{'$', 'W', 'R', 'L', '>'};
inline constexpr std::array<uint8_t, 3> kHandshake{0xFA, 0xFA, 0xFA};
constexpr uint8_t kHandshakeByte = 0xFA;
constexpr uint8_t kType = 'A';
constexpr uint8_t kBroadcast = 0;
constexpr size_t kHeaderBytes = 15;
constexpr uint16_t kMinLength = 8;     // the length counts type ... last data byte
constexpr uint16_t kMaxLength = 1008;  // 1000 data bytes
constexpr size_t kMaxData = kMaxLength - kMinLength;
constexpr size_t kMaxBytes = kMaxLength + 9;  // marker, length field, check word
}  // namespace frame

// The outcome of looking for the first frame in received bytes.
enum class FrameFound {
    NeedMore,   // no start marker, or the frame behind it is not complete
    Frame,      // a whole frame with a good check word at [start, end)
    BadType,    // the byte after the length field is not "A"
    BadLength,  // the length field is below 8 or above 1008
    BadCheck,   // the check word does not match
};

struct FrameSearch {
    FrameFound found = FrameFound::NeedMore;
    // Offset of the first start marker; the size of the bytes when there is
    // none (the last four bytes may still begin one).
    size_t start = 0;
    // One past the check word (Frame and BadCheck).
    size_t end = 0;
};

// Looks at the first start marker in `bytes` and judges what follows it.
FrameSearch findFrame(std::span<const uint8_t> bytes);

// The fields of a whole, checked frame.
struct FrameView {
    uint8_t address = 0;
    uint8_t sequence = 0;
    std::span<const uint8_t> data;
};
FrameView viewFrame(std::span<const uint8_t> frame);

// One frame around `data` (1 ... 1000 bytes).
std::vector<uint8_t> makeFrame(uint8_t address, uint8_t sequence, std::span<const uint8_t> data);

}  // namespace lumavox::sim

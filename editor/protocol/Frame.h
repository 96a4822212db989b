// The frame: the envelope of everything exchanged with a sign, in both directions.
//
//   0  "$WRL>"          5  length u16 = n + 8 (counts offsets 7 ... 14 + n)
//   7  type 0x41 "A"    8  address      9  sequence     10  five zero bytes
//   15 n data bytes     15 + n  check u16: 65535 - (sum of offsets 7 ... 14 + n) mod 65536
//
// Besides frames, the bare handshake FA FA FA crosses the line: from the sign
// after each frame to a non-zero address, and from the editor as the
// acknowledgement of each reply frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumavox {

inline constexpr std::array<uint8_t, 5> kFrameStart{0x24, 0x57, 0x52, 0x4C, 0x3E};
inline constexpr std::array<uint8_t, 3> kHandshake{0xFA, 0xFA, 0xFA};
constexpr uint8_t kHandshakeByte = 0xFA;
constexpr uint8_t kFrameTypeA = 0x41;
constexpr uint8_t kBroadcastAddress = 0;

constexpr size_t kFrameHeaderSize = 15;  // start, length, type, address, sequence, reserved
constexpr size_t kFrameOverhead = 17;    // header and check word
constexpr int kDefaultFrameSize = 1000;
constexpr size_t kMaxFrameData = 1000;
constexpr uint16_t kMinFrameLength = 8;
constexpr uint16_t kMaxFrameLength = 1008;
constexpr size_t kMaxFrameBytes = kMaxFrameData + kFrameOverhead;  // 1017

// The frame size limit from the "Number for Frame" setting: 11 ... 999 as they
// are, anything else 1000.
int frameSizeLimit(int setting);

// Frames needed for a payload: ceil(length / limit); 0 for an empty payload.
// A limit outside 1 ... 1000 is taken as 1000.
size_t frameCount(size_t payloadLength, int limit);

// The check word over a byte range: 65535 - (sum of the bytes mod 65536).
uint16_t frameChecksum(std::span<const uint8_t> range);

// The sequence byte sent for a session's frame counter: its low 8 bits.
constexpr uint8_t sequenceByte(unsigned counter) {
    return static_cast<uint8_t>(counter & 0xFF);
}

// Builds the frame carrying payload bytes from `start` on (at most `limit` of
// them; a limit outside 1 ... 1000 is taken as 1000) into `frame`, replacing
// its contents. Returns the index of the next payload byte. With nothing left
// to send (start at or past the end) `frame` is emptied and `start` returned.
size_t buildFrame(std::span<const uint8_t> payload, size_t start, int limit, uint8_t address,
                  uint8_t sequence, std::vector<uint8_t>& frame);

// One step of looking for a frame in received bytes.
enum class FrameScan {
    NeedMore,     // no start marker yet, or the frame is not complete
    Frame,        // a whole frame with a good check word at [start, end)
    BadType,      // the byte after the length is not "A"
    BadLength,    // the length is below 8 or above 1008
    BadChecksum,  // the check word does not match
};

struct FrameScanResult {
    FrameScan status = FrameScan::NeedMore;
    // Offset of the start marker; the buffer size when none was found (so that
    // a caller may drop everything before it but a possible partial marker).
    size_t start = 0;
    // One past the check word, for Frame and BadChecksum.
    size_t end = 0;
};

// Looks at the first start marker of `buffer` and judges the frame behind it.
FrameScanResult scanFrame(std::span<const uint8_t> buffer);

// The fields of a whole frame (as delimited by scanFrame).
struct FrameFields {
    uint8_t address = 0;
    uint8_t sequence = 0;
    std::span<const uint8_t> data;
};
FrameFields frameFields(std::span<const uint8_t> frame);

}  // namespace lumavox

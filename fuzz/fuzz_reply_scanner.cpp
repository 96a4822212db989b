// Reply frames arrive from the sign: the receive buffer and its scanner must
// take any byte stream, in any split, without reading out of bounds, growing
// past 16,384 bytes or accepting a frame the checks should refuse.
//
// Input: byte 0 picks the mode (read in progress or only a handshake wait),
// byte 1 the piece size; the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/Frame.h"
#include "protocol/ReplyReception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    bool reading = (data[0] & 1) != 0;
    bool handshake = (data[0] & 2) != 0;
    size_t piece = 1 + data[1];
    std::span<const uint8_t> stream(data + 2, size - 2);

    size_t acks = 0;
    size_t accepted = 0;
    lumavox::ReplyReception reception([&] { ++acks; },
                                      [&](std::span<const uint8_t> frameData) {
                                          if (frameData.size() > lumavox::kMaxFrameData)
                                              __builtin_trap();
                                          ++accepted;
                                          return (data[0] & 4) != 0 && accepted > 2;
                                      });
    if (reading) {
        reception.resetSequence();
        reception.begin();
    }
    while (!stream.empty()) {
        size_t n = piece < stream.size() ? piece : stream.size();
        reception.receive(stream.first(n), handshake);
        stream = stream.subspan(n);
        if (reception.bufferedBytes() > lumavox::ReplyScanner::kCapacity) __builtin_trap();
    }
    if (!reading && (acks != 0 || !reception.chunks().empty())) __builtin_trap();
    if (reception.chunks().size() > acks) __builtin_trap();
    if (reception.state() == lumavox::ReceptionState::Failed && reception.failureText() == 0)
        __builtin_trap();

    // Whatever scanFrame calls a frame must pass the length and check word rules.
    std::span<const uint8_t> all(data + 2, size - 2);
    lumavox::FrameScanResult r = lumavox::scanFrame(all);
    if (r.status == lumavox::FrameScan::Frame) {
        auto frame = all.subspan(r.start, r.end - r.start);
        size_t length = frame[5] | (frame[6] << 8);
        if (length < lumavox::kMinFrameLength || length > lumavox::kMaxFrameLength ||
            frame.size() != length + 9 || frame[7] != lumavox::kFrameTypeA)
            __builtin_trap();
        uint32_t sum = 0;
        for (size_t i = 7; i < frame.size() - 2; ++i)
            sum += frame[i];
        uint32_t stored = frame[frame.size() - 2] | (frame[frame.size() - 1] << 8);
        if (((sum + stored) & 0xFFFF) != 0xFFFF) __builtin_trap();
    }
    return 0;
}

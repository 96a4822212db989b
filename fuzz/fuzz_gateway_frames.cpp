// The framed collector fed with arbitrary bytes in arbitrary reads.
//
// The first input byte chooses the read sizes; the rest is the byte stream
// from a DTU. Reads follow the receive pass: fewer than 9 bytes wait in the
// transport unless a frame is partly collected. Every frame handed out must
// carry a valid checksum and fit the protocol's length, and the collector may
// never hold more than one largest frame plus the latest read.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ByteRing.h"
#include "FrameCodec.h"

using namespace lumavox::gateway;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t readSize = 1 + data[0] * 3;
    ++data;
    --size;

    FrameCollector collector;
    ByteRing dataRing;
    std::vector<uint8_t> transport;
    size_t delivered = 0;
    size_t frames = 0;
    auto onFrame = [&](uint8_t code, const uint8_t* payload, size_t n) {
        if (n > frame::kMaxPayload) std::abort();
        std::vector<uint8_t> rebuilt = buildFrame(code, payload, n);
        if (rebuilt.size() != n + frame::kOverhead) std::abort();
        dataRing.writeGrowing(payload, n, 10240, 102400);
        if (dataRing.capacity() > 102400) std::abort();
        delivered += n;
        ++frames;
    };
    size_t offset = 0;
    while (offset < size || !transport.empty()) {
        size_t n = std::min(readSize, size - offset);
        transport.insert(transport.end(), data + offset, data + offset + n);
        offset += n;
        if (!collector.shouldTake(transport.size())) {
            if (offset >= size) break;
            continue;
        }
        const size_t taken = transport.size();
        collector.feed(transport.data(), taken, onFrame);
        transport.clear();
        if (collector.buffered() > frame::kMaxPayload + frame::kOverhead + taken) std::abort();
        if (collector.buffered() > 0 && !collector.partial()) std::abort();
    }
    if (delivered > size) std::abort();
    if (frames * frame::kOverhead > size) std::abort();
    return 0;
}

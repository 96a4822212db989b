// Graphic bodies arrive from the sign: the body decoder and the decompressor
// must reject anything malformed without reading out of bounds or running away.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/GraphicBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> input(data, size);

    lumavox::GraphicFile graphic;
    std::string error;
    if (lumavox::decodeGraphicBody(input, graphic, error)) {
        if (graphic.pixels.size() != static_cast<size_t>(graphic.width) * graphic.height)
            __builtin_trap();
    }

    // The raw bytes as a compressed stream for a small graphic whose size comes
    // from the first two bytes.
    if (size >= 2) {
        int width = 1 + data[0] % 64;
        int height = 1 + data[1] % 32;
        std::vector<uint8_t> packed;
        if (lumavox::decompressPacked(input.subspan(2), width, height, packed)) {
            if (packed.size() != lumavox::packedSize(width, height)) __builtin_trap();
            // What decodes must survive a round trip through the encoder. Only the
            // pixels count: padding bits of the last byte are not carried.
            std::vector<uint8_t> again;
            if (!lumavox::decompressPacked(lumavox::compressPacked(packed, width, height), width,
                                           height, again))
                __builtin_trap();
            std::vector<uint32_t> first, second;
            lumavox::unpackPixels(packed, width, height, first);
            lumavox::unpackPixels(again, width, height, second);
            if (first != second) __builtin_trap();
        }
    }
    return 0;
}

#include "content/GraphicBmp.h"

#include "platform/ByteIo.h"

namespace lumavox {

std::vector<uint8_t> encodeGraphicBmp(const GraphicFile& g) {
    const size_t w = g.width, h = g.height;
    if (w == 0 || h == 0 || g.pixels.size() < w * h) return {};
    const size_t row = (w * 3 + 3) & ~size_t{3};
    const uint32_t imageSize = static_cast<uint32_t>(row * h);
    constexpr uint32_t kHeaders = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(kHeaders + imageSize);
    ByteWriter b(out);
    b.u8('B');
    b.u8('M');
    b.u32(kHeaders + imageSize);
    b.u32(0);
    b.u32(kHeaders);
    b.u32(40);
    b.u32(static_cast<uint32_t>(w));
    b.u32(static_cast<uint32_t>(h));  // positive: the last row comes first
    b.u16(1);
    b.u16(24);
    b.u32(0);  // no compression
    b.u32(imageSize);
    b.u32(2835);  // 72 dots per inch
    b.u32(2835);
    b.u32(0);
    b.u32(0);
    for (size_t r = 0; r < h; ++r) {
        size_t y = h - 1 - r;
        for (size_t x = 0; x < w; ++x) {
            uint32_t c = g.pixel(static_cast<int>(x), static_cast<int>(y));
            b.u8(static_cast<uint8_t>(c >> 16));  // blue
            b.u8(static_cast<uint8_t>(c >> 8));   // green
            b.u8(static_cast<uint8_t>(c));        // red
        }
        for (size_t p = w * 3; p < row; ++p)
            b.u8(0);
    }
    return out;
}

}  // namespace lumavox

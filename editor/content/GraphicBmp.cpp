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

namespace {

// Red and green at half strength or more light their LEDs; blue has none.
uint32_t signPixel(uint8_t r, uint8_t g) {
    const bool red = r >= 128, green = g >= 128;
    return red && green ? kPixelYellow : red ? kPixelRed : green ? kPixelGreen : kPixelOff;
}

}  // namespace

bool decodeGraphicBmp(std::span<const uint8_t> bytes, GraphicFile& graphic, std::string& error) {
    ByteReader r(bytes);
    if (r.u8() != 'B' || r.u8() != 'M') {
        error = "not a BMP picture";
        return false;
    }
    r.skip(8);
    const uint32_t dataOffset = r.u32();
    const uint32_t headerSize = r.u32();
    if (!r.ok() || headerSize < 40 || headerSize > bytes.size()) {
        error = "BMP header cut short or of an unknown kind";
        return false;
    }
    const int32_t width = r.i32();
    const int32_t rawHeight = r.i32();
    const uint16_t planes = r.u16();
    const uint16_t bits = r.u16();
    const uint32_t compression = r.u32();
    r.skip(12);
    uint32_t paletteCount = r.u32();
    if (!r.ok()) {
        error = "BMP header cut short";
        return false;
    }
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t{rawHeight} : rawHeight;
    if (width < 1 || width > kMaxBmpSide || height < 1 || height > kMaxBmpSide || planes != 1) {
        error = "BMP size " + std::to_string(width) + "x" + std::to_string(height) +
                " is not 1 to " + std::to_string(kMaxBmpSide) + " dots a side";
        return false;
    }
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    // Bit fields (3) are allowed for 32 bits as long as the layout is the usual one.
    if (!(paletted || bits == 24 || bits == 32) ||
        !(compression == 0 || (compression == 3 && bits == 32))) {
        error = "BMP with " + std::to_string(bits) + " bits a pixel and compression " +
                std::to_string(compression) + " is not supported";
        return false;
    }
    std::vector<uint32_t> palette;
    if (paletted) {
        if (paletteCount == 0 || paletteCount > (1u << bits)) paletteCount = 1u << bits;
        const size_t at = 14 + size_t{headerSize};
        if (at + size_t{paletteCount} * 4 > bytes.size()) {
            error = "BMP palette cut short";
            return false;
        }
        for (uint32_t i = 0; i < paletteCount; ++i) {
            const uint8_t* e = bytes.data() + at + i * 4;  // blue, green, red, unused
            palette.push_back(signPixel(e[2], e[1]));
        }
    }
    const size_t row = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    if (dataOffset > bytes.size() ||
        (bytes.size() - dataOffset) / row < static_cast<size_t>(height)) {
        error = "BMP pixels cut short";
        return false;
    }
    GraphicFile g = graphic;
    g.width = static_cast<uint16_t>(width);
    g.height = static_cast<uint16_t>(height);
    g.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kPixelOff);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* line =
            bytes.data() + dataOffset + row * static_cast<size_t>(topDown ? y : height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            uint32_t c = kPixelOff;
            if (bits >= 24) {
                const uint8_t* p = line + static_cast<size_t>(x) * (bits / 8);
                c = signPixel(p[2], p[1]);
            } else {
                const size_t bit = static_cast<size_t>(x) * bits;
                const unsigned index = (line[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                c = index < palette.size() ? palette[index] : kPixelOff;
            }
            g.pixel(x, static_cast<int>(y)) = c;
        }
    }
    graphic = std::move(g);
    return true;
}

}  // namespace lumavox

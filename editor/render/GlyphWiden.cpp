#include "render/GlyphWiden.h"

#include <algorithm>

namespace lumavox {

int widenedWidth(int width, int storedRowBytes, int widen) {
    if (width <= 0 || (widen != 1 && widen != 2)) return std::max(width, 0);
    const int g = rowBytesFor(width);
    if (g <= storedRowBytes) return widen == 1 ? width + 1 : 2 * width - 1;
    const int w0 = 8 * storedRowBytes;
    return widen == 1 ? w0 + 1 : 2 * w0;
}

namespace {

// Each bit of b doubled: bit 7 becomes bits 15 and 14, and so on.
constexpr uint16_t doubled(uint8_t b) {
    uint16_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (b & (1u << i)) r |= static_cast<uint16_t>(3u << (2 * i));
    return r;
}

constexpr auto kDoubled = [] {
    struct Table {
        uint16_t v[256];
    } t{};
    for (int b = 0; b < 256; ++b)
        t.v[b] = doubled(static_cast<uint8_t>(b));
    return t;
}();

}  // namespace

int widenGlyph(const uint8_t* src, int width, int height, int storedRowBytes, int widen,
               std::vector<uint8_t>& out) {
    const int g = rowBytesFor(width);
    const int newWidth = widenedWidth(width, storedRowBytes, widen);
    const int gOut = rowBytesFor(newWidth);
    out.assign(static_cast<size_t>(gOut) * std::max(height, 0), 0);
    if (newWidth == width || height <= 0) {
        // Not widened: a plain copy of the packed rows.
        if (!out.empty()) std::copy(src, src + out.size(), out.begin());
        return newWidth;
    }
    for (int r = 0; r < height; ++r) {
        const uint8_t* s = src + static_cast<size_t>(r) * g;
        uint8_t* d = out.data() + static_cast<size_t>(r) * gOut;
        if (widen == 1) {
            for (int k = 0; k < gOut; ++k) {
                uint8_t carry = k > 0 ? static_cast<uint8_t>((s[k - 1] & 1) << 7) : 0;
                d[k] = k < g ? static_cast<uint8_t>(s[k] | (s[k] >> 1) | carry) : carry;
            }
        } else {
            const int n = std::min(g, storedRowBytes);
            for (int k = 0; k < n; ++k) {
                uint16_t v = kDoubled.v[s[k]];
                d[2 * k] = static_cast<uint8_t>(v >> 8);
                bool shortLast = k == width / 8 && width % 8 <= 4;
                if (!shortLast && 2 * k + 1 < gOut) d[2 * k + 1] = static_cast<uint8_t>(v & 0xFF);
            }
        }
    }
    return newWidth;
}

}  // namespace lumavox

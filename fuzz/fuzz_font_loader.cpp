// Feeds arbitrary bytes to the font file loader, then draws every glyph of
// whatever it loaded, plain, bold and double width.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/FontSet.h"
#include "render/Rasteriser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox;
    FontSet fonts;
    fonts.LoadBytes({data, size}, "fuzz.bin", nullptr);
    static RgbImage image(64, 40);
    std::vector<uint8_t> bitmap;
    const int count = fonts.FontCount();
    for (int index = -1; index < count + 1 && index < 8; ++index) {
        fonts.FindFont(fonts.FontName(index));
        const int first = fonts.FirstCode(index);
        for (int code = first - 1; code <= fonts.EndCode(index) && code < first + 64; ++code) {
            fonts.HasChar(index, code);
            fonts.CharExtent(index, code, 3);
            for (int widen = 0; widen <= 2; ++widen) {
                int rowBytes = 0;
                GlyphSize s = fonts.GetGlyph(index, code, widen, kNoMarker, rowBytes, bitmap);
                if (fonts.DrawnWidth(index, code, widen) != s.width && code != 13 && code != 10)
                    __builtin_trap();
                if (static_cast<size_t>(rowBytes) * s.height > bitmap.size()) __builtin_trap();
                GlyphPaint paint;
                paint.colour.kind = DotColour::Kind::Pattern;
                paint.colour.pattern = 4 + code % 9;
                drawGlyph(image, -3, -2, {bitmap.data(), s.width, s.height, rowBytes}, paint, {});
            }
        }
    }
    return 0;
}

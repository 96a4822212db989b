#include "render/Rasteriser.h"

#include <algorithm>

namespace lumavox {

namespace {

Clip clipToImage(const Clip& clip, const RgbImage& image) {
    return {std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, image.width()),
            std::min(clip.bottom, image.height())};
}

}  // namespace

void drawGlyph(RgbImage& image, int x, int y, const GlyphBits& glyph, const GlyphPaint& paint,
               const Clip& clip) {
    if (!glyph.bits || glyph.width <= 0 || glyph.height <= 0 || glyph.rowBytes <= 0) return;
    const Clip c = clipToImage(clip, image);
    const bool twoColour =
        paint.kind == GlyphPaint::Kind::Colour && paint.colour.kind == DotColour::Kind::TwoColour;
    const bool pattern =
        paint.kind == GlyphPaint::Kind::Colour && paint.colour.kind == DotColour::Kind::Pattern;
    Rgb litColour = paint.colour.lit;
    Rgb unlitColour = paint.colour.unlit;
    bool paintUnlit = twoColour;
    switch (paint.kind) {
        case GlyphPaint::Kind::Selected:
            litColour = colours::kWhite;
            unlitColour = colours::kBlue;
            paintUnlit = true;
            break;
        case GlyphPaint::Kind::Marker:
            litColour = colours::kLightBlue;
            break;
        case GlyphPaint::Kind::Colour:
            if (twoColour && paint.drawingMode == kBlackOutDrawingMode)
                litColour = unlitColour = colours::kBlack;
            break;
    }
    // Only the dots of the last byte that the width covers are drawn.
    const int lastDots = glyph.width - 8 * (glyph.rowBytes - 1);
    for (int r = 0; r < glyph.height; ++r) {
        const int py = y + r;
        if (py < c.top || py >= c.bottom) continue;
        const uint8_t* row = glyph.bits + static_cast<size_t>(r) * glyph.rowBytes;
        PatternMasks masks;
        if (pattern)
            masks = patternMasks(paint.colour.pattern, r, glyph.height, paint.visibleIndex);
        for (int b = 0; b < glyph.rowBytes; ++b) {
            const int dots = b + 1 == glyph.rowBytes ? std::clamp(lastDots, 0, 8) : 8;
            const uint8_t byte = row[b];
            for (int i = 0; i < dots; ++i) {
                const int px = x + 8 * b + i;
                if (px < c.left || px >= c.right) continue;
                const uint8_t bit = static_cast<uint8_t>(0x80 >> i);
                if (byte & bit) {
                    Rgb colour = litColour;
                    if (pattern && !patternDot(masks, bit, colour)) continue;
                    image.set(px, py, colour);
                } else if (paintUnlit) {
                    image.set(px, py, unlitColour);
                }
            }
        }
    }
}

void drawGraphic(RgbImage& image, int x, int y, const GraphicFile& graphic, int width, int height,
                 bool selected, const Clip& clip) {
    const Clip c = clipToImage(clip, image);
    const int w = std::min<int>(width, graphic.width);
    const int h = std::min<int>(height, graphic.height);
    if (graphic.pixels.size() < static_cast<size_t>(graphic.width) * graphic.height) return;
    for (int col = 0; col < w; ++col) {
        const int px = x + col;
        if (px < c.left || px >= c.right) continue;
        for (int row = 0; row < h; ++row) {
            const int py = y + row;
            if (py < c.top || py >= c.bottom) continue;
            const uint32_t v = graphic.pixel(col, row);
            if (selected)
                image.set(px, py, v ? colours::kWhite : colours::kBlue);
            else if (v)
                image.set(px, py, pixelColour(v));
        }
    }
}

}  // namespace lumavox

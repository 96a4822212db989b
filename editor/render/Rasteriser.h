// Turns glyph bitmaps and graphic files into coloured dots of an image.
#pragma once

#include <climits>
#include <cstdint>

#include "content/Model.h"
#include "render/DotColours.h"
#include "render/Image.h"

namespace lumavox {

// Where dots may be drawn: columns left..right-1 and rows top..bottom-1 (the
// area being drawn, within the image).
struct Clip {
    int left = 0;
    int top = 0;
    int right = INT_MAX;
    int bottom = INT_MAX;
    bool inside(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// A glyph bitmap: `height` rows of `rowBytes` bytes, bit 7 of a row's first
// byte leftmost, `width` dots wide.
struct GlyphBits {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int rowBytes = 0;
};

// How the dots of one glyph are painted.
struct GlyphPaint {
    enum class Kind : uint8_t {
        Colour,    // by the item's colour code
        Marker,    // built-in marker and line-end glyphs: lit dots light blue
        Selected,  // a selected item: lit dots white, unlit dots blue
    };
    Kind kind = Kind::Colour;
    DotColour colour;
    int visibleIndex = 0;  // k: visible items drawn before this one on the screen
    int drawingMode = 0;   // 3: two-colour codes paint every dot black
};

constexpr int kBlackOutDrawingMode = 3;

// Draws the glyph with its top left corner at (x, y).
void drawGlyph(RgbImage& image, int x, int y, const GlyphBits& glyph, const GlyphPaint& paint,
               const Clip& clip);

// Draws a graphic column by column at (x, y), at most width x height dots of it;
// zero dots are not drawn (blue when selected, non-zero dots then white).
void drawGraphic(RgbImage& image, int x, int y, const GraphicFile& graphic, int width, int height,
                 bool selected, const Clip& clip);

// A graphic file's pixel value (red in the low byte) as a colour.
inline Rgb pixelColour(uint32_t v) {
    return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
            static_cast<uint8_t>((v >> 16) & 0xFF)};
}

}  // namespace lumavox

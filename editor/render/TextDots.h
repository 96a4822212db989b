// Text the sign's own fonts lack, drawn in dots with the computer's fonts, so
// that it can travel to the sign as a graphic.
//
// Fonts: at 16 rows and more GNU Unifont, a bitmap font made for 16 dots,
// scaled only by whole multiples (each of its dots becomes a square of dots)
// and centred in the rows; below 16 rows, and for characters Unifont lacks,
// the font fontconfig picks for the character, sized so that its ascent and
// descent fill the rows. A character keeps the font of the character before
// it when that font holds it, so that a word is drawn in one font. With a
// family given, that family is asked for first.
//
// HarfBuzz shapes each run of one font and one direction, so Arabic letters
// join; right-to-left runs are put in visual order by the levels of the
// Unicode bidirectional algorithm, in a reduced form: letters of
// right-to-left scripts are right-to-left, digits follow the letters before
// them, blanks and punctuation between two runs of one direction take that
// direction and otherwise the paragraph's, which is that of its first letter.
//
// Dots are on or off, never smoothed: FreeType's monochrome rendering lights
// a dot when the glyph's outline covers its centre.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content/DocumentJson.h"
#include "content/Model.h"
#include "content/TextGraphics.h"

namespace lumavox {

class FontSet;

// One glyph as drawn: the font file and face it comes from, its index there,
// and where HarfBuzz put it: the pen position plus the glyph's offset, in
// dots from the drawing's left edge (x) and as the baseline row (y).
struct PlacedGlyph {
    std::string fontFile;
    int faceIndex = 0;
    unsigned glyph = 0;
    int x = 0;
    int y = 0;
};

// A drawing never holds more glyphs, nor grows wider in dots, than this: far
// wider than any sign, it bounds what a very long text costs to lay out and
// draw. Such a text comes back one dot wider than this (the dots beyond the
// cut unlit), so that it is refused as wider than the sign, never cut short.
constexpr int kMaxTextDrawingWidth = 32767;

struct TextDrawing {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> dots;        // row by row, 1 for a lit dot
    std::vector<PlacedGlyph> glyphs;  // left to right as drawn
    bool lit(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height &&
               dots[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

class TextDrawer {
  public:
    TextDrawer();
    ~TextDrawer();
    TextDrawer(const TextDrawer&) = delete;
    TextDrawer& operator=(const TextDrawer&) = delete;

    // Draws `text` `height` rows high, at least one dot wide. False when a
    // character is in no font of the computer (it goes to `missing`) or the
    // height is below 1; `out` is then unchanged.
    bool draw(std::u32string_view text, int height, std::string_view family, TextDrawing& out,
              char32_t& missing);

    // The font file (and face within it) that draws a character at a height
    // when no character comes before it; empty when no font holds it.
    std::string fontFileFor(char32_t c, int height, std::string_view family, int* faceIndex);

    // The font families of the computer, sorted, for a font choice.
    static std::vector<std::string> families();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Draws text the sign's fonts lack for the content layer's conversion: as
// tall as the sign's font (the sign height when no fonts are loaded), in the
// family given (empty: automatic), and in the dot value of the colour code's
// lit dots (red for codes whose dots are not one plain colour of the three).
class SignTextPainter : public TextPainter {
  public:
    SignTextPainter(SignMode mode, const FontSet* fonts, int signHeight, std::string family = {});
    bool paint(std::u32string_view text, int height, DrawnText& out, char32_t& missing) override;
    int rowsOf(int font) const override;
    uint32_t pixelOf(int colour) const override;
    TextDrawer& drawer() { return drawer_; }
    int signHeight() const { return signHeight_; }
    const std::string& family() const { return family_; }

  private:
    SignMode mode_;
    const FontSet* fonts_;
    int signHeight_;
    std::string family_;
    TextDrawer drawer_;
};

// Painters for readWorkAreaJson: each draws with the sign's font file for the
// height from the program directory giving the rows of each font (without a
// usable file, the sign height).
TextPainterFactory signTextPainters(std::filesystem::path programDir);

}  // namespace lumavox

// Text the sign's fonts lack, carried to the sign as graphic items.
//
// A text is split into what the sign's font shows (character items) and runs
// it lacks. Each lacking run is drawn by a TextPainter (the renderer draws
// with the computer's fonts) in one colour, as tall as the font it is written
// in, and becomes a new graphic with a graphic item in the run's place.
//
// Runs: a run is a stretch of characters the font lacks; blanks and
// punctuation the font holds join the run when lacking characters stand
// directly on both sides of them, so that a phrase of several words (which a
// right-to-left script shows in its own order) is drawn as one graphic.
//
// Names: "TXT" and the lowest number from 1 whose name no graphic has, so
// names stay unique and within 8 characters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "content/Model.h"
#include "platform/Clock.h"

namespace lumavox {

// Dots drawn from text, row by row, 1 for a lit dot.
struct DrawnText {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> dots;
};

class TextPainter {
  public:
    virtual ~TextPainter() = default;
    // Draws the text `height` rows high. False, with the character in
    // `missing`, when no font has one of its characters.
    virtual bool paint(std::u32string_view text, int height, DrawnText& out, char32_t& missing) = 0;
    // How many rows text in the sign's font `font` is tall.
    virtual int rowsOf(int font) const = 0;
    // The dot value (kPixelRed ...) that shows colour code `colour`.
    virtual uint32_t pixelOf(int colour) const = 0;
};

// The sign code that shows a character (the sign's character set: ASCII and
// the European characters of codes 128-194), or -1.
int signCodeOfCharacter(char32_t c);

// One piece of a text: characters the font holds, as their codes, or a run it
// lacks.
struct TextPiece {
    bool lacking = false;
    std::u32string text;
    std::vector<uint16_t> codes;  // lacking pieces: empty
};

// Splits the text by the rule above. `codeOf` gives the code that shows a
// character in the font, or -1 when the font lacks it. CR, LF and tab are
// sign characters (13, 10 and a space).
std::vector<TextPiece> splitForSign(std::u32string_view text,
                                    const std::function<int(char32_t)>& codeOf);

// The name the next graphic drawn from text gets.
std::string textGraphicName(const WorkArea& wa);

// What became a graphic: the text (UTF-8) and the graphic's name and size.
struct ConvertedText {
    std::string text;
    std::string graphic;
    int width = 0;
    int height = 0;
};

// Draws `text` in the colour and font of `attributes` and appends it as a new
// graphic. Refused, with the text named and the work area unchanged, when the
// work area holds 255 graphics, when the drawing is wider than the sign or
// taller than it, or when no font has a character.
bool addTextGraphic(WorkArea& wa, std::u32string_view text, const CharItem& attributes,
                    TextPainter& painter, const Clock& clock, ConvertedText& made,
                    std::string& refusal);

// The items for a text written with `attributes`: character items for what
// the font holds (codeOf as for splitForSign) and a graphic item (with the
// attributes' flash) for each lacking run, whose graphic is added to the work
// area. On a refusal the work area is as before and `items` is untouched.
bool textToSignItems(WorkArea& wa, std::u32string_view text, const CharItem& attributes,
                     const std::function<int(char32_t)>& codeOf, TextPainter& painter,
                     const Clock& clock, std::vector<TextItem>& items,
                     std::vector<ConvertedText>* converted, std::string& refusal);

}  // namespace lumavox

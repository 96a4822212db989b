// How the colour code of an item lights the dots of a glyph, in both sign
// families: plain colours, the nine patterns of red, green and yellow, and the
// two-colour codes that also paint the unlit dots.
#pragma once

#include <cstdint>

#include "content/Model.h"
#include "render/Image.h"

namespace lumavox {

// What a colour code does to a glyph's dots.
struct DotColour {
    enum class Kind : uint8_t { Solid, Pattern, TwoColour };
    Kind kind = Kind::Solid;
    Rgb lit = colours::kRed;
    Rgb unlit = colours::kBlack;  // two-colour codes only
    int pattern = 0;              // 4-12 (the KV2 numbering) for Kind::Pattern
};

// The colour of a code in the family's table. Code 0 takes `defaultCode` (red
// when that is 0 too); a code outside the table is drawn as the default.
DotColour resolveColour(SignMode mode, int code, int defaultCode);

// The red and green masks of pattern 4-12 for glyph row r of a glyph H rows
// high, drawn as the k-th visible item of the screen. A lit dot whose bit is in
// both masks is yellow, in the red mask only red, in the green mask only green,
// in neither not drawn.
struct PatternMasks {
    uint8_t red = 0;
    uint8_t green = 0;
};
PatternMasks patternMasks(int pattern, int row, int height, int k);

// The colour of one lit dot of a pattern (bit is the dot's bit within its
// glyph byte, 0x80 leftmost); false when the dot is not drawn.
inline bool patternDot(const PatternMasks& m, uint8_t bit, Rgb& out) {
    const bool r = m.red & bit;
    const bool g = m.green & bit;
    if (!r && !g) return false;
    out = r && g ? colours::kYellow : (r ? colours::kRed : colours::kGreen);
    return true;
}

}  // namespace lumavox

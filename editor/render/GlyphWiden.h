// The two widening transformations of a glyph: bold (every lit dot also lights
// its right neighbour) and double width (every dot becomes two).
//
// W is the unwidened width, g = ceil(W/8) the bytes of a source row and R the
// font's stored row bytes. When the stored rows were at least as wide as the
// glyph (g <= R), bold gives W + 1 and double width 2W - 1; otherwise the glyph
// counts as 8R dots wide and bold gives 8R + 1, double width 16R. A glyph of
// width 0 stays empty under both.
#pragma once

#include <cstdint>
#include <vector>

namespace lumavox {

inline int rowBytesFor(int width) {
    return (width + 7) / 8;
}

// The width after widening (widen 1 bold, 2 double; anything else unchanged).
int widenedWidth(int width, int storedRowBytes, int widen);

// Widens `height` rows of ceil(width/8) bytes each from `src` into `out`, whose
// rows are ceil(widenedWidth/8) bytes. Returns the new width.
int widenGlyph(const uint8_t* src, int width, int height, int storedRowBytes, int widen,
               std::vector<uint8_t>& out);

}  // namespace lumavox

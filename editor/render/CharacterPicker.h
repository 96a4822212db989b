// The character-picker dialogs' cells: the normal characters (codes 32-127 in
// 10 columns by 10 rows) and the European characters (codes 128-194 in 10
// columns by 7 rows) of font "SS16", each glyph centred in a 30 x 30 cell.
#pragma once

#include <string>
#include <string_view>

#include "render/FontSet.h"
#include "render/Image.h"

namespace lumavox {

constexpr std::string_view kPickerFontName = "SS16";
constexpr int kPickerCellSize = 30;
constexpr int kPickerColumns = 10;

struct PickerPage {
    int firstCode;
    int count;
    int rows;
};
constexpr PickerPage kNormalCharacters{32, 96, 10};
constexpr PickerPage kEuropeanCharacters{128, 67, 7};

// "Special characters in 'SS16' font (in KV2FNT.bin):" for a sign height.
std::string pickerCaption(std::string_view fontName, int signHeight);

// The cell of the page's n-th character, in screen pixels.
Rect pickerCell(int n);
// Where the glyph of the code stands in its cell: centred.
Rect pickerGlyphRect(const FontSet& fonts, int font, int code, int n);

// The whole page, lit dots in `lit` on black, one pixel per glyph dot.
RgbImage drawPickerPage(const FontSet& fonts, int font, const PickerPage& page, Rgb lit);

}  // namespace lumavox

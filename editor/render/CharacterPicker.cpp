#include "render/CharacterPicker.h"

#include "render/Rasteriser.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

std::string pickerCaption(std::string_view fontName, int signHeight) {
    return textf(msg::kPickerCaption, {fontName, FontSet::PickerFontFileName(signHeight)});
}

Rect pickerCell(int n) {
    return {(n % kPickerColumns) * kPickerCellSize, (n / kPickerColumns) * kPickerCellSize,
            kPickerCellSize, kPickerCellSize};
}

Rect pickerGlyphRect(const FontSet& fonts, int font, int code, int n) {
    const Rect cell = pickerCell(n);
    const GlyphSize size = fonts.CharExtent(font, code, 0);
    return {cell.x + (kPickerCellSize - size.width) / 2,
            cell.y + (kPickerCellSize - size.height) / 2, size.width, size.height};
}

RgbImage drawPickerPage(const FontSet& fonts, int font, const PickerPage& page, Rgb lit) {
    RgbImage image(kPickerColumns * kPickerCellSize, page.rows * kPickerCellSize);
    std::vector<uint8_t> bitmap;
    for (int n = 0; n < page.count; ++n) {
        const int code = page.firstCode + n;
        const Rect at = pickerGlyphRect(fonts, font, code, n);
        const Rect cell = pickerCell(n);
        int rowBytes = 0;
        const GlyphSize size = fonts.GetGlyph(font, code, 0, kNoMarker, rowBytes, bitmap);
        GlyphPaint paint;
        paint.colour.lit = lit;
        drawGlyph(image, at.x, at.y, {bitmap.data(), size.width, size.height, rowBytes}, paint,
                  {cell.x, cell.y, cell.right(), cell.bottom()});
    }
    return image;
}

}  // namespace lumavox

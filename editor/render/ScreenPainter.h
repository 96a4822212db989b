// Draws a laid-out screen: glyphs with the colour tables of the sign family,
// graphics, computed texts, and in the edit view the line-end and marker glyphs
// and the selection.
#pragma once

#include <cstdint>
#include <vector>

#include "content/Model.h"
#include "render/Image.h"
#include "render/Layout.h"
#include "render/Rasteriser.h"

namespace lumavox {

struct DrawOptions {
    int defaultColour = 1;  // the colour code that code 0 stands for
    int drawingMode = 0;    // 3: two-colour codes paint black
    // Selected items: indices selectionBegin .. selectionEnd - 1.
    int selectionBegin = 0;
    int selectionEnd = 0;
    const WorkArea* work = nullptr;  // graphic files by name
};

class ScreenPainter {
  public:
    ScreenPainter(const MeasuredFile& file, const DrawOptions& options);
    // Draws the screen's items into the image, clipped to the screen's area.
    // Dots not lit by an item are left as they are.
    void draw(RgbImage& image, const Screen& screen);

  private:
    // A line-end or control marker of the edit view (nothing for other items).
    void drawMarker(RgbImage& image, const PlacedItem& p, const TextItem& item, const Clip& clip);
    void drawText(RgbImage& image, int x, int y, int font, std::string_view text, int colour,
                  int property, bool selected, const Clip& clip, int& k);
    // A label of the edit view in the default font and the marker colour.
    void drawLabel(RgbImage& image, int x, int y, std::string_view label, bool selected,
                   const Clip& clip);
    static void outline(RgbImage& image, Rect r, Rgb colour, const Clip& clip);
    // A graphic item whose graphic the document lacks: an outline with its name.
    void drawPlaceholder(RgbImage& image, const PlacedItem& p, std::string_view name, bool selected,
                         const Clip& clip);

    const MeasuredFile& file_;
    DrawOptions options_;
    std::vector<uint8_t> glyph_;  // reused glyph buffer
};

}  // namespace lumavox

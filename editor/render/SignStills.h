// A text file as the sign shows it, as still pictures: one picture of the whole
// sign for every screen once it has come in, with called text files and window
// areas followed the way the display simulation plays them (without the move
// effects and pauses). Also the dot picture of the preview: every sign dot as
// N x N pixels with a grid, the stills stacked one under the other.
#pragma once

#include <vector>

#include "content/Model.h"
#include "render/FontSet.h"
#include "render/Image.h"
#include "strings/DateNames.h"

namespace lumavox {

// Nesting limit of called files and window areas.
constexpr int kMaxPlayDepth = 20;
// Bounds of one rendering: screens laid out and stills kept.
constexpr int kMaxPlayedScreens = 100000;
constexpr size_t kMaxStills = 1000;
// Alignment of the whole sign: centred both ways, as the sign is reset after
// window areas.
constexpr int kSignAlignment = 4;

struct StillOptions {
    SignMode mode = SignMode::KV2;
    int defaultFont = 1;
    int defaultColour = 1;  // code that colour 0 stands for
    CalendarTime now;
    DateNames names = DateNames::load();
    int alignment = kSignAlignment;
};

std::vector<RgbImage> renderStills(const WorkArea& work, const TextFile& file, const FontSet& fonts,
                                   const StillOptions& options);

// The preview's look of the stills: dot x dot pixels per sign dot, grid lines
// every dot pixels when dot > 3, a band of `dot` pixels between stills.
constexpr Rgb kGridColour{128, 128, 128};
constexpr Rgb kSeparatorColour{212, 208, 200};
constexpr int kMaxDotSize = 64;
RgbImage dotPicture(const std::vector<RgbImage>& stills, int dot);
// The part `part` (clipped to the picture) of one picture drawn dot x dot
// pixels a dot with the grid: what the preview window paints, so that only the
// dots on screen are scaled however large the sign is.
RgbImage dotPicturePart(const RgbImage& picture, Rect part, int dot);

// What the preview window shows of the sign for a client area of its canvas:
// visible columns and rows (the client size less the left or top margin, in
// whole dots, at most the sign), the scroll ranges (sign size less visible
// size, 0 when it all shows) and the scroll steps (a line a tenth of the
// visible dots, at least 1; a page twice that).
struct PreviewViewport {
    int columns = 0;
    int rows = 0;
    int maxX = 0;
    int maxY = 0;
    int lineX = 1;
    int lineY = 1;
    int pageX = 2;
    int pageY = 2;
};
PreviewViewport previewViewport(int signWidth, int signHeight, int clientWidth, int clientHeight,
                                int dot, int margin);

// Whether pixel (px, py) of a picture drawn dot x dot pixels a dot is a grid line.
inline bool isGridPixel(int px, int py, int dot) {
    return dot > 3 && (px % dot == 0 || py % dot == 0);
}
// The colour of pixel (px, py) of one picture drawn dot x dot pixels a dot.
inline Rgb dotPixel(const RgbImage& still, int px, int py, int dot) {
    return isGridPixel(px, py, dot) ? kGridColour : still.at(px / dot, py / dot);
}

}  // namespace lumavox

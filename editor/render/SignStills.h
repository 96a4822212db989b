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
// Whether pixel (px, py) of a picture drawn dot x dot pixels a dot is a grid line.
inline bool isGridPixel(int px, int py, int dot) {
    return dot > 3 && (px % dot == 0 || py % dot == 0);
}
// The colour of pixel (px, py) of one picture drawn dot x dot pixels a dot.
inline Rgb dotPixel(const RgbImage& still, int px, int py, int dot) {
    return isGridPixel(px, py, dot) ? kGridColour : still.at(px / dot, py / dot);
}

}  // namespace lumavox

// A graphic as a 24-bit BMP file: the form in which the NVS family's graphics
// are handed to the scriptable control.
#pragma once

#include <cstdint>
#include <vector>

#include "content/Model.h"

namespace lumavox {

// The graphic drawn on a black bitmap of its size, each pixel in its colour
// (red in the low byte of the pixel word), as the bytes of a BMP file: a
// bottom-up 24-bit device-independent bitmap, rows padded to 4 bytes. A graphic
// without pixels gives an empty vector.
std::vector<uint8_t> encodeGraphicBmp(const GraphicFile& graphic);

}  // namespace lumavox

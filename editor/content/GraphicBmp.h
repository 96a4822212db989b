// A graphic as a 24-bit BMP file: the form in which the NVS family's graphics
// are handed to the scriptable control.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/Model.h"

namespace lumavox {

// The graphic drawn on a black bitmap of its size, each pixel in its colour
// (red in the low byte of the pixel word), as the bytes of a BMP file: a
// bottom-up 24-bit device-independent bitmap, rows padded to 4 bytes. A graphic
// without pixels gives an empty vector.
std::vector<uint8_t> encodeGraphicBmp(const GraphicFile& graphic);

// Largest picture side a BMP may have to be taken as a graphic.
constexpr int kMaxBmpSide = 4096;

// Reads an uncompressed BMP (24 or 32 bits a pixel, or 1, 4 or 8 bits with a
// palette; bottom-up or top-down) into `graphic`'s size and pixels, each pixel
// the sign colour nearest to it: lit red and green give yellow, a dark pixel
// is off. The name and stamp are left alone. Anything else, or a file shorter
// than its headers say, gives false with the reason and leaves `graphic` as
// it was.
bool decodeGraphicBmp(std::span<const uint8_t> bytes, GraphicFile& graphic, std::string& error);

}  // namespace lumavox

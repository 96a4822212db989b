// Graphic files on the wire: the two-bit pixel packing, the dictionary coder
// that shrinks it, and the graphic body and directory entry sent to the sign.
//
// Body layout (little-endian):
//   0  kind 0x01          1  name, 8 bytes NUL-padded   9  total length incl. check word
//   11 TimeStamp (now)    17 width (low byte)           18 height (low byte)
//   19 1 = compressed, 0 = packed                       20 data
//   end-2  check word: the bit-inverted 16-bit sum of every byte before it
//
// Packing: pixels column by column (pixel (x, y) is element x * height + y),
// four per byte, first pixel in the top two bits; upper bit red, lower bit
// green. Values other than the four colours count as off.
//
// Compression works on the nibbles of the packed data, high nibble first,
// read as `width` columns of ceil(height / 2) nibbles. Codes 0-15 are the
// symbols, 16 resets the table, 17 ends the stream, entries start at 18; codes
// are 5 to 10 bits wide and packed least-significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/Model.h"
#include "platform/Clock.h"

namespace lumavox {

// Bytes of the two-bit packing: (width * height * 2 + 7) / 8; 0 for empty sizes.
size_t packedSize(int width, int height);

// Packs the graphic's pixels; missing pixels (a short pixel list) count as off.
std::vector<uint8_t> packPixels(const GraphicFile& g);

// Unpacks into width * height colour values; bytes missing from `packed` read as zero.
void unpackPixels(std::span<const uint8_t> packed, int width, int height,
                  std::vector<uint32_t>& pixels);

// Compresses the packed data. The nibble count is width * ceil(height / 2),
// which for odd heights reaches past the packed bytes; those nibbles read as zero.
std::vector<uint8_t> compressPacked(std::span<const uint8_t> packed, int width, int height);

// Reverses compressPacked into exactly packedSize(width, height) bytes: nibbles
// past that size are dropped, nibbles the stream does not supply are zero.
// Bits past the end of `data` read as zero, but a code that would start past
// the end means the end code never came, which is bad data. Other bad data:
// a code above the next free entry, a self-referring code right after a start
// or reset, and a data code when the table is full. Returns false on bad
// data and leaves `packed` alone. Work is bounded by the input size plus the
// output size; memory by the output size plus a fixed table.
bool decompressPacked(std::span<const uint8_t> data, int width, int height,
                      std::vector<uint8_t>& packed);

// The sign body of the graphic, stamped with the clock's now. The compressed
// form is sent (flag 1) only when it fits width * height bytes and is smaller
// than the packed data; otherwise the packed bytes go with flag 0.
std::vector<uint8_t> encodeGraphicBody(const GraphicFile& g, const Clock& clock);

// The 17-byte directory entry: the body header with length 0 0, stamped now
// like the body it announces.
std::vector<uint8_t> encodeGraphicDirEntry(const GraphicFile& g, const Clock& clock);

// Reads a graphic body received from the sign. The check word is verified
// before the data is interpreted; a mismatch gives "Graphic check sum is
// error!". A body shorter than its header, a length field outside 22 ... the
// buffer, a kind other than 1, width or height 0, a flag other than 0/1, packed
// data not matching the size, or bad compressed data gives "File format is
// invalidation!". On failure `out` is untouched.
bool decodeGraphicBody(std::span<const uint8_t> body, GraphicFile& out, std::string& error);

}  // namespace lumavox

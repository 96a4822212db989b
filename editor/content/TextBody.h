// The text file body as the sign receives it and sends it back.
//
//   00 | name[8] | length u16 | TimeStamp | EF | items | EF | check u16
//
// The length counts the whole body including the check word; the check word is
// the bit-inverted 16-bit sum of every byte before it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/Model.h"

namespace lumavox {

constexpr size_t kBodyHeaderSize = 17;  // kind, name, length, stamp
constexpr size_t kEmptyTextBodySize = 21;

// Appends the body of `file` to `out` and returns the number of bytes written.
// Sign width, height and colour kind come from the work area, which is also where
// the window files that window areas call are looked up. The stamp is "now".
size_t encodeTextBody(const TextFile& file, const WorkArea& work, const Clock& clock,
                      std::vector<uint8_t>& out);

// The first 17 bytes of the body with the length field zero.
std::array<uint8_t, kBodyHeaderSize> encodeTextDirEntry(const TextFile& file, const Clock& clock);

struct TextDecodeOptions {
    // Font index the sign starts a body with (the program's default font).
    uint8_t defaultFont = 1;
    // First character code plus character count of the font with index 1; bytes
    // at or above it that are not control codes are unknown codes.
    int font1EndCode = 256;
    // Decoding longer than this is abandoned.
    uint64_t timeLimitMs = 5000;
    // Read-back into a document: the areas of one window control, which follow
    // each other in the body, become one window control again (layout from
    // restoreSentLayout), and the full-screen reset after them is no area. Off,
    // every area is a window control of its own (what the sign itself meets).
    bool joinWindowAreas = false;
};

struct DecodedText {
    TextFile file;
    // Window files made for the window areas found in the body, named "*F" and
    // six digits, each called by its area.
    std::vector<TextFile> windowFiles;
};

// Decodes a received body. `work` supplies the names already in use for the new
// window files and the sign's size. On failure returns false, `error` holds the message for the
// user and `out` is left as it was.
bool decodeTextBody(std::span<const uint8_t> body, const WorkArea& work,
                    const TextDecodeOptions& options, const Clock& clock, DecodedText& out,
                    std::string& error);

}  // namespace lumavox

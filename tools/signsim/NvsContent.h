// What a sign of the NVS family holds, turned into the editor's content model
// so that the preview engine can play it: text file bodies in the control's
// caret-and-dollar language become text files (each window area a window file
// of its own, as the read-back of the other family makes them), BMP disk files
// become graphics.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "content/Model.h"

namespace lumavox::sim {

struct NvsDecodeContext {
    int signWidth = 160;
    int signHeight = 16;
    bool singleColour = false;
    uint8_t defaultFont = 1;  // the font of text before any "^F"
    // Graphics already decoded, for the sizes of the pictures a body shows.
    const std::vector<GraphicFile>* graphics = nullptr;
    TimeStamp stamp;  // of the files made
};

struct NvsDecodedText {
    TextFile file;
    std::vector<TextFile> windowFiles;  // named "*F" and six digits, one per area
};

// Decodes a text file body "$name$items" as the sign stored it. `usedNames`
// holds the names taken so far; the window files' names are added to it. On
// failure returns false with the reason, and `out` and `usedNames` are left as
// they were.
bool decodeNvsTextBody(std::string_view body, const NvsDecodeContext& context,
                       std::set<std::string>& usedNames, NvsDecodedText& out, std::string& error);

// A graphic's name on the sign: the disk file's name without its extension
// ("arrow.bmp" -> "arrow"), at most 8 characters.
std::string nvsGraphicName(std::string_view diskFileName);

}  // namespace lumavox::sim

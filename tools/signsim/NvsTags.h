// The tags a sign of the NVS family knows inside a text file body: after "^F"
// a font, after "^E" a move-in effect, after "^O" a colour, each written
// between "$" signs ("^F$SS7$"); a colour may also be "$RGB(RRGGBB,RRGGBB)$"
// with six hex digits each. The sign keeps its own tables so that an encoder
// that sends a bare or unknown tag is caught.
#pragma once

#include <string>
#include <string_view>

namespace lumavox::sim {

// Checks every "^F", "^E" and "^O" in `items` (the body after its "$name$"
// head; "^^" is a caret of the text). Returns "" when all are good, else a
// description of the first bad one.
std::string checkBodyTags(std::string_view items);

}  // namespace lumavox::sim

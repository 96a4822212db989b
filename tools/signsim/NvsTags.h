// The tags a sign of the NVS family knows inside a text file body: after "^F"
// a font, after "^E" a move-in effect, after "^O" a colour, each written
// between "$" signs ("^F$SS7$"); a colour may also be "$RGB(RRGGBB,RRGGBB)$"
// with six hex digits each. The sign keeps its own tables so that an encoder
// that sends a bare or unknown tag is caught.
#pragma once

#include <string>
#include <string_view>

namespace lumavox::sim {

enum class NvsTag { Font, Colour, Move };

// The number a tag stands for: fonts by their place in the table of the sign's
// height (the table of low signs up to 16 rows, another above), colours 0-25,
// move methods 0-43. -1 for a tag the sign does not know.
int nvsTagIndex(NvsTag kind, std::string_view tag, bool tallSign);

// Checks every "^F", "^E" and "^O" in `items` (the body after its "$name$"
// head; "^^" is a caret of the text). Returns "" when all are good, else a
// description of the first bad one.
std::string checkBodyTags(std::string_view items);

}  // namespace lumavox::sim

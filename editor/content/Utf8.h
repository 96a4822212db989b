// Characters and their UTF-8 form, for texts that reach beyond the sign's
// single-byte character set.
#pragma once

#include <string>
#include <string_view>

namespace lumavox {

// The characters as UTF-8.
std::string utf8Of(std::u32string_view text);

// The characters of UTF-8 text; a byte that starts no valid sequence counts
// as the character of its value, so single-byte text reads as Latin-1.
std::u32string charactersOf(std::string_view utf8);

}  // namespace lumavox

// Sign address lists such as "1,3,10-12": items separated by ",", each a
// decimal number or a range of two numbers joined by "-" in either order.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace lumavox {

constexpr size_t kMaxAddresses = 255;
constexpr unsigned kMaxSignAddress = 255;  // an address is one byte

// Every address of the list in order, at most 255 of them; items beyond are
// ignored. Items that hold no number, and items with a number above 255, are
// skipped: such a list is refused by checkAddressNumbers before it is used.
std::vector<uint8_t> parseAddressList(std::string_view text);

// The check every address list gets before it is used, the stored one too:
// 0, or msg::kAddressTooLarge when a number is above 255 (it would reach
// another sign if it were cut to a byte).
int checkAddressNumbers(std::string_view text);

// The checks made when the user types a list: 0 when it is acceptable, else the
// string-table id of the refusal (empty, first or last character a separator,
// two separators in a row, a character that is no digit, a number above 255).
int checkAddressText(std::string_view text);

}  // namespace lumavox

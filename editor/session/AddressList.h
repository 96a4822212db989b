// Sign address lists such as "1,3,10-12": items separated by ",", each a
// decimal number or a range of two numbers joined by "-" in either order.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace lumavox {

constexpr size_t kMaxAddresses = 255;

// Every address of the list in order (each number taken modulo 256), at most
// 255 of them; items beyond are ignored. Items that hold no number are skipped.
std::vector<uint8_t> parseAddressList(std::string_view text);

// The checks made when the user types a list: 0 when it is acceptable, else the
// string-table id of the refusal (empty, first or last character a separator,
// two separators in a row).
int checkAddressText(std::string_view text);

}  // namespace lumavox

#include "session/AddressList.h"

#include <algorithm>

#include "strings/StringTable.h"

namespace lumavox {

namespace {

bool isSeparator(char c) {
    return c == ',' || c == '-';
}

enum class Number { None, Valid, TooLarge };

// The decimal number of `s` (digits only, blanks ignored). Numbers above the
// largest address are reported as such, however many digits they have.
Number numberOf(std::string_view s, unsigned& value) {
    bool any = false;
    bool tooLarge = false;
    unsigned v = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            any = true;
            if (!tooLarge) v = v * 10 + static_cast<unsigned>(c - '0');
            if (v > kMaxSignAddress) tooLarge = true;
        } else if (c != ' ' && c != '\t') {
            return Number::None;
        }
    }
    value = v;
    if (!any) return Number::None;
    return tooLarge ? Number::TooLarge : Number::Valid;
}

// Calls `item` with the text of every comma-separated item.
template <typename Fn>
void forEachItem(std::string_view text, Fn item) {
    size_t pos = 0;
    for (;;) {
        size_t comma = text.find(',', pos);
        if (!item(text.substr(
                pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos)))
            return;
        if (comma == std::string_view::npos) return;
        pos = comma + 1;
    }
}

}  // namespace

std::vector<uint8_t> parseAddressList(std::string_view text) {
    std::vector<uint8_t> out;
    forEachItem(text, [&](std::string_view item) {
        size_t dash = item.find('-');
        unsigned a = 0, b = 0;
        if (dash == std::string_view::npos) {
            if (numberOf(item, a) == Number::Valid) out.push_back(static_cast<uint8_t>(a));
        } else if (numberOf(item.substr(0, dash), a) == Number::Valid &&
                   numberOf(item.substr(dash + 1), b) == Number::Valid) {
            for (unsigned v = std::min(a, b); v <= std::max(a, b) && out.size() < kMaxAddresses;
                 ++v)
                out.push_back(static_cast<uint8_t>(v));
        }
        return out.size() < kMaxAddresses;
    });
    return out;
}

int checkAddressNumbers(std::string_view text) {
    bool tooLarge = false;
    forEachItem(text, [&](std::string_view item) {
        size_t dash = item.find('-');
        unsigned v = 0;
        tooLarge = numberOf(item.substr(0, dash), v) == Number::TooLarge ||
                   (dash != std::string_view::npos &&
                    numberOf(item.substr(dash + 1), v) == Number::TooLarge);
        return !tooLarge;
    });
    return tooLarge ? msg::kAddressTooLarge : 0;
}

int checkAddressText(std::string_view text) {
    if (text.empty()) return msg::kAddressEmpty;
    if (isSeparator(text.front())) return msg::kAddressFirstChar;
    if (isSeparator(text.back())) return msg::kAddressLastChar;
    for (size_t i = 1; i < text.size(); ++i)
        if (isSeparator(text[i]) && isSeparator(text[i - 1])) return msg::kAddressInvalid;
    for (char c : text)
        if (!isSeparator(c) && (c < '0' || c > '9')) return msg::kAddressInvalid;
    return checkAddressNumbers(text);
}

}  // namespace lumavox

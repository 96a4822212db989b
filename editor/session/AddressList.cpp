#include "session/AddressList.h"

#include <algorithm>

#include "strings/StringTable.h"

namespace lumavox {

namespace {

bool isSeparator(char c) {
    return c == ',' || c == '-';
}

// The decimal number at the front of `s` (digits only, blanks ignored); false
// when there is none. Long numbers wrap the way a byte does.
bool numberOf(std::string_view s, unsigned& value) {
    bool any = false;
    unsigned v = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            v = (v * 10 + static_cast<unsigned>(c - '0')) % 256;
            any = true;
        } else if (c != ' ' && c != '\t') {
            return false;
        }
    }
    value = v;
    return any;
}

}  // namespace

std::vector<uint8_t> parseAddressList(std::string_view text) {
    std::vector<uint8_t> out;
    size_t pos = 0;
    while (pos <= text.size() && out.size() < kMaxAddresses) {
        size_t comma = text.find(',', pos);
        std::string_view item = text.substr(
            pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
        size_t dash = item.find('-');
        unsigned a = 0, b = 0;
        if (dash == std::string_view::npos) {
            if (numberOf(item, a)) out.push_back(static_cast<uint8_t>(a));
        } else if (numberOf(item.substr(0, dash), a) && numberOf(item.substr(dash + 1), b)) {
            for (unsigned v = std::min(a, b); v <= std::max(a, b) && out.size() < kMaxAddresses;
                 ++v)
                out.push_back(static_cast<uint8_t>(v));
        }
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    return out;
}

int checkAddressText(std::string_view text) {
    if (text.empty()) return msg::kAddressEmpty;
    if (isSeparator(text.front())) return msg::kAddressFirstChar;
    if (isSeparator(text.back())) return msg::kAddressLastChar;
    for (size_t i = 1; i < text.size(); ++i)
        if (isSeparator(text[i]) && isSeparator(text[i - 1])) return msg::kAddressInvalid;
    for (char c : text)
        if (!isSeparator(c) && (c < '0' || c > '9')) return msg::kAddressInvalid;
    return 0;
}

}  // namespace lumavox

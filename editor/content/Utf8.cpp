#include "content/Utf8.h"

namespace lumavox {

std::string utf8Of(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u32string charactersOf(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80             ? 0
                          : (lead & 0xE0) == 0xC0 ? 1
                          : (lead & 0xF0) == 0xE0 ? 2
                          : (lead & 0xF8) == 0xF0 ? 3
                                                  : -1;
        char32_t c = extra > 0 ? lead & (0x3F >> extra) : lead;
        bool valid = extra >= 0 && i + static_cast<size_t>(extra) < utf8.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            if ((b & 0xC0) != 0x80) valid = false;
            c = (c << 6) | (b & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (valid && extra > 0 && (c < kSmallest[extra] || c > 0x10FFFF)) valid = false;
        if (!valid) {
            out.push_back(lead);
            ++i;
            continue;
        }
        out.push_back(c);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

}  // namespace lumavox

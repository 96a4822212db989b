// The names used in date and time texts, fetched through the string table so
// that a language file can replace them. Fetched once at start and again after
// the language changes; a translated name replaces the built-in one only when
// it is not empty.
#pragma once

#include <array>
#include <string>

namespace lumavox {

struct DateNames {
    std::array<std::string, 7> weekdayLong;  // Sunday first
    std::array<std::string, 7> weekdayShort;
    std::array<std::string, 12> monthLong;  // January first
    std::array<std::string, 12> monthShort;
    std::array<std::string, 8> markers;   // AM, A, PM, P, am, a, pm, p
    std::array<std::string, 4> ordinals;  // st, nd, rd, th

    static DateNames load();
};

}  // namespace lumavox

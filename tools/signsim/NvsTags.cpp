#include "NvsTags.h"

#include <algorithm>
#include <array>

namespace lumavox::sim {

namespace {

// Fonts of low signs and of tall ones, by number. A body may name a font of
// either table.
constexpr std::array<std::string_view, 9> kLowFonts{"SS5",  "SS7",  "SF7",  "SF10", "SS16",
                                                    "SF16", "TM16", "AR16", "SMA"};
constexpr std::array<std::string_view, 15> kTallFonts{"SS5",  "SS7",  "SF7",  "SF10", "SS15",
                                                      "SF15", "TM16", "AR16", "SMA",  "SS24",
                                                      "SF24", "TM12", "AR12", "TM24", "AR24"};

constexpr std::array<std::string_view, 26> kColours{
    "ACL",  "WHT",  "RED",  "GRN",  "BLU",  "YEL",  "CYN",  "PUR",  "RB1",
    "RB2",  "RB3",  "RB4",  "RB5",  "MIX1", "MIX2", "MIX3", "MIX4", "INV1",
    "INV2", "INV3", "INV4", "INV5", "INV6", "INV7", "INV8", "INV9"};

constexpr std::array<std::string_view, 44> kMoves{
    "AUT",  "HLD",  "SLU",  "SLD",  "SLL",  "SLR",  "SFC",  "STC",  "CVU",  "CVD",  "CVL",
    "CVR",  "CFC",  "CTC",  "ROU",  "ROD",  "ROL",  "ROR",  "RFC",  "RTC",  "INS1", "INS2",
    "INS3", "INS4", "INR1", "INR2", "INR3", "INR4", "INR5", "INR6", "SHU1", "SHU2", "SHU3",
    "SHU4", "JMP",  "SNO",  "RAN",  "SHO",  "EXP",  "FLS",  "TWK",  "PAC",  "SCL",  "SCU"};

template <size_t N>
int indexOf(const std::array<std::string_view, N>& table, std::string_view tag) {
    auto it = std::find(table.begin(), table.end(), tag);
    return it == table.end() ? -1 : static_cast<int>(it - table.begin());
}

template <size_t N>
bool known(const std::array<std::string_view, N>& table, std::string_view tag) {
    return indexOf(table, tag) >= 0;
}

bool sixHexDigits(std::string_view s) {
    return s.size() == 6 && std::all_of(s.begin(), s.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

// "RGB(RRGGBB,RRGGBB)".
bool rgbTag(std::string_view tag) {
    if (tag.size() != 18 || !tag.starts_with("RGB(") || tag[10] != ',' || tag[17] != ')')
        return false;
    return sixHexDigits(tag.substr(4, 6)) && sixHexDigits(tag.substr(11, 6));
}

}  // namespace

int nvsTagIndex(NvsTag kind, std::string_view tag, bool tallSign) {
    switch (kind) {
        case NvsTag::Font:
            return tallSign ? indexOf(kTallFonts, tag) : indexOf(kLowFonts, tag);
        case NvsTag::Colour:
            return indexOf(kColours, tag);
        case NvsTag::Move:
            return indexOf(kMoves, tag);
    }
    return -1;
}

std::string checkBodyTags(std::string_view items) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] != '^') continue;
        if (i + 1 >= items.size()) return "a lone caret at the end";
        const char code = items[++i];
        if (code != 'F' && code != 'E' && code != 'O') continue;  // "^^" and other codes
        std::string where = std::string("^") + code + " at " + std::to_string(i - 1);
        // The tag runs from "$" to the next "$".
        if (i + 1 >= items.size() || items[i + 1] != '$') return "no tag after " + where;
        const size_t close = items.find('$', i + 2);
        if (close == std::string_view::npos) return "unterminated tag after " + where;
        std::string_view tag = items.substr(i + 2, close - i - 2);
        bool good = code == 'F'   ? known(kLowFonts, tag) || known(kTallFonts, tag)
                    : code == 'E' ? known(kMoves, tag)
                                  : known(kColours, tag) || rgbTag(tag);
        if (!good) return "unknown tag '" + std::string(tag) + "' after " + where;
        i = close;
    }
    return {};
}

}  // namespace lumavox::sim

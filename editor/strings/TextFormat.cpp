#include "strings/TextFormat.h"

#include <cctype>

#include "strings/StringTable.h"

namespace lumavox {

namespace {

std::string argAsText(const FormatArg& a) {
    if (auto* s = std::get_if<std::string>(&a.value)) return *s;
    return std::to_string(std::get<int64_t>(a.value));
}

int64_t argAsNumber(const FormatArg& a) {
    if (auto* n = std::get_if<int64_t>(&a.value)) return *n;
    const auto& s = std::get<std::string>(a.value);
    return s.empty() ? 0 : static_cast<unsigned char>(s[0]);
}

}  // namespace

std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    auto next = args.begin();
    size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // %[0][width]conv
        size_t j = i + 1;
        bool zero = false;
        if (j < pattern.size() && pattern[j] == '0') {
            zero = true;
            ++j;
        }
        size_t width = 0;
        while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j])) &&
               width < 64) {
            width = width * 10 + static_cast<size_t>(pattern[j] - '0');
            ++j;
        }
        char conv = j < pattern.size() ? pattern[j] : '\0';
        if ((conv != 's' && conv != 'd' && conv != 'c' && conv != 'u') || next == args.end()) {
            out.append(pattern.substr(i, j - i + (conv ? 1 : 0)));
            i = j + (conv ? 1 : 0);
            continue;
        }
        std::string piece;
        if (conv == 's') {
            piece = argAsText(*next);
        } else if (conv == 'c') {
            piece = std::string(1, static_cast<char>(argAsNumber(*next)));
        } else {
            int64_t v = argAsNumber(*next);
            piece = std::to_string(v < 0 ? -v : v);
            if (piece.size() < width && zero) piece.insert(0, width - piece.size() - (v < 0), '0');
            if (v < 0) piece.insert(0, 1, '-');
        }
        if (piece.size() < width) piece.insert(0, width - piece.size(), ' ');
        out += piece;
        ++next;
        i = j + 1;
    }
    return out;
}

std::string textf(int id, std::initializer_list<FormatArg> args) {
    return formatText(text(id), args);
}

}  // namespace lumavox

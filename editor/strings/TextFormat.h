// Safe formatting of "%s"/"%d" texts from the string table.
//
// Texts may come from language files, so the pattern is untrusted: arguments are
// substituted in order for %s, %d, %c (and width forms such as %02d) without any
// varargs, a missing argument leaves the directive as written, and "%%" is "%".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace lumavox {

struct FormatArg {
    std::variant<std::string, int64_t> value;
    FormatArg(std::string_view s) : value(std::string(s)) {}  // NOLINT
    FormatArg(const char* s) : value(std::string(s)) {}       // NOLINT
    FormatArg(const std::string& s) : value(s) {}             // NOLINT
    FormatArg(int v) : value(int64_t{v}) {}                   // NOLINT
    FormatArg(unsigned v) : value(int64_t{v}) {}              // NOLINT
    FormatArg(long v) : value(int64_t{v}) {}                  // NOLINT
    FormatArg(long long v) : value(int64_t{v}) {}             // NOLINT
};

std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args);

// text(id) formatted with the arguments.
std::string textf(int id, std::initializer_list<FormatArg> args);

}  // namespace lumavox

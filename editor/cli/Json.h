// A small streaming JSON writer for the command line's machine-readable output.
// Text from documents is single-byte; bytes above 127 are written as the code
// points of the same value.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace lumavox {

class JsonWriter {
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& beginObject();
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray();
    JsonWriter& endArray() { return close(']'); }
    JsonWriter& key(std::string_view k);
    JsonWriter& value(std::string_view s);
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(int64_t v);
    JsonWriter& value(bool b);
    template <typename T>
    JsonWriter& field(std::string_view k, const T& v) {
        key(k);
        if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
            return value(static_cast<int64_t>(v));
        else if constexpr (std::is_same_v<T, std::string>)
            return value(std::string_view(v));
        else
            return value(v);
    }
    void finish() { out_ << '\n'; }

  private:
    JsonWriter& close(char bracket);
    void separate();
    void writeString(std::string_view s);
    void indent();
    std::ostream& out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool afterKey_ = false;
};

}  // namespace lumavox

// A small streaming JSON writer for machine-readable output, and a bounded
// JSON reader for what people and scripts hand back.
//
// Text from documents is single-byte; bytes above 127 are written as the code
// points of the same value, and the reader turns code points up to 255 back
// into those bytes (code points above 255 cannot be held and are refused).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
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
    // Any characters, those beyond ASCII as \u escapes (UTF-16 pairs above U+FFFF).
    JsonWriter& value(std::u32string_view s);
    JsonWriter& value(int64_t v);
    JsonWriter& value(bool b);
    JsonWriter& null();
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

// ---- Reading ----------------------------------------------------------------

// One parsed JSON value. Objects keep their members in the order written;
// numbers are whole numbers only (all this program writes).
struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    int64_t number = 0;
    std::string text;  // strings, as single bytes
    // A string holding a character above U+00FF (read only with
    // JsonLimits::wideText): all its characters; `text` then has "?" for those.
    std::u32string wide;
    std::vector<JsonValue> elements;
    std::vector<std::pair<std::string, JsonValue>> members;

    // Defined below the class: the members' vector destroys pairs of this
    // type, which are complete only there (clang's libstdc++ checks).
    JsonValue();
    JsonValue(const JsonValue&);
    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(const JsonValue&);
    JsonValue& operator=(JsonValue&&) noexcept;
    ~JsonValue();

    bool isObject() const { return type == Type::Object; }
    bool isArray() const { return type == Type::Array; }
    bool isString() const { return type == Type::String; }
    bool isNumber() const { return type == Type::Number; }
    bool isBool() const { return type == Type::Bool; }
    // The member named `key` of an object, or null.
    const JsonValue* find(std::string_view key) const;
};

inline JsonValue::JsonValue() = default;
inline JsonValue::JsonValue(const JsonValue&) = default;
inline JsonValue::JsonValue(JsonValue&&) noexcept = default;
inline JsonValue& JsonValue::operator=(const JsonValue&) = default;
inline JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;
inline JsonValue::~JsonValue() = default;

std::string_view jsonTypeName(JsonValue::Type type);

struct JsonLimits {
    size_t maxBytes = size_t{128} << 20;  // larger input is refused unread
    int maxDepth = 64;                    // arrays and objects nested deeper are refused
    // Strings may hold any character (see JsonValue::wide); keys stay single-byte.
    bool wideText = false;
};

// Parses one JSON text (surrounding white space allowed). On failure returns
// false with `error` saying where ("line L, column C: reason") and leaves
// `out` unchanged. Refuses duplicate keys, fractions and exponents, numbers
// beyond 64 bits, invalid UTF-8 and code points above 255 (in string values,
// unless JsonLimits::wideText).
bool parseJson(std::string_view text, JsonValue& out, std::string& error,
               const JsonLimits& limits = {});

// Bytes carried in JSON text: standard base64 (RFC 4648) with padding. The
// reader refuses any other character, missing padding and data after it.
std::string encodeBase64(std::span<const uint8_t> bytes);
bool decodeBase64(std::string_view text, std::vector<uint8_t>& out);

// Writes a parsed value back as JSON text (members in their order).
void writeJsonValue(JsonWriter& writer, const JsonValue& value);

}  // namespace lumavox

#include "content/Json.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace lumavox {

void JsonWriter::indent() {
    out_ << '\n';
    for (size_t i = 0; i < first_.size(); ++i)
        out_ << "  ";
}

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) out_ << ',';
        first_.back() = false;
        indent();
    }
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out_ << '{';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    bool empty = first_.back();
    first_.pop_back();
    if (!empty) indent();
    out_ << bracket;
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    out_ << '[';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view k) {
    separate();
    writeString(k);
    out_ << ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view s) {
    separate();
    writeString(s);
    return *this;
}

JsonWriter& JsonWriter::value(std::u32string_view s) {
    separate();
    out_ << '"';
    auto unit = [this](unsigned u) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\u%04x", u);
        out_ << buf;
    };
    for (char32_t c : s) {
        if (c == '"' || c == '\\')
            out_ << '\\' << static_cast<char>(c);
        else if (c >= 0x20 && c < 0x7F)
            out_ << static_cast<char>(c);
        else if (c > 0xFFFF) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else
            unit(c);
    }
    out_ << '"';
    return *this;
}

void JsonWriter::writeString(std::string_view s) {
    out_ << '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out_ << "\\\"";
                break;
            case '\\':
                out_ << "\\\\";
                break;
            case '\n':
                out_ << "\\n";
                break;
            case '\r':
                out_ << "\\r";
                break;
            case '\t':
                out_ << "\\t";
                break;
            default:
                if (c < 0x20 || c >= 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out_ << buf;
                } else {
                    out_ << c;
                }
        }
    }
    out_ << '"';
}

JsonWriter& JsonWriter::value(int64_t v) {
    separate();
    out_ << v;
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    out_ << "null";
    return *this;
}

JsonWriter& JsonWriter::value(bool b) {
    separate();
    out_ << (b ? "true" : "false");
    return *this;
}

const JsonValue* JsonValue::find(std::string_view key) const {
    for (const auto& [k, v] : members)
        if (k == key) return &v;
    return nullptr;
}

std::string_view jsonTypeName(JsonValue::Type type) {
    switch (type) {
        case JsonValue::Type::Null:
            return "null";
        case JsonValue::Type::Bool:
            return "true or false";
        case JsonValue::Type::Number:
            return "a number";
        case JsonValue::Type::String:
            return "a string";
        case JsonValue::Type::Array:
            return "an array";
        case JsonValue::Type::Object:
            return "an object";
    }
    return "?";
}

namespace {

// A recursive-descent reader; the depth limit bounds the recursion and the
// size limit everything else.
class JsonParser {
  public:
    JsonParser(std::string_view text, const JsonLimits& limits) : s_(text), limits_(limits) {}

    bool parse(JsonValue& out, std::string& error) {
        if (s_.size() > limits_.maxBytes) {
            error = "the text is larger than " + std::to_string(limits_.maxBytes) + " bytes";
            return false;
        }
        skipSpace();
        bool ok = value(out, 0);
        if (ok) {
            skipSpace();
            if (pos_ < s_.size()) ok = fail("unexpected text after the value");
        }
        if (!ok) error = where() + ": " + error_;
        return ok;
    }

  private:
    bool fail(std::string reason) {
        error_ = std::move(reason);
        return false;
    }
    std::string where() const {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < pos_ && i < s_.size(); ++i) {
            if (s_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column);
    }
    void skipSpace() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool literal(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word) return fail("unknown word");
        pos_ += word.size();
        return true;
    }

    bool value(JsonValue& v, int depth) {
        if (pos_ >= s_.size()) return fail("a value is missing");
        char c = s_[pos_];
        if (c == '{' || c == '[') {
            if (depth >= limits_.maxDepth)
                return fail("nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
            return c == '{' ? object(v, depth + 1) : array(v, depth + 1);
        }
        if (c == '"') {
            v.type = JsonValue::Type::String;
            return string(v.text, limits_.wideText ? &v.wide : nullptr);
        }
        if (c == '-' || (c >= '0' && c <= '9')) return number(v);
        if (c == 't' || c == 'f') {
            v.type = JsonValue::Type::Bool;
            v.boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            v.type = JsonValue::Type::Null;
            return literal("null");
        }
        return fail(std::string("unexpected character '") + c + "'");
    }

    bool object(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Object;
        ++pos_;
        skipSpace();
        if (pos_ < s_.size() && s_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '"')
                return fail("a key in double quotes is expected");
            std::string key;
            if (!string(key)) return false;
            if (v.find(key)) return fail("the key \"" + key + "\" appears twice");
            skipSpace();
            if (pos_ >= s_.size() || s_[pos_] != ':') return fail("':' is expected after a key");
            ++pos_;
            skipSpace();
            JsonValue member;
            if (!value(member, depth)) return false;
            v.members.emplace_back(std::move(key), std::move(member));
            skipSpace();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return fail("',' or '}' is expected");
        }
    }

    bool array(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Array;
        ++pos_;
        skipSpace();
        if (pos_ < s_.size() && s_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipSpace();
            JsonValue element;
            if (!value(element, depth)) return false;
            v.elements.push_back(std::move(element));
            skipSpace();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return fail("',' or ']' is expected");
        }
    }

    bool number(JsonValue& v) {
        v.type = JsonValue::Type::Number;
        bool negative = s_[pos_] == '-';
        if (negative) ++pos_;
        if (pos_ >= s_.size() || s_[pos_] < '0' || s_[pos_] > '9')
            return fail("a digit is expected");
        if (s_[pos_] == '0' && pos_ + 1 < s_.size() && s_[pos_ + 1] >= '0' && s_[pos_ + 1] <= '9')
            return fail("numbers do not start with 0");
        // Accumulated as a negative number so that the smallest int64 fits.
        int64_t n = 0;
        constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
            int digit = s_[pos_] - '0';
            if (n < (kMin + digit) / 10) return fail("the number is too large");
            n = n * 10 - digit;
            ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == '.' || s_[pos_] == 'e' || s_[pos_] == 'E'))
            return fail("only whole numbers are used");
        if (!negative) {
            if (n == kMin) return fail("the number is too large");
            n = -n;
        }
        v.number = n;
        return true;
    }

    static int hexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // One code point of a string: an escape or a UTF-8 sequence.
    bool codePoint(uint32_t& cp) {
        unsigned char c = static_cast<unsigned char>(s_[pos_]);
        if (c == '\\') {
            if (++pos_ >= s_.size()) return fail("the string is not closed");
            char e = s_[pos_++];
            switch (e) {
                case '"':
                    cp = '"';
                    return true;
                case '\\':
                    cp = '\\';
                    return true;
                case '/':
                    cp = '/';
                    return true;
                case 'b':
                    cp = 8;
                    return true;
                case 'f':
                    cp = 12;
                    return true;
                case 'n':
                    cp = 10;
                    return true;
                case 'r':
                    cp = 13;
                    return true;
                case 't':
                    cp = 9;
                    return true;
                case 'u': {
                    if (pos_ + 4 > s_.size()) return fail("\\u needs four hex digits");
                    cp = 0;
                    for (int i = 0; i < 4; ++i) {
                        int d = hexDigit(s_[pos_++]);
                        if (d < 0) return fail("\\u needs four hex digits");
                        cp = cp * 16 + static_cast<uint32_t>(d);
                    }
                    return true;
                }
                default:
                    return fail(std::string("unknown escape \\") + e);
            }
        }
        if (c < 0x20) return fail("control characters must be escaped in strings");
        ++pos_;
        if (c < 0x80) {
            cp = c;
            return true;
        }
        int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) return fail("the text is not valid UTF-8");
        cp = c & (0x3F >> extra);
        for (int i = 0; i < extra; ++i) {
            if (pos_ >= s_.size() || (static_cast<unsigned char>(s_[pos_]) & 0xC0) != 0x80)
                return fail("the text is not valid UTF-8");
            cp = (cp << 6) | (static_cast<unsigned char>(s_[pos_++]) & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF) return fail("the text is not valid UTF-8");
        return true;
    }

    // With `wide`, characters above U+00FF are kept: then `wide` holds every
    // character and `out` a "?" for each of those. A pair of \u escapes of
    // UTF-16 surrogates stands for one character there.
    bool string(std::string& out, std::u32string* wide = nullptr) {
        ++pos_;  // the opening quote
        out.clear();
        std::u32string all;
        bool above = false;
        for (;;) {
            if (pos_ >= s_.size()) return fail("the string is not closed");
            if (s_[pos_] == '"') {
                ++pos_;
                if (above && wide) *wide = std::move(all);
                return true;
            }
            uint32_t cp = 0;
            if (!codePoint(cp)) return false;
            if (wide && cp >= 0xD800 && cp < 0xDC00 && pos_ + 1 < s_.size() && s_[pos_] == '\\' &&
                s_[pos_ + 1] == 'u') {
                uint32_t low = 0;
                if (!codePoint(low)) return false;
                if (low < 0xDC00 || low > 0xDFFF) return fail("a lone UTF-16 surrogate");
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            }
            if (wide && cp >= 0xD800 && cp <= 0xDFFF) return fail("a lone UTF-16 surrogate");
            if (cp > 0xFF) {
                if (!wide)
                    return fail("characters above U+00FF cannot be held in single-byte text");
                above = true;
            }
            out.push_back(cp > 0xFF ? '?' : static_cast<char>(cp));
            if (wide) all.push_back(static_cast<char32_t>(cp));
        }
    }

    std::string_view s_;
    JsonLimits limits_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

bool parseJson(std::string_view text, JsonValue& out, std::string& error,
               const JsonLimits& limits) {
    JsonValue parsed;
    if (!JsonParser(text, limits).parse(parsed, error)) return false;
    out = std::move(parsed);
    return true;
}

void writeJsonValue(JsonWriter& w, const JsonValue& v) {
    switch (v.type) {
        case JsonValue::Type::Null:
            w.null();
            break;
        case JsonValue::Type::Bool:
            w.value(v.boolean);
            break;
        case JsonValue::Type::Number:
            w.value(v.number);
            break;
        case JsonValue::Type::String:
            w.value(std::string_view(v.text));
            break;
        case JsonValue::Type::Array:
            w.beginArray();
            for (const JsonValue& e : v.elements)
                writeJsonValue(w, e);
            w.endArray();
            break;
        case JsonValue::Type::Object:
            w.beginObject();
            for (const auto& [k, e] : v.members) {
                w.key(k);
                writeJsonValue(w, e);
            }
            w.endObject();
            break;
    }
}

std::string encodeBase64(std::span<const uint8_t> bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t word = static_cast<uint32_t>(bytes[i]) << 16;
        if (n > 1) word |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (n > 2) word |= bytes[i + 2];
        out.push_back(digits[(word >> 18) & 63]);
        out.push_back(digits[(word >> 12) & 63]);
        out.push_back(n > 1 ? digits[(word >> 6) & 63] : '=');
        out.push_back(n > 2 ? digits[word & 63] : '=');
    }
    return out;
}

bool decodeBase64(std::string_view text, std::vector<uint8_t>& out) {
    auto digit = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    if (text.size() % 4 != 0) return false;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int pad = 0;
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k) {
            char c = text[i + k];
            int d = digit(c);
            if (c == '=' && last && k >= 2 && (k == 3 || text[i + 3] == '=')) {
                ++pad;
                d = 0;
            } else if (d < 0 || pad > 0) {
                return false;
            }
            word = (word << 6) | static_cast<uint32_t>(d);
        }
        bytes.push_back(static_cast<uint8_t>(word >> 16));
        if (pad < 2) bytes.push_back(static_cast<uint8_t>(word >> 8));
        if (pad < 1) bytes.push_back(static_cast<uint8_t>(word));
    }
    out = std::move(bytes);
    return true;
}

}  // namespace lumavox

#include "cli/Json.h"

#include <cstdio>

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

JsonWriter& JsonWriter::value(bool b) {
    separate();
    out_ << (b ? "true" : "false");
    return *this;
}

}  // namespace lumavox

#include "ConversationLog.h"

#include <cerrno>
#include <cstring>

namespace lumavox::sim {

ConversationLog::~ConversationLog() {
    if (file_) std::fclose(file_);
}

bool ConversationLog::open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string jsonEscape(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string hexBytes(std::span<const uint8_t> bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

void ConversationLog::line(const std::string& json) {
    if (!file_) return;
    std::fputs(json.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

void ConversationLog::frame(uint64_t ms, const char* dir, std::span<const uint8_t> bytes,
                            uint8_t address, uint8_t sequence, const std::string& code,
                            const char* command) {
    if (!file_) return;
    line("{\"ms\":" + std::to_string(ms) + ",\"dir\":\"" + dir +
         "\",\"kind\":\"frame\",\"address\":" + std::to_string(address) +
         ",\"seq\":" + std::to_string(sequence) + ",\"code\":\"" + jsonEscape(code) +
         "\",\"command\":\"" + jsonEscape(command) +
         "\",\"bytes\":" + std::to_string(bytes.size()) + ",\"hex\":\"" + hexBytes(bytes) + "\"}");
}

void ConversationLog::bare(uint64_t ms, const char* dir, const char* kind,
                           std::span<const uint8_t> bytes) {
    if (!file_) return;
    line("{\"ms\":" + std::to_string(ms) + ",\"dir\":\"" + dir + "\",\"kind\":\"" + kind +
         "\",\"hex\":\"" + hexBytes(bytes) + "\"}");
}

void ConversationLog::note(uint64_t ms, const std::string& text) {
    if (!file_) return;
    line("{\"ms\":" + std::to_string(ms) + ",\"kind\":\"note\",\"text\":\"" + jsonEscape(text) +
         "\"}");
}

}  // namespace lumavox::sim

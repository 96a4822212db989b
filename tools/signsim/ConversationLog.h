// The conversation on the line as JSON lines: one per frame received or sent,
// per handshake and acknowledgement, and per note (payload errors, faults).
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace lumavox::sim {

class ConversationLog {
  public:
    ConversationLog() = default;
    ~ConversationLog();
    ConversationLog(const ConversationLog&) = delete;
    ConversationLog& operator=(const ConversationLog&) = delete;

    bool open(const std::string& path, std::string& error);
    bool enabled() const { return file_ != nullptr; }

    // A frame: direction "rx" or "tx", its bytes, and the payload code when the
    // frame starts a command ("" for continuation frames).
    void frame(uint64_t ms, const char* dir, std::span<const uint8_t> bytes, uint8_t address,
               uint8_t sequence, const std::string& code, const char* command);
    // Bare bytes: a handshake sent or an acknowledgement received.
    void bare(uint64_t ms, const char* dir, const char* kind, std::span<const uint8_t> bytes);
    void note(uint64_t ms, const std::string& text);

  private:
    void line(const std::string& json);
    FILE* file_ = nullptr;
};

std::string jsonEscape(const std::string& s);
std::string hexBytes(std::span<const uint8_t> bytes);

}  // namespace lumavox::sim

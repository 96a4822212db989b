// The text side of the DTU configuration dialogue: the commands, the rule by
// which the DTU's answer is recognised in the bytes collected since a command
// was sent, and the reading of answers and of the full parameter list.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumavox::gateway {

namespace config {
inline constexpr std::string_view kEnter = "+++ in set\r\n";
inline constexpr std::string_view kList = "AT+SETLIST=ON\r\n";
inline constexpr std::string_view kLeaveName = "OUTSET";
inline constexpr std::string_view kLeaveValue = "ON";
inline constexpr std::string_view kHeartbeatName = "BEATDATA";
// The command area holds at most this many characters; longer commands are
// refused before anything is sent.
inline constexpr size_t kMaxCommand = 200;
}  // namespace config

std::string readCommand(std::string_view name);                           // "AT+%s?\r\n"
std::string writeCommand(std::string_view name, std::string_view value);  // "AT+%s=%s\r\n"

// Applies the recognition rule to the collected text. Returns the reply when
// the text holds one:
// 1. "OK\r\n" anywhere: the whole text in list mode, else "OK\r\n";
// 2. "ERR" followed later by "\r\n": the text from "ERR" up to that line end;
// 3. in list mode, or for a command beginning with "+": nothing yet;
// 4. else the last complete line (blank lines right after a line belong to
//    it) when it begins with "AT" and is not the echo of the command (a line
//    beginning with the whole command).
std::optional<std::string> recogniseReply(std::string_view text, bool listMode,
                                          std::string_view command);

// Result of a read: DTU_CONFIG_OK with the value, DTU_CONFIG_ERR_CMD ("ERR
// CMD"), DTU_CONFIG_ERR_DATA ("ERR DATA"), DTU_CONFIG_FAILED an unusable reply. The reply must
// begin with "AT+" and the name; the value follows one separator character and ends at the first
// "\r\n".
int interpretReadReply(std::string_view reply, std::string_view command, std::string& value);

// Result of a write whose reply was not "OK": DTU_CONFIG_ERR_CMD,
// DTU_CONFIG_ERR_DATA or DTU_CONFIG_FAILED.
int interpretWriteReply(std::string_view reply);

// The DTU's full parameter list: entries "name=value" ending in a carriage
// return, each next entry four bytes after it.
class ConfigList {
  public:
    // Keeps the list text; a leading echo of the list command is not part of
    // the list.
    void assign(std::string_view text);
    void clear() { assign({}); }
    // The next pair, or false when there is none.
    bool next(std::string& name, std::string& value);

  private:
    std::string text_;
    size_t cursor_ = 0;
};

}  // namespace lumavox::gateway

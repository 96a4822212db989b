// The sign's text command language: commands "^A" ... "^D" followed by a
// four-digit checksum, conversations opened by "^B" and the addresses and
// closed by "^C", and the judgement of the sign's reply lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumavox::nvs {

// Sum of the bytes modulo 65536, each byte read as signed or unsigned.
uint16_t checksum(std::string_view command, bool signedBytes);
// The command followed by its checksum in "%04X".
std::string withChecksum(std::string_view command, bool signedBytes);

// An address string: hex sign addresses separated by commas ("1,0A,64"). On
// success the addresses are stored in `out` (when given). Items above FF are
// refused: an address is one byte.
bool parseAddressString(const char* text, std::vector<uint8_t>* out = nullptr);
// True when the string names exactly one address and it is not 0.
bool expectsReply(const char* text);

// The commands (with their checksums).
std::string clearMemoryCommand();
// False when the sequence holds bytes that would end the command early.
bool safeSequence(std::string_view sequence);
std::string runSequenceCommand(std::string_view sequence);
std::string dateTimeCommands(int year, int month, int day, int weekday, int hour, int minute,
                             int second);
std::string changeAddressCommand(uint8_t newAddress);
std::string powerCommand(bool on);
std::string allocTextCommand(std::string_view name, size_t bodyLength);
std::string allocDiskCommand(std::string_view name, size_t bodyLength);
std::string textDataCommand(std::string_view body);
std::string diskDataCommand(std::string_view body);

// A whole conversation around commands, or its opening / closing part.
std::string openConversation(std::string_view addresses);
constexpr const char* kCloseConversation = "^C";

enum class Verdict { Undecided, Success, Failure };
struct Judgement {
    Verdict verdict = Verdict::Undecided;
    std::string text;  // "The sign say : " and the reply's meaning
};
// Judges a reply once it holds CR LF; the words are searched in the reply
// turned to lower case, "ok" first.
Judgement judgeReply(std::string_view reply);

// The reply words, in the order they are searched.
struct ReplyWord {
    const char* word;
    const char* text;
};
const std::vector<ReplyWord>& replyWords();

}  // namespace lumavox::nvs

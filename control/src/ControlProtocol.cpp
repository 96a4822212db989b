#include "ControlProtocol.h"

#include <cstdio>

#include "SignContent.h"

namespace lumavox::nvs {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

uint16_t checksum(std::string_view command, bool signedBytes) {
    uint32_t sum = 0;
    for (char c : command) {
        int v = signedBytes ? static_cast<int>(static_cast<signed char>(c))
                            : static_cast<int>(static_cast<unsigned char>(c));
        sum = (sum + static_cast<uint32_t>(v)) & 0xFFFFu;
    }
    return static_cast<uint16_t>(sum);
}

std::string withChecksum(std::string_view command, bool signedBytes) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", checksum(command, signedBytes));
    std::string s(command);
    s += buf;
    return s;
}

bool parseAddressString(const char* text, std::vector<uint8_t>* out) {
    if (out) out->clear();
    if (!text || !*text) return false;
    std::string_view s(text);
    if (s.front() == ',' || s.back() == ',') return false;
    unsigned value = 0;
    bool inItem = false;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == ',') {
            if (!inItem) return false;  // two commas in a row
            if (out) out->push_back(static_cast<uint8_t>(value));
            value = 0;
            inItem = false;
            continue;
        }
        int d = hexDigit(s[i]);
        if (d < 0) return false;
        value = value * 16 + static_cast<unsigned>(d);
        if (value > 0xFF) return false;
        inItem = true;
    }
    return true;
}

bool expectsReply(const char* text) {
    std::vector<uint8_t> a;
    return parseAddressString(text, &a) && a.size() == 1 && a[0] != 0;
}

std::string clearMemoryCommand() {
    return withChecksum("^ACCM^D", true);
}

bool safeSequence(std::string_view sequence) {
    for (unsigned char c : sequence)
        if (c < 0x20 || c == '^' || c == 0x7F) return false;
    return true;
}

std::string runSequenceCommand(std::string_view sequence) {
    std::string c = "^ACSR";
    c += sequence;
    c += "^D";
    return withChecksum(c, true);
}

std::string dateTimeCommands(int year, int month, int day, int weekday, int hour, int minute,
                             int second) {
    char date[64], time[64];
    std::snprintf(date, sizeof date, "^ACSD%02d%02d%04d%d^D", month, day, year, weekday);
    std::snprintf(time, sizeof time, "^ACST%02d%02d%02d^D", hour, minute, second);
    return withChecksum(date, false) + withChecksum(time, false);
}

std::string changeAddressCommand(uint8_t newAddress) {
    char c[32];
    std::snprintf(c, sizeof c, "^ACSA%02X^D", newAddress);
    return withChecksum(c, true);
}

std::string powerCommand(bool on) {
    return withChecksum(on ? "^ACPO^D" : "^ACPF^D", true);
}

std::string allocTextCommand(std::string_view name, size_t bodyLength) {
    char len[16];
    std::snprintf(len, sizeof len, "%08X", static_cast<unsigned>(bodyLength));
    std::string c = "^ACSM$";
    c += name;
    c += "$T";
    c += len;
    c += "^D";
    return withChecksum(c, false);
}

std::string allocDiskCommand(std::string_view name, size_t bodyLength) {
    char len[16];
    std::snprintf(len, sizeof len, "%08X", static_cast<unsigned>(bodyLength));
    std::string c = "^ACFM";
    c += lowerCase(name);
    c += "=";
    c += len;
    c += "^D";
    return withChecksum(c, false);
}

std::string textDataCommand(std::string_view body) {
    std::string c;
    c.reserve(body.size() + 10);
    c = "^AA";
    c += body;
    c += "^D";
    return withChecksum(c, false);
}

std::string diskDataCommand(std::string_view body) {
    std::string c;
    c.reserve(body.size() + 12);
    c = "^ACFW";
    c += body;
    c += "^D";
    return withChecksum(c, false);
}

std::string openConversation(std::string_view addresses) {
    std::string s = "^B";
    s += addresses;
    return s;
}

const std::vector<ReplyWord>& replyWords() {
    static const std::vector<ReplyWord> words = {
        {"ok", "Communication is good and all commands are handled successfully."},
        {"unknown command code",
         "An unknown command code is found. Maybe you should upgrade the software on the sign."},
        {"bad checksum",
         "A checksum is provided but the checksum is not equal to the calculated value."},
        {"invalid file label", "The file label includes invalid characters."},
        {"invalid file size",
         "You should provide a 1-8 hex digits file size when you allocate memory for a file."},
        {"not enough memory",
         "There is not enough memory and the memory size allocated for this file does not "
         "change."},
        {"file does not exist", "You are trying to write to a file which has no memory allocated."},
        {"file out of allocated size",
         "More file data than the allocated memory size are received. The file data is "
         "truncated."},
        {"invalid hexadecimal number",
         "A valid hex number should make up of hex digits '0' to '9', 'A' to 'F' or 'a' to 'f'."},
        {"invalid decimal number", "A valid dec number should make up of dec digits '0' to '9'."},
        {"invalid time format",
         "A good time format is HHMMSS where HH is hour '00' to '23', and MM is minute '00' to "
         "'59', and SS is second '00' to '59'."},
        {"invalid date format",
         "A good date format is MMDDYYYYX where MM is month '01' to '12', and DD is day '01' to "
         "'31', and YYYY is year '2000' to '2099', and X is day of the week '0' to '6'."},
        {"unknown beep method",
         "The beep method is not currently supported. Maybe you should upgrade the software on "
         "the sign."},
        {"invalid address", "A valid address should be hex digits '01' to 'FF'."},
        {"unknown error",
         "An error occurred but the reason is unknown. The software on the sign needs to modify "
         "to avoid this information."},
    };
    return words;
}

Judgement judgeReply(std::string_view reply) {
    Judgement j;
    if (reply.find("\r\n") == std::string_view::npos) return j;
    std::string lower = lowerCase(reply);
    const auto& words = replyWords();
    for (size_t i = 0; i < words.size(); ++i) {
        if (lower.find(words[i].word) == std::string::npos) continue;
        j.verdict = i == 0 ? Verdict::Success : Verdict::Failure;
        j.text = std::string("The sign say : ") + words[i].text;
        return j;
    }
    return j;
}

}  // namespace lumavox::nvs

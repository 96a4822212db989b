// The replies a sign sends to read requests: when a reply is whole, and how it
// is shown.
//
// A reply R is the concatenated data of the accepted reply frames. R[0] is a
// reply code that is not interpreted. Every function here takes R as untrusted
// bytes: missing bytes never read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/Model.h"
#include "session/SignCommands.h"

namespace lumavox {

struct ReplyLength {
    // The whole length of R, once enough of it has arrived to know; 0 before.
    size_t expected = 0;
    // A file reply whose length field is shorter than a file header: the reply
    // ends there, and what came is not taken as a file.
    bool untrusted = false;
};

// The completion rule. Memory and default-file replies are 9 bytes, directories
// 17 n + 2, schedules 22 n + 2, files their length field + 1. The automatic
// on/off settings, the sign information, the serial number and the
// configuration word are whole when their layout is: 7 bytes, the model text
// up to its zero byte plus 9 bytes, the serial number up to its zero byte, and
// 2 bytes; a text without its zero byte ends at its longest (60 or 64
// characters). A file reply that holds only the reply code in its first frame
// is whole at once: the sign has no such file.
ReplyLength replyLength(ReadKind kind, std::span<const uint8_t> r, size_t firstFrameSize);

// The result texts of the reads that show information; "No receive data" when
// R is empty.
std::string memoryInfoText(std::span<const uint8_t> r);
std::string defaultFileText(std::span<const uint8_t> r);
std::string autoOnOffText(std::span<const uint8_t> r);
std::string signInfoText(std::span<const uint8_t> r);
std::string serialNumberText(std::span<const uint8_t> r);
std::string configWordText(std::span<const uint8_t> r);
// The display of a read kind that shows text (memory, default file, automatic
// on/off, sign information, serial number, configuration word); "" for others.
std::string replyDisplay(ReadKind kind, std::span<const uint8_t> r);

struct DirectoryEntry {
    uint8_t kind = 0;  // 0 text, 1 graphic
    std::string name;
    uint16_t size = 0;
    TimeStamp stamp;
};
// The entries of a directory reply; as many whole entries as R holds, at most
// the announced number.
std::vector<DirectoryEntry> parseDirectory(std::span<const uint8_t> r);
// The task records of a schedule reply; as many whole records as R holds, at
// most the announced number.
std::vector<ScheduleTask> parseScheduleReply(std::span<const uint8_t> r);

}  // namespace lumavox

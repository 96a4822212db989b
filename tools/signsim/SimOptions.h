// The command line of the virtual sign.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumavox::sim {

struct SimOptions {
    // Where the sign listens: a TCP port (0 picks a free one) or a new
    // pseudo-terminal.
    std::optional<int> tcpPort;
    bool pty = false;
    std::string bind = "127.0.0.1";
    // The signs on the line, in chain order.
    std::vector<uint8_t> addresses{1};
    std::string storeDir;
    std::string logFile;
    int frameSize = 1000;  // payload bytes per reply frame

    // Fixed answers.
    std::string model = "LUMAVOX VIRTUAL SIGN";
    std::string serial = "VS-000001";
    uint8_t config = 0x07;

    // Fault injection.
    int dropHandshake = 0;  // stay silent to the first N frames addressed to a sign
    bool corruptReply = false;
    bool repeatReply = false;
    int delayMs = 0;
    int stallAfter = 0;  // 0: never
    int closeAfter = 0;  // 0: never

    // A TCP connection silent this long (both ways, nothing pending) is
    // dropped, so that other clients get their turn; 0: never.
    int idleMs = 60000;

    // The control's text command language instead of frames: --nvs. A fixed
    // reply word in place of the real answer, or no answer at all.
    bool nvs = false;
    std::string nvsReply;
    bool nvsSilent = false;

    // What the signs show: an animated GIF per sign address in gifDir after
    // every conversation, `seconds` long, drawn with the font files in fontDir
    // (default: $LUMAVOX_HOME, else the installed data folder
    // ../share/lumavox beside the program, else beside the program). A fixed clock stands
    // still, so that dates and schedules give the same picture every time.
    // --show: a window per sign address plays what the sign shows, in real
    // time, at its size and colour type.
    std::string gifDir;
    bool show = false;
    std::string screenshot;  // --show: a PNG of the windows as they stand at the end
    double seconds = 30;
    int width = 160;
    int height = 16;
    bool singleColour = false;
    int dot = 4;
    std::string fontDir;
    std::string clock;  // "YYYY-MM-DD HH:MM[:SS]"; empty: the PC's time

    // Reply frames: how long to wait for the acknowledgement, how often to send.
    int ackTimeoutMs = 1000;
    int replyAttempts = 3;
};

// Parses argv. On failure returns false with the message in `error`; `help`
// is set for --help.
bool parseOptions(int argc, char** argv, SimOptions& options, bool& help, std::string& error);

// "1,3,10-12": numbers 1 ... 255 and ranges, in order, without repeats.
bool parseAddressList(const std::string& text, std::vector<uint8_t>& out, std::string& error);

const char* usageText();

}  // namespace lumavox::sim

#include "SimOptions.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "SignShow.h"

namespace lumavox::sim {

namespace {

bool parseInt(const std::string& text, long min, long max, long& out) {
    if (text.empty()) return false;
    int base = 10;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        first += 2;
    }
    long v = 0;
    auto [p, ec] = std::from_chars(first, last, v, base);
    if (ec != std::errc() || p != last || v < min || v > max) return false;
    out = v;
    return true;
}

}  // namespace

const char* usageText() {
    return "usage: signsim (--tcp PORT | --pty) [options]\n"
           "  --tcp PORT           listen for one connection at a time (0: a free port)\n"
           "  --bind ADDR          address to listen on (default 127.0.0.1)\n"
           "  --pty                create a pseudo-terminal and serve its other end\n"
           "  --address LIST       the sign addresses on the line, e.g. 1,3,10-12 (default 1)\n"
           "  --store DIR          keep what the signs receive in DIR (survives restarts)\n"
           "  --frame N            payload bytes per reply frame, 1-1000 (default 1000)\n"
           "  --model TEXT         sign model in the BIOS information (at most 60 characters)\n"
           "  --serial TEXT        product serial number (at most 64 characters)\n"
           "  --config N           configuration word, 0-255 (decimal or 0x..)\n"
           "  --log FILE           one JSON line per frame, handshake and acknowledgement\n"
           "  --idle-ms N          drop a TCP connection on which nothing crossed for N ms\n"
           "                       (default 60000, 0: never), so others get their turn\n"
           "  --nvs                speak the control's text command language instead of frames\n"
           "  --show               a window per sign address that plays what the sign shows\n"
           "  --screenshot PNG     (--show) on the way out, keep a picture of the windows\n"
           "  --gif-dir DIR        after every conversation write DIR/sign-<address>.gif with\n"
           "                       what the sign now plays\n"
           "  --seconds S          length of those GIFs, 1-600 (default 30)\n"
           "  --size WxH           sign size in dots (default 160x16)\n"
           "  --single-colour      a single-colour sign (default tri-colour)\n"
           "  --dot N              GIF pixels a dot, 1-64 (default 4)\n"
           "  --fonts DIR          folder of the font files (default $LUMAVOX_HOME, else\n"
           "                       ../share/lumavox beside the program, else beside it)\n"
           "  --clock TIME         the sign's clock stands at \"YYYY-MM-DD HH:MM[:SS]\"\n"
           "                       (Adjust Time moves it); default: it runs from the PC's time\n"
           "fault injection:\n"
           "  --drop-handshake N   stay silent to the first N frames addressed to a sign\n"
           "  --corrupt-reply      send the first reply frame with a wrong check word\n"
           "  --repeat-reply       send every reply frame but the last twice\n"
           "  --delay-ms N         answer N ms late\n"
           "  --stall-after N      stop answering once N frames have crossed the line\n"
           "                       (frames received plus reply frames sent)\n"
           "  --close-after N      close the TCP connection when frame N arrives\n"
           "  --nvs-reply WORD     (--nvs) answer WORD, e.g. \"bad checksum\", instead of the "
           "reply\n"
           "  --nvs-silent         (--nvs) never answer\n"
           "  --ack-timeout-ms N   wait for a reply frame's acknowledgement (default 1000)\n"
           "  --reply-attempts N   sends of an unacknowledged reply frame (default 3)\n"
           "The first line on standard output is \"LISTEN tcp ADDR:PORT\" or\n"
           "\"LISTEN pty PATH\".\n";
}

bool parseAddressList(const std::string& text, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    size_t pos = 0;
    if (text.empty()) {
        error = "--address: empty list";
        return false;
    }
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        std::string item =
            text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        long a = 0, b = 0;
        size_t dash = item.find('-');
        bool ok = dash == std::string::npos ? parseInt(item, 1, 255, a) && (b = a, true)
                                            : parseInt(item.substr(0, dash), 1, 255, a) &&
                                                  parseInt(item.substr(dash + 1), 1, 255, b);
        if (!ok) {
            error = "--address: '" + item + "' is not an address 1-255 or a range of them";
            return false;
        }
        for (long v = std::min(a, b); v <= std::max(a, b); ++v)
            if (std::find(out.begin(), out.end(), v) == out.end())
                out.push_back(static_cast<uint8_t>(v));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return true;
}

bool parseOptions(int argc, char** argv, SimOptions& o, bool& help, std::string& error) {
    help = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + ": missing value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto number = [&](long min, long max, long& out) {
            std::string v;
            if (!value(v)) return false;
            if (!parseInt(v, min, max, out)) {
                error = arg + ": '" + v + "' is not a number from " + std::to_string(min) + " to " +
                        std::to_string(max);
                return false;
            }
            return true;
        };
        long n = 0;
        std::string s;
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        } else if (arg == "--tcp") {
            if (!number(0, 65535, n)) return false;
            o.tcpPort = static_cast<int>(n);
        } else if (arg == "--pty") {
            o.pty = true;
        } else if (arg == "--bind") {
            if (!value(o.bind)) return false;
        } else if (arg == "--address") {
            if (!value(s) || !parseAddressList(s, o.addresses, error)) return false;
        } else if (arg == "--store") {
            if (!value(o.storeDir)) return false;
        } else if (arg == "--log") {
            if (!value(o.logFile)) return false;
        } else if (arg == "--idle-ms") {
            if (!number(0, 86400000, n)) return false;
            o.idleMs = static_cast<int>(n);
        } else if (arg == "--frame") {
            if (!number(1, 1000, n)) return false;
            o.frameSize = static_cast<int>(n);
        } else if (arg == "--model") {
            if (!value(o.model)) return false;
            if (o.model.size() > 60 || o.model.find('\0') != std::string::npos) {
                error = "--model: at most 60 characters";
                return false;
            }
        } else if (arg == "--serial") {
            if (!value(o.serial)) return false;
            if (o.serial.size() > 64) {
                error = "--serial: at most 64 characters";
                return false;
            }
        } else if (arg == "--config") {
            if (!number(0, 255, n)) return false;
            o.config = static_cast<uint8_t>(n);
        } else if (arg == "--drop-handshake") {
            if (!number(0, 1000000, n)) return false;
            o.dropHandshake = static_cast<int>(n);
        } else if (arg == "--corrupt-reply") {
            o.corruptReply = true;
        } else if (arg == "--repeat-reply") {
            o.repeatReply = true;
        } else if (arg == "--delay-ms") {
            if (!number(0, 600000, n)) return false;
            o.delayMs = static_cast<int>(n);
        } else if (arg == "--stall-after") {
            if (!number(1, 100000000, n)) return false;
            o.stallAfter = static_cast<int>(n);
        } else if (arg == "--close-after") {
            if (!number(1, 100000000, n)) return false;
            o.closeAfter = static_cast<int>(n);
        } else if (arg == "--show") {
            o.show = true;
        } else if (arg == "--screenshot") {
            if (!value(o.screenshot)) return false;
        } else if (arg == "--gif-dir") {
            if (!value(o.gifDir)) return false;
        } else if (arg == "--seconds") {
            if (!number(1, 600, n)) return false;
            o.seconds = static_cast<double>(n);
        } else if (arg == "--size") {
            if (!value(s)) return false;
            size_t x = s.find_first_of("xX");
            long w = 0, h = 0;
            if (x == std::string::npos || !parseInt(s.substr(0, x), 1, 4096, w) ||
                !parseInt(s.substr(x + 1), 1, 4096, h) || w * h > (1L << 22)) {
                error = "--size: '" + s + "' is not WIDTHxHEIGHT in dots";
                return false;
            }
            o.width = static_cast<int>(w);
            o.height = static_cast<int>(h);
        } else if (arg == "--single-colour" || arg == "--single-color") {
            o.singleColour = true;
        } else if (arg == "--dot") {
            if (!number(1, 64, n)) return false;
            o.dot = static_cast<int>(n);
        } else if (arg == "--fonts") {
            if (!value(o.fontDir)) return false;
        } else if (arg == "--clock") {
            if (!value(o.clock)) return false;
            CalendarTime t;
            if (!parseCalendarTime(o.clock, t)) {
                error = "--clock: '" + o.clock + "' is not a time YYYY-MM-DD HH:MM[:SS]";
                return false;
            }
        } else if (arg == "--nvs") {
            o.nvs = true;
        } else if (arg == "--nvs-reply") {
            if (!value(o.nvsReply)) return false;
            if (o.nvsReply.size() > 200 || o.nvsReply.find_first_of("\r\n") != std::string::npos) {
                error = "--nvs-reply: one line of at most 200 characters";
                return false;
            }
        } else if (arg == "--nvs-silent") {
            o.nvsSilent = true;
        } else if (arg == "--ack-timeout-ms") {
            if (!number(1, 600000, n)) return false;
            o.ackTimeoutMs = static_cast<int>(n);
        } else if (arg == "--reply-attempts") {
            if (!number(1, 100, n)) return false;
            o.replyAttempts = static_cast<int>(n);
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (o.pty == o.tcpPort.has_value()) {
        error = "give exactly one of --tcp PORT and --pty";
        return false;
    }
    if (!o.screenshot.empty() && !o.show) {
        error = "--screenshot applies to the windows of --show";
        return false;
    }
    if (o.pty && o.closeAfter > 0) {
        error = "--close-after applies to TCP connections only";
        return false;
    }
    return true;
}

}  // namespace lumavox::sim

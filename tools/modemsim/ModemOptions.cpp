#include "ModemOptions.h"

#include <cstdlib>
#include <cstring>

namespace lumavox::modemsim {

namespace {

bool number(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

const char* usageText() {
    return "usage: modemsim --pty [--sign tcp:HOST:PORT] [faults] [--verbose]\n"
           "A Hayes/GSM modem on a new pseudo-terminal. The first line on standard\n"
           "output is \"LISTEN pty PATH\". After CONNECT the line is bridged to the sign.\n"
           "  --connect-ms N    time from ATD to the answer (default 1000)\n"
           "  --guard-ms N      guard time of the \"+++\" escape (default 1000)\n"
           "faults:\n"
           "  --busy | --no-carrier | --no-dialtone | --no-answer   how a dial ends\n"
           "  --dead            answer nothing\n"
           "  --garbage         answer every command with noise instead of a result\n"
           "  --endless         after the first command answer nothing, and talk without\n"
           "                    ever ending a line\n"
           "  --pin CODE        the SIM wants this PIN (AT+CPIN? answers SIM PIN)\n"
           "  --creg N          registration status for AT+CREG? (default 1)\n"
           "  --csq N,M         signal figures for AT+CSQ (default 20,0)\n";
}

bool parseOptions(int argc, char** argv, ModemOptions& o, bool& help, std::string& error) {
    help = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char*& v) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            v = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--pty") {
            o.pty = true;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--busy") {
            o.dialFault = DialFault::Busy;
        } else if (a == "--no-carrier") {
            o.dialFault = DialFault::NoCarrier;
        } else if (a == "--no-dialtone") {
            o.dialFault = DialFault::NoDialtone;
        } else if (a == "--no-answer") {
            o.dialFault = DialFault::NoAnswer;
        } else if (a == "--dead") {
            o.dead = true;
        } else if (a == "--garbage") {
            o.garbage = true;
        } else if (a == "--endless") {
            o.endless = true;
        } else if (a == "--pin") {
            if (!value(v)) return false;
            o.pin = v;
            if (o.pin.empty()) {
                error = "--pin needs a code";
                return false;
            }
        } else if (a == "--creg") {
            if (!value(v)) return false;
            if (!number(v, 0, 9, o.creg)) {
                error = "--creg takes 0 ... 9";
                return false;
            }
        } else if (a == "--csq") {
            if (!value(v)) return false;
            std::string s = v;
            size_t comma = s.find(',');
            if (comma == std::string::npos || !number(s.substr(0, comma).c_str(), 0, 99, o.csq) ||
                !number(s.substr(comma + 1).c_str(), 0, 99, o.ber)) {
                error = "--csq takes N,M (0 ... 99 each)";
                return false;
            }
        } else if (a == "--connect-ms") {
            if (!value(v)) return false;
            if (!number(v, 0, 600000, o.connectMs)) {
                error = "--connect-ms takes 0 ... 600000";
                return false;
            }
        } else if (a == "--guard-ms") {
            if (!value(v)) return false;
            if (!number(v, 1, 60000, o.guardMs)) {
                error = "--guard-ms takes 1 ... 60000";
                return false;
            }
        } else if (a == "--sign") {
            if (!value(v)) return false;
            std::string s = v;
            size_t colon = s.rfind(':');
            if (s.rfind("tcp:", 0) != 0 || colon <= 4 ||
                !number(s.substr(colon + 1).c_str(), 1, 65535, o.signPort)) {
                error = "--sign takes tcp:HOST:PORT";
                return false;
            }
            o.signHost = s.substr(4, colon - 4);
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (!help && !o.pty) {
        error = "--pty is needed (the modem lives on a pseudo-terminal)";
        return false;
    }
    return true;
}

}  // namespace lumavox::modemsim

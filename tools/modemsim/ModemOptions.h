// The command line of the virtual modem.
#pragma once

#include <optional>
#include <string>

namespace lumavox::modemsim {

enum class DialFault { None, Busy, NoCarrier, NoDialtone, NoAnswer };

struct ModemOptions {
    bool pty = false;
    // Where a call is bridged to: a sign listening on TCP. Empty: the data
    // phase takes the bytes and answers nothing.
    std::string signHost;
    int signPort = 0;

    DialFault dialFault = DialFault::None;
    bool dead = false;     // answers nothing at all
    bool garbage = false;  // answers every command line with noise, no result word
    bool endless = false;  // after the first command, only talks, never ending a line
    std::string pin;       // the SIM asks for this PIN first; empty: READY
    int creg = 1;          // registration status answered to AT+CREG?
    int csq = 20;          // signal figures answered to AT+CSQ
    int ber = 0;
    int connectMs = 1000;  // from ATD to CONNECT (or BUSY, NO CARRIER)
    int guardMs = 1000;    // the escape sequence's guard time
    bool verbose = false;  // log the dialogue on standard error
};

// Parses argv; false with the reason in `error`. `help` is set for --help.
bool parseOptions(int argc, char** argv, ModemOptions& o, bool& help, std::string& error);
const char* usageText();

}  // namespace lumavox::modemsim

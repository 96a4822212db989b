// A pseudo-terminal in raw mode: the line the simulators offer in place of a
// serial port. The master side is for the simulator; the slave side's path is
// what the program under test opens as its port.
#pragma once

#include <string>

namespace lumavox {

struct RawPseudoTerminal {
    int master = -1;   // close-on-exec
    int slave = -1;    // the other end, raw; held open by the caller when asked
    std::string path;  // the slave side's device path
};

// Opens a pseudo-terminal and makes its line raw (bytes pass unchanged).
// With `holdSlave` the slave side stays open (the line stays up while
// programs open and close it); without, it is closed again, so the master
// sees a hang-up when the last program closes the line. False with the step
// that failed and the system's reason in `error`; nothing is left open then.
bool openRawPseudoTerminal(RawPseudoTerminal& pty, bool holdSlave, std::string& error);

}  // namespace lumavox

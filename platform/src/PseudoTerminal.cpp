#include "platform/PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumavox {

bool openRawPseudoTerminal(RawPseudoTerminal& pty, bool holdSlave, std::string& error) {
    pty = RawPseudoTerminal{};
    auto fail = [&](const std::string& step) {
        error = step + ": " + std::strerror(errno);
        if (pty.master >= 0) ::close(pty.master);
        pty = RawPseudoTerminal{};
        return false;
    };
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master < 0) return fail("posix_openpt");
    if (::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0) return fail("grantpt");
    char path[128];
    if (::ptsname_r(pty.master, path, sizeof path) != 0) return fail("ptsname");
    pty.path = path;
    const int slave = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) return fail("open " + pty.path);
    termios t{};
    if (::tcgetattr(slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
    }
    if (holdSlave)
        pty.slave = slave;
    else
        ::close(slave);
    return true;
}

}  // namespace lumavox

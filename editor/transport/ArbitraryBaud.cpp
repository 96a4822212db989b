// Kept apart from the termios users: the kernel's termios2 definitions clash
// with the C library's <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace lumavox {

bool setArbitraryBaud(int fd, int baud, std::string& error) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) {
        error = std::strerror(errno);
        return false;
    }
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = static_cast<speed_t>(baud);
    t.c_ospeed = static_cast<speed_t>(baud);
    if (::ioctl(fd, TCSETS2, &t) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace lumavox

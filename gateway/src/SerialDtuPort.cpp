#include "SerialDtuPort.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <thread>

#include "platform/ComPorts.h"
#include "platform/Profile.h"

namespace lumavox::gateway {

bool SerialDtuPort::open() {
    if (port_.isOpen()) return true;
    if (comNumber_ < 1 || line_.parity < 0 || line_.parity > 4) return false;
    SerialSettings s;
    s.baud = line_.baud;
    s.dataBits = line_.dataBits;
    s.parity = line_.parity == 1 ? 'O' : line_.parity == 2 ? 'E' : 'N';
    s.stopBits = line_.stopBits == 1 ? 1 : 2;
    std::string error;
    if (!port_.open(comDevicePath(comNumber_, Profile::load(userStorePath())), s, error))
        return false;
    if (!applyLineExtras()) {
        port_.close();
        return false;
    }
    return true;
}

bool SerialDtuPort::applyLineExtras() {
    const int fd = port_.fd();
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    if (line_.parity == 3 || line_.parity == 4) {
        // Mark and space parity: a fixed parity bit, one or zero.
        t.c_cflag |= PARENB | CMSPAR;
        if (line_.parity == 3)
            t.c_cflag |= PARODD;
        else
            t.c_cflag &= ~static_cast<tcflag_t>(PARODD);
    }
    if (line_.parity != 0) t.c_iflag |= INPCK;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;
    // DTR and RTS on; lines without modem control (pseudo-terminals) ignore it.
    int bits = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIS, &bits);
    return true;
}

long SerialDtuPort::write(const uint8_t* data, size_t n) {
    if (!port_.isOpen()) return 0;
    std::string error;
    return port_.write(data, n, kWriteTimeoutMs, error) ? static_cast<long>(n) : -1;
}

size_t SerialDtuPort::available() {
    long n = port_.bytesWaiting();
    return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t SerialDtuPort::read(uint8_t* buffer, size_t capacity) {
    if (!port_.isOpen() || capacity == 0) return 0;
    std::string error;
    long n = port_.read(buffer, capacity, 0, error);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

void SerialDtuPort::waitReadable(int ms) {
    if (port_.isOpen())
        port_.waitReadable(static_cast<unsigned>(ms));
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace lumavox::gateway

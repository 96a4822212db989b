#include "platform/SerialPort.h"

#include <fcntl.h>
#include <grp.h>
#include <libserialport.h>
#include <poll.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace lumavox {

namespace {

speed_t speedFor(int baud) {
    switch (baud) {
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 921600:
            return B921600;
        default:
            return 0;
    }
}

}  // namespace

SerialPort::~SerialPort() {
    close();
}

SerialPort::SerialPort(SerialPort&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

SerialPort& SerialPort::operator=(SerialPort&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool SerialPort::fail(const char* step, std::string& error) {
    error = std::string(step) + ": " + std::strerror(errno);
    return false;
}

std::string serialPermissionHint(const std::string& path) {
    // Serial devices belong to a group (dialout on Debian and Ubuntu) whose
    // members may open them; a new member must log in again to be one.
    std::string groupName = "dialout";
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        if (const struct group* g = ::getgrgid(st.st_gid); g && g->gr_name && *g->gr_name != '\0')
            groupName = g->gr_name;
    std::string user = "$USER";
    if (const passwd* p = ::getpwuid(::geteuid()); p && p->pw_name) user = p->pw_name;
    return "add " + user + " to the group " + groupName + " (sudo adduser " + user + " " +
           groupName + ") and log in again";
}

bool SerialPort::open(const std::string& path, const SerialSettings& settings, std::string& error) {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const bool denied = errno == EACCES || errno == EPERM;
        fail("open port", error);
        if (denied) error += "; " + serialPermissionHint(path);
        return false;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        error = "open port: " + path + " is not a serial device";
        return false;
    }
    // Another program of ours holding the port keeps it: first come, first served.
    if (::ioctl(fd, TIOCEXCL) != 0) {
        fail("lock port", error);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    if (!setSettings(settings, error)) {
        close();
        return false;
    }
    return true;
}

void SerialPort::close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

bool SerialPort::setSettings(const SerialSettings& s, std::string& error) {
    if (fd_ < 0) {
        error = "port is not open";
        return false;
    }
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return fail("read line settings", error);
    ::cfmakeraw(&t);
    speed_t speed = speedFor(s.baud);
    if (speed == 0) {
        error = "set baud rate: " + std::to_string(s.baud) + " is not supported";
        return false;
    }
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
        return fail("set baud rate", error);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    switch (s.dataBits) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        case 8:
            t.c_cflag |= CS8;
            break;
        default:
            error = "set data bits: " + std::to_string(s.dataBits) + " is not supported";
            return false;
    }
    if (s.parity == 'E') t.c_cflag |= PARENB;
    if (s.parity == 'O') t.c_cflag |= PARENB | PARODD;
    if (s.stopBits == 2) t.c_cflag |= CSTOPB;
    t.c_cflag |= CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return fail("apply line settings", error);
    return true;
}

bool SerialPort::write(const uint8_t* data, size_t size, unsigned timeoutMs, std::string& error) {
    if (fd_ < 0) {
        error = "port is not open";
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (size > 0) {
        ssize_t w = ::write(fd_, data, size);
        if (w > 0) {
            data += w;
            size -= static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) return fail("write", error);
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd p{fd_, POLLOUT, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            error = "write: timed out";
            return false;
        }
    }
    return true;
}

long SerialPort::read(uint8_t* buffer, size_t capacity, unsigned timeoutMs, std::string& error) {
    if (fd_ < 0) {
        error = "port is not open";
        return -1;
    }
    if (timeoutMs > 0 && !waitReadable(timeoutMs)) return 0;
    ssize_t r = ::read(fd_, buffer, capacity);
    if (r < 0) {
        if (errno == EAGAIN || errno == EINTR) return 0;
        fail("read", error);
        return -1;
    }
    return r;
}

bool SerialPort::waitReadable(unsigned timeoutMs) {
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(timeoutMs)) > 0 &&
           (p.revents & (POLLIN | POLLHUP | POLLERR));
}

long SerialPort::bytesWaiting() {
    int n = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
}

void SerialPort::purge() {
    if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
}

std::vector<std::string> SerialPort::listPorts() {
    std::vector<std::string> names;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK) return names;
    for (int i = 0; ports[i]; ++i)
        names.push_back(sp_get_port_name(ports[i]));
    sp_free_port_list(ports);
    return names;
}

}  // namespace lumavox

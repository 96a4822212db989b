#include "GatewayTestSupport.h"

#include "../support/TiedChild.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <thread>

namespace lumavox::gwtest {

using Steady = std::chrono::steady_clock;

namespace {

int msLeft(Steady::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

}  // namespace

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

int freeTcpPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool waitFor(const std::function<bool()>& pred, int timeoutMs) {
    auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        if (pred()) return true;
        if (Steady::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

Bytes makeRecord(std::string_view type, std::string_view name, std::string_view phone,
                 std::string_view password, std::string_view id, bool framed) {
    Bytes r(52, 0);
    auto put = [&](size_t offset, size_t width, std::string_view s) {
        std::memcpy(r.data() + offset, s.data(), std::min(width, s.size()));
    };
    put(0, 10, type);
    put(11, 8, name);
    put(20, 11, phone);
    put(32, 8, password);
    put(41, 10, id);
    r[51] = framed ? 0x01 : 0x00;
    return r;
}

Bytes makeFrame(uint8_t code, const Bytes& payload) {
    Bytes f = {0xAA,
               0x55,
               code,
               static_cast<uint8_t>(~code),
               static_cast<uint8_t>(payload.size() >> 8),
               static_cast<uint8_t>(payload.size())};
    unsigned sum = 0;
    for (uint8_t b : payload) {
        f.push_back(b);
        sum += b;
    }
    f.push_back(static_cast<uint8_t>(sum >> 8));
    f.push_back(static_cast<uint8_t>(sum));
    f.push_back(0xFF);
    return f;
}

// ---- RawDtu ---------------------------------------------------------------

RawDtu::RawDtu(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(port);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        throw std::runtime_error(std::string("connect: ") + std::strerror(errno));
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

RawDtu::~RawDtu() {
    close();
}

void RawDtu::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void RawDtu::send(const Bytes& b) {
    if (!writeAll(fd_, b)) throw std::runtime_error("send failed");
}

Bytes RawDtu::recvExactly(size_t n, int timeoutMs) {
    return readExactly(fd_, n, timeoutMs);
}

Bytes RawDtu::recvFor(int ms) {
    Bytes out;
    auto deadline = Steady::now() + std::chrono::milliseconds(ms);
    uint8_t buf[4096];
    while (true) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) break;
        ssize_t r = ::recv(fd_, buf, sizeof buf, 0);
        if (r <= 0) break;
        out.insert(out.end(), buf, buf + r);
    }
    return out;
}

bool RawDtu::waitClosed(int timeoutMs) {
    return peerClosed(fd_, timeoutMs);
}

// ---- plain descriptors ---------------------------------------------------

Bytes readExactly(int fd, size_t n, int timeoutMs) {
    Bytes out;
    auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t buf[4096];
    while (out.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) break;
        ssize_t r = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
        if (r <= 0) break;
        out.insert(out.end(), buf, buf + r);
    }
    return out;
}

bool writeAll(int fd, const Bytes& b) {
    size_t done = 0;
    while (done < b.size()) {
        ssize_t w = ::send(fd, b.data() + done, b.size() - done, MSG_NOSIGNAL);
        if (w < 0 && errno == ENOTSOCK) w = ::write(fd, b.data() + done, b.size() - done);
        if (w <= 0) return false;
        done += static_cast<size_t>(w);
    }
    return true;
}

bool peerClosed(int fd, int timeoutMs) {
    auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t buf[4096];
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) return false;
        ssize_t r = ::recv(fd, buf, sizeof buf, 0);
        if (r == 0 || (r < 0 && errno == ECONNRESET)) return true;
        if (r < 0) return false;
    }
}

// ---- Listener --------------------------------------------------------------

Listener::Listener(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = loopback(port);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 16) != 0)
        throw std::runtime_error(std::string("listen: ") + std::strerror(errno));
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
}

Listener::~Listener() {
    if (fd_ >= 0) ::close(fd_);
}

int Listener::accept(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return -1;
    return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

// ---- Child -------------------------------------------------------------------

std::string dtusimPath() {
    return DTUSIM_PATH;
}

Child::Child(const std::vector<std::string>& args) {
    int pipeFd[2];
    if (::pipe2(pipeFd, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        test::tieToStartingProcess(parent);
        ::dup2(pipeFd[1], STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFd[1]);
    out_ = pipeFd[0];
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        bool ended = waitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 3000);
        if (!ended) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    if (out_ >= 0) ::close(out_);
}

std::optional<std::string> Child::readLine(int timeoutMs) {
    auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        size_t nl = buffered_.find('\n');
        if (nl != std::string::npos) {
            std::string line = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return line;
        }
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) return std::nullopt;
        char buf[512];
        ssize_t r = ::read(out_, buf, sizeof buf);
        if (r <= 0) return std::nullopt;
        buffered_.append(buf, static_cast<size_t>(r));
    }
}

// ---- folders, COM ports, pseudo-terminals ------------------------------------

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "gwtest-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

Pty::Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("posix_openpt");
    char name[128];
    ::ptsname_r(master_, name, sizeof name);
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
}

Pty::~Pty() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

}  // namespace lumavox::gwtest

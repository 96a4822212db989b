#include "transport/TcpChannel.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "strings/StringTable.h"
#include "transport/SystemText.h"

namespace lumavox {

namespace {

bool setBlocking(int fd, bool blocking) {
    int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return ::fcntl(fd, F_SETFL, flags) == 0;
}

}  // namespace

TcpChannel::~TcpChannel() {
    close();
}

void TcpChannel::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TcpChannel::fail(std::string& error, std::string text) {
    close();
    error = std::move(text);
    return false;
}

bool TcpChannel::resolve(const std::string& host, int port, sockaddr_storage& addr,
                         socklen_t& length, std::string& reason) {
    std::memset(&addr, 0, sizeof addr);
    if (port < 0 || port > 65535) {
        reason = systemMessage(EINVAL);
        return false;
    }
    if (!host.empty() && std::isalpha(static_cast<unsigned char>(host[0]))) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &list);
        if (rc == 0 && list && list->ai_addrlen <= sizeof addr) {
            std::memcpy(&addr, list->ai_addr, list->ai_addrlen);
            length = list->ai_addrlen;
            ::freeaddrinfo(list);
            if (addr.ss_family == AF_INET6)
                reinterpret_cast<sockaddr_in6&>(addr).sin6_port =
                    htons(static_cast<uint16_t>(port));
            else
                reinterpret_cast<sockaddr_in&>(addr).sin_port = htons(static_cast<uint16_t>(port));
            return true;
        }
        if (list) ::freeaddrinfo(list);
        reason = rc != 0 ? ::gai_strerror(rc) : systemMessage(EINVAL);
    }
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &in.sin_addr) != 1) {
        if (reason.empty()) reason = systemMessage(EINVAL);
        return false;
    }
    std::memcpy(&addr, &in, sizeof in);
    length = sizeof in;
    return true;
}

bool TcpChannel::connect(const std::string& host, int port, const Hooks& hooks, const Clock& clock,
                         std::string& error) {
    close();
    closedByPeer_ = false;
    if (host.empty()) return fail(error, text(msg::kIpAddressEmpty));
    sockaddr_storage addr{};
    socklen_t length = 0;
    std::string reason;
    if (!resolve(host, port, addr, length, reason))
        return fail(error, withSystemTextColon(msg::kConnectError, reason));

    fd_ = ::socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return fail(error, withSystemTextColon(msg::kConnectError, systemMessage(errno)));
    int size = kSocketBuffer;
    (void)::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    (void)::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    if (!setBlocking(fd_, false))
        return fail(error, withSystemTextColon(msg::kConnectTypeSetError, systemMessage(errno)));

    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), length) != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            return fail(error, withSystemTextColon(msg::kConnectError, systemMessage(errno)));
        uint64_t start = clock.tickMs();
        for (;;) {
            pollfd p{fd_, POLLOUT, 0};
            int r = ::poll(&p, 1, static_cast<int>(kWaitSliceMs));
            if (r < 0 && errno != EINTR)
                return fail(error, withSystemTextColon(msg::kConnectError, systemMessage(errno)));
            if (r > 0) {
                // Writable (or failed): the outcome of the connect is in SO_ERROR.
                // A refused connection ends the wait at once.
                int soError = 0;
                socklen_t len = sizeof soError;
                if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
                if (soError != 0)
                    return fail(error,
                                withSystemTextColon(msg::kConnectError, systemMessage(soError)));
                break;
            }
            if (hooks.pump) hooks.pump();
            if (hooks.cancelled && hooks.cancelled())
                return fail(error, text(msg::kCancelledByUser));
            if (clock.tickMs() - start >= kConnectLimitMs)
                return fail(error, text(msg::kConnectTimeout));
        }
    }
    if (!setBlocking(fd_, true))
        return fail(error, withSystemTextColon(msg::kConnectTypeSetError, systemMessage(errno)));
    // A peer that stops reading must not hold the user interface forever.
    timeval tv{5, 0};
    (void)::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    return true;
}

bool TcpChannel::send(std::span<const uint8_t> bytes, std::string& error) {
    if (fd_ < 0) {
        error = withSystemTextDot(msg::kSendFailed, systemMessage(EBADF));
        return false;
    }
    while (!bytes.empty()) {
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = withSystemTextDot(msg::kSendFailed, systemMessage(errno));
            return false;
        }
        if (n == 0) {
            closedByPeer_ = true;
            return fail(error, text(msg::kClientClosed));
        }
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return true;
}

bool TcpChannel::poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) {
    if (fd_ < 0) {
        error = withSystemTextDot(msg::kIoctlSocketError, systemMessage(EBADF));
        return false;
    }
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(waitMs));
    if (r <= 0) return true;  // nothing arrived (or an interrupted wait)
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
        error = withSystemTextDot(msg::kIoctlSocketError, systemMessage(errno));
        return false;
    }
    // Readable with nothing waiting is the peer's end of stream (or an error),
    // which recv() tells apart; ask for at least one byte.
    size_t want = waiting > 0 ? static_cast<size_t>(waiting) : 1;
    size_t old = out.size();
    out.resize(old + want);
    ssize_t n = ::recv(fd_, out.data() + old, want, MSG_DONTWAIT);
    if (n < 0) {
        out.resize(old);
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return true;
        error = withSystemTextDot(msg::kRecvError, systemMessage(errno));
        return false;
    }
    out.resize(old + static_cast<size_t>(n));
    if (n == 0) {
        closedByPeer_ = true;
        return fail(error, text(msg::kClientClosed));
    }
    return true;
}

}  // namespace lumavox

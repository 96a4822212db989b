#include "platform/TcpConnect.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumavox {

namespace {

bool startsWithLetter(const std::string& host) {
    unsigned char c = host.empty() ? 0 : static_cast<unsigned char>(host[0]);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void setPort(sockaddr_storage& addr, int port) {
    uint16_t net = htons(static_cast<uint16_t>(port));
    if (addr.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(addr).sin6_port = net;
    else
        reinterpret_cast<sockaddr_in&>(addr).sin_port = net;
}

}  // namespace

bool resolveTcpAddress(const std::string& host, int port, bool ipv4Only, sockaddr_storage& addr,
                       socklen_t& length, std::string& resolver) {
    std::memset(&addr, 0, sizeof addr);
    resolver.clear();
    if (port < 0 || port > 65535) return false;
    if (startsWithLetter(host)) {
        addrinfo hints{};
        hints.ai_family = ipv4Only ? AF_INET : AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &list);
        if (rc == 0 && list && list->ai_addrlen <= sizeof addr) {
            std::memcpy(&addr, list->ai_addr, list->ai_addrlen);
            length = list->ai_addrlen;
            ::freeaddrinfo(list);
            setPort(addr, port);
            return true;
        }
        if (list) ::freeaddrinfo(list);
        if (rc != 0) resolver = ::gai_strerror(rc);
    }
    // Not a name, or a name nobody knows: perhaps a dotted address.
    sockaddr_in in{};
    in.sin_family = AF_INET;
    if (::inet_pton(AF_INET, host.c_str(), &in.sin_addr) != 1) return false;
    std::memcpy(&addr, &in, sizeof in);
    length = sizeof in;
    setPort(addr, port);
    resolver.clear();
    return true;
}

TcpConnectResult connectTcp(const std::string& host, int port, const TcpConnectOptions& options) {
    TcpConnectResult result;
    int fd = -1;
    auto fail = [&](TcpConnectStep step, int error) {
        if (fd >= 0) ::close(fd);
        result.fd = -1;
        result.failed = step;
        result.error = error;
        return result;
    };
    if (port < 0 || port > 65535) return fail(TcpConnectStep::Port, EINVAL);
    sockaddr_storage addr{};
    socklen_t length = 0;
    if (!resolveTcpAddress(host, port, options.ipv4Only, addr, length, result.resolver))
        return fail(TcpConnectStep::Address, EINVAL);

    fd = ::socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(TcpConnectStep::Socket, errno);
    if (options.bufferBytes > 0) {
        int size = options.bufferBytes;
        (void)::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        (void)::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    }
    if (options.noDelay) {
        int one = 1;
        (void)::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(TcpConnectStep::Mode, errno);

    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0) {
        // An interrupted connect goes on in the background, like one in progress.
        if (errno != EINPROGRESS && errno != EINTR) return fail(TcpConnectStep::Connect, errno);
        const Clock& clock = options.clock ? *options.clock : SystemClock::instance();
        uint64_t start = clock.tickMs();
        for (;;) {
            pollfd p{fd, POLLOUT, 0};
            int r = ::poll(&p, 1, static_cast<int>(options.sliceMs));
            if (r < 0 && errno != EINTR) return fail(TcpConnectStep::Connect, errno);
            if (r > 0) {
                // Writable (or failed): the outcome of the connect is in SO_ERROR,
                // so a refused connection ends the wait at once.
                int soError = 0;
                socklen_t len = sizeof soError;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
                if (soError != 0) return fail(TcpConnectStep::Connect, soError);
                break;
            }
            if (options.pump) options.pump();
            if (options.cancelled && options.cancelled()) return fail(TcpConnectStep::Cancelled, 0);
            if (clock.tickMs() - start >= options.limitMs) return fail(TcpConnectStep::TimedOut, 0);
        }
    }
    if (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return fail(TcpConnectStep::Mode, errno);
    result.fd = fd;
    return result;
}

}  // namespace lumavox

#include "LineServer.h"
#include "platform/PseudoTerminal.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace lumavox::sim {

namespace {

// Set by SIGINT and SIGTERM, or by stopLine from another thread (a lock-free
// atomic is safe in a signal handler).
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onSignal(int) {
    g_stop = true;
}

uint64_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int fail(const std::string& what) {
    std::fprintf(stderr, "signsim: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
}

void setNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
}

// Serves one open descriptor until the peer goes, the engine asks to close, the
// line has been idle for idleMs (0: no limit), or a signal arrives. Returns
// false when the peer is gone or dropped.
bool serve(int fd, bool isSocket, SignProtocol& engine, int idleMs, ConversationLog& log) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> buf(65536);
    uint64_t lastActive = nowMs();
    while (!g_stop) {
        uint64_t now = nowMs();
        // A sign with a reply or an acknowledgement wait pending is not idle.
        if (engine.nextDeadline() || !out.empty()) lastActive = now;
        if (idleMs > 0 && now - lastActive >= static_cast<uint64_t>(idleMs)) {
            const std::string why = "connection idle for " + std::to_string(now - lastActive) +
                                    " ms: dropped (--idle-ms " + std::to_string(idleMs) + ")";
            log.note(now, why);
            std::fprintf(stderr, "signsim: %s\n", why.c_str());
            return false;
        }
        engine.tick(now);
        auto due = engine.takeOutput(now);
        out.insert(out.end(), due.begin(), due.end());
        while (!out.empty()) {
            ssize_t n = isSocket ? ::send(fd, out.data(), out.size(), MSG_NOSIGNAL)
                                 : ::write(fd, out.data(), out.size());
            if (n > 0) {
                out.erase(out.begin(), out.begin() + n);
                lastActive = nowMs();
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
            return false;
        }
        if (engine.wantsClose()) return false;

        int timeout = 200;
        if (auto d = engine.nextDeadline()) {
            uint64_t t = nowMs();
            timeout = *d <= t ? 0 : static_cast<int>(std::min<uint64_t>(*d - t, 200));
        }
        pollfd p{fd, static_cast<short>(POLLIN | (out.empty() ? 0 : POLLOUT)), 0};
        int r = ::poll(&p, 1, timeout);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) continue;
        if (p.revents & POLLIN) {
            ssize_t n = ::read(fd, buf.data(), buf.size());
            if (n > 0) {
                lastActive = nowMs();
                engine.feed(std::span<const uint8_t>(buf.data(), static_cast<size_t>(n)),
                            lastActive);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                return false;
            }
        } else if (p.revents & (POLLHUP | POLLERR)) {
            return false;
        }
    }
    return true;
}

int runTcp(const SimOptions& o, SignProtocol& engine, ConversationLog& log) {
    sockaddr_storage addr{};
    socklen_t length = 0;
    sockaddr_in in4{};
    sockaddr_in6 in6{};
    if (::inet_pton(AF_INET, o.bind.c_str(), &in4.sin_addr) == 1) {
        in4.sin_family = AF_INET;
        in4.sin_port = htons(static_cast<uint16_t>(*o.tcpPort));
        std::memcpy(&addr, &in4, sizeof in4);
        length = sizeof in4;
    } else if (::inet_pton(AF_INET6, o.bind.c_str(), &in6.sin6_addr) == 1) {
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(static_cast<uint16_t>(*o.tcpPort));
        std::memcpy(&addr, &in6, sizeof in6);
        length = sizeof in6;
    } else {
        std::fprintf(stderr, "signsim: --bind: '%s' is not an IP address\n", o.bind.c_str());
        return 1;
    }
    int listener = ::socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) return fail("socket");
    int one = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), length) != 0) {
        int e = errno;
        ::close(listener);
        errno = e;
        return fail("bind " + o.bind + ":" + std::to_string(*o.tcpPort));
    }
    if (::listen(listener, 4) != 0) {
        ::close(listener);
        return fail("listen");
    }
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    int port = addr.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6&>(addr).sin6_port)
                                          : ntohs(reinterpret_cast<sockaddr_in&>(addr).sin_port);
    std::printf("LISTEN tcp %s:%d\n", o.bind.c_str(), port);
    std::fflush(stdout);

    while (!g_stop) {
        pollfd p{listener, POLLIN, 0};
        int r = ::poll(&p, 1, 200);
        if (r <= 0) continue;
        int conn = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (conn < 0) continue;
        ::setsockopt(conn, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        setNonBlocking(conn);
        engine.connected(nowMs());
        serve(conn, true, engine, o.idleMs, log);
        ::close(conn);
    }
    ::close(listener);
    return 0;
}

int runPty(SignProtocol& engine, ConversationLog& log) {
    // Holding the other end open keeps the line up between programs that open
    // and close it.
    RawPseudoTerminal pty;
    std::string error;
    if (!openRawPseudoTerminal(pty, true, error)) {
        std::fprintf(stderr, "signsim: %s\n", error.c_str());
        return 1;
    }
    const int master = pty.master;
    const std::string& path = pty.path;
    setNonBlocking(master);
    std::printf("LISTEN pty %s\n", path.c_str());
    std::fflush(stdout);
    engine.connected(nowMs());
    while (!g_stop) {
        // The one line of a pseudo-terminal keeps nobody waiting: no idle limit.
        if (!serve(master, false, engine, 0, log)) {
            // Should not happen while we hold the other end; do not spin.
            ::poll(nullptr, 0, 50);
        }
    }
    ::close(pty.slave);
    ::close(master);
    return 0;
}

}  // namespace

void stopLine() {
    g_stop = true;
}

int runLine(const SimOptions& options, SignProtocol& engine, ConversationLog& log) {
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return options.pty ? runPty(engine, log) : runTcp(options, engine, log);
}

}  // namespace lumavox::sim

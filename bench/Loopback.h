// Loopback sockets for the benchmarks: a free port, a listener on a free
// port, and a connection with Nagle's delay off.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace lumavox::bench {

// A listening socket on a free loopback port; `port` gets the port.
inline int listenLoopback(int& port, int backlog = 1) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::listen(s, backlog);
    port = ntohs(a.sin_port);
    return s;
}

// A loopback port nobody listens on now: bound, read back, released.
inline int freePort() {
    int port = 0;
    ::close(listenLoopback(port));
    return port;
}

// A connection to `port` on loopback with TCP_NODELAY; -1 when refused.
inline int connectLoopback(int port) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    int one = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return s;
}

}  // namespace lumavox::bench

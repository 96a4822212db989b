#include "platform/TcpConnect.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

using namespace lumavox;

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

// A loopback listener. With a backlog of 0 and its queue filled by connects
// nobody accepts, a further connect stays pending: a connect that neither
// succeeds nor fails until it is given up.
struct Listener {
    int fd = -1;
    int port = 0;
    std::vector<int> fillers;
    explicit Listener(int backlog = 4) {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = loopback(0);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd, backlog);
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    void fillQueue() {
        sockaddr_in a = loopback(port);
        for (int i = 0; i < 4; ++i) {
            int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
            fillers.push_back(c);
        }
    }
    ~Listener() {
        for (int c : fillers)
            ::close(c);
        if (fd >= 0) ::close(fd);
    }
};

int unusedPort() {
    Listener l;
    return l.port;  // closed again when l goes: nobody listens there
}

// Descriptors this process holds, to see that a failed connect leaves none behind.
int openDescriptors() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n;
}

}  // namespace

TEST(TcpConnect, ConnectsAndHandsBackABlockingSocket) {
    Listener l;
    TcpConnectResult r = connectTcp("127.0.0.1", l.port, {});
    ASSERT_TRUE(r.ok()) << static_cast<int>(r.failed) << " " << r.error;
    EXPECT_EQ(r.failed, TcpConnectStep::None);
    EXPECT_EQ(::fcntl(r.fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(r.fd, F_GETFD) & FD_CLOEXEC, 0);
    int peer = ::accept(l.fd, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    ASSERT_EQ(::send(r.fd, "uz", 2, MSG_NOSIGNAL), 2);
    char got[2] = {};
    ASSERT_EQ(::recv(peer, got, 2, MSG_WAITALL), 2);
    EXPECT_EQ(std::string(got, 2), "uz");
    ::close(peer);
    ::close(r.fd);
}

TEST(TcpConnect, ARefusedConnectFailsAtOnceAndLeavesNoSocket) {
    int before = openDescriptors();
    // Seen as the connect's own outcome, not as a wait that runs to its limit.
    TcpConnectResult r = connectTcp("127.0.0.1", unusedPort(), {});
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.fd, -1);
    EXPECT_EQ(r.failed, TcpConnectStep::Connect);
    EXPECT_EQ(r.error, ECONNREFUSED);
    EXPECT_EQ(openDescriptors(), before);
}

TEST(TcpConnect, BadHostsAndPortsFailBeforeAnySocket) {
    int before = openDescriptors();
    TcpConnectResult r = connectTcp("no-such-host.invalid", 80, {});
    EXPECT_EQ(r.failed, TcpConnectStep::Address);
    EXPECT_FALSE(r.resolver.empty());  // the lookup's own reason
    r = connectTcp("1.2.3", 80, {});
    EXPECT_EQ(r.failed, TcpConnectStep::Address);
    EXPECT_TRUE(r.resolver.empty());  // no lookup for a text starting with a digit
    r = connectTcp("", 80, {});
    EXPECT_EQ(r.failed, TcpConnectStep::Address);
    r = connectTcp("127.0.0.1", 65536, {});
    EXPECT_EQ(r.failed, TcpConnectStep::Port);
    r = connectTcp("127.0.0.1", -1, {});
    EXPECT_EQ(r.failed, TcpConnectStep::Port);
    EXPECT_EQ(openDescriptors(), before);
}

TEST(TcpConnect, NamesAreLookedUpAndDottedAddressesParsed) {
    sockaddr_storage addr{};
    socklen_t len = 0;
    std::string resolver;
    ASSERT_TRUE(resolveTcpAddress("localhost", 5005, false, addr, len, resolver)) << resolver;
    EXPECT_TRUE(addr.ss_family == AF_INET || addr.ss_family == AF_INET6);
    ASSERT_TRUE(resolveTcpAddress("localhost", 5005, true, addr, len, resolver)) << resolver;
    ASSERT_EQ(addr.ss_family, AF_INET);
    EXPECT_EQ(len, sizeof(sockaddr_in));
    auto& in = reinterpret_cast<sockaddr_in&>(addr);
    EXPECT_EQ(ntohl(in.sin_addr.s_addr), INADDR_LOOPBACK);
    EXPECT_EQ(ntohs(in.sin_port), 5005);

    ASSERT_TRUE(resolveTcpAddress("10.1.2.3", 80, false, addr, len, resolver));
    EXPECT_EQ(in.sin_family, AF_INET);
    EXPECT_EQ(ntohl(in.sin_addr.s_addr), 0x0A010203u);
    EXPECT_EQ(ntohs(in.sin_port), 80);
    EXPECT_FALSE(resolveTcpAddress("no-such-host.invalid", 80, false, addr, len, resolver));
    EXPECT_FALSE(resolver.empty());
    EXPECT_FALSE(resolveTcpAddress("10.1.2.3.4", 80, false, addr, len, resolver));
    EXPECT_TRUE(resolver.empty());
}

TEST(TcpConnect, TheCancelCallbackEndsAPendingConnect) {
    Listener l(0);
    l.fillQueue();
    int before = openDescriptors();
    int pumps = 0;
    TcpConnectOptions options;
    options.pump = [&] { ++pumps; };
    options.cancelled = [&] { return pumps >= 3; };
    TcpConnectResult r = connectTcp("127.0.0.1", l.port, options);
    EXPECT_EQ(r.failed, TcpConnectStep::Cancelled);
    EXPECT_EQ(r.fd, -1);
    EXPECT_EQ(pumps, 3);  // the pump runs before each cancel check
    EXPECT_EQ(openDescriptors(), before);
}

TEST(TcpConnect, APendingConnectEndsAtTheLimitOnTheGivenClock) {
    Listener l(0);
    l.fillQueue();
    FixedClock clock;
    clock.setTickStep(250);  // every reading of the clock moves it a quarter second on
    int pumps = 0;
    TcpConnectOptions options;
    options.limitMs = 2000;
    options.clock = &clock;
    options.pump = [&] { ++pumps; };
    TcpConnectResult r = connectTcp("127.0.0.1", l.port, options);
    EXPECT_EQ(r.failed, TcpConnectStep::TimedOut);
    EXPECT_EQ(r.fd, -1);
    EXPECT_EQ(pumps, 8);  // 2000 ms in steps of 250
}

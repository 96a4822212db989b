#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "LinkTestSupport.h"
#include "strings/StringTable.h"
#include "transport/SignLink.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

// A loopback listener. With `backlog` 0 and one connection left waiting, further
// connects stay pending: the way to hold a connect open on loopback.
struct Listener {
    int fd = -1;
    int port = 0;
    std::vector<int> fillers;
    explicit Listener(int backlog = 4) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd, backlog);
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    void fillBacklog() {
        int c = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port));
        ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(c);
    }
    int accept() { return ::accept(fd, nullptr, nullptr); }
    ~Listener() {
        for (int c : fillers)
            ::close(c);
        if (fd >= 0) ::close(fd);
    }
};

int freePort() {
    Listener l;
    return l.port;  // closed again when l goes: nobody listens there
}

}  // namespace

TEST(TcpChannel, AnEmptyHostFails) {
    CSignLink link;
    std::string error;
    EXPECT_FALSE(link.connect(nullptr, "", 5005, error));
    EXPECT_EQ(error, "IP address can't be empty.Connect failed!");
}

TEST(TcpChannel, ARefusedConnectFailsAtOnce) {
    CSignLink link;
    std::string error;
    const int port = freePort();
    EXPECT_FALSE(link.connect(nullptr, "127.0.0.1", port, error));
    // The reason, then the address and port that refused.
    EXPECT_EQ(error, "Connect error:(Connection refused). Tried 127.0.0.1, port " +
                         std::to_string(port) + ".");
    EXPECT_FALSE(link.socketOpen());
}

TEST(TcpChannel, HostsThatNameNoAddressFailWithTheReason) {
    CSignLink link;
    std::string error;
    // A name nobody knows: the lookup's own reason.
    EXPECT_FALSE(link.connect(nullptr, "no-such-host.invalid", 80, error));
    EXPECT_EQ(error.rfind("Connect error:(", 0), 0u) << error;
    EXPECT_NE(error.rfind("Connect error:(" + std::string(std::strerror(EINVAL)) + ").", 0), 0u);
    EXPECT_NE(error.find("Tried no-such-host.invalid, port 80."), std::string::npos) << error;
    // Neither a name nor a dotted address, and a port out of range.
    EXPECT_FALSE(link.connect(nullptr, "1.2.3", 80, error));
    EXPECT_EQ(error,
              "Connect error:(" + std::string(std::strerror(EINVAL)) + "). Tried 1.2.3, port 80.");
    EXPECT_FALSE(link.connect(nullptr, "127.0.0.1", 70000, error));
    EXPECT_EQ(error, "Connect error:(" + std::string(std::strerror(EINVAL)) +
                         "). Tried 127.0.0.1, port 70000.");
    EXPECT_FALSE(link.socketOpen());
}

TEST(TcpChannel, ConnectWaitHonoursTheCancelFlag) {
    Listener l(0);
    l.fillBacklog();
    CSignLink link;
    TestReceiver rx(link);
    rx.onPump = [&](int n) { rx.cancel = n >= 3; };
    std::string error;
    EXPECT_FALSE(link.connect(&rx, "127.0.0.1", l.port, error));
    EXPECT_EQ(error, "Cancelled by user");
    EXPECT_EQ(rx.pumps, 3);
    EXPECT_FALSE(link.socketOpen());
}

TEST(TcpChannel, ConnectGivesUpAfterFifteenSeconds) {
    Listener l(0);
    l.fillBacklog();
    FixedClock clock;
    clock.setTickStep(500);  // each wait slice counts as half a second
    CSignLink link({}, clock);
    TestReceiver rx(link);
    std::string error;
    EXPECT_FALSE(link.connect(&rx, "127.0.0.1", l.port, error));
    EXPECT_EQ(error, "Connect time out(Max time is 15 seconds). Connect fialed!");
    EXPECT_EQ(rx.pumps, 30);
}

TEST(TcpChannel, SendAndPollOverLoopback) {
    Listener l;
    CSignLink link;
    TestReceiver rx(link);
    std::string error;
    ASSERT_TRUE(link.connect(&rx, "127.0.0.1", l.port, error)) << error;
    link.setLinkState(LinkState::Tcp);
    EXPECT_EQ(link.peerName(), "127.0.0.1");
    int peer = l.accept();
    ASSERT_GE(peer, 0);

    EXPECT_TRUE(link.poll(error, 0));  // nothing waiting
    EXPECT_TRUE(rx.allBytes.empty());

    auto frame = frameOf(bytesOf("uz"), 1, 0);
    ASSERT_TRUE(link.send(frame, error)) << error;
    std::vector<uint8_t> got(frame.size());
    ASSERT_EQ(::recv(peer, got.data(), got.size(), MSG_WAITALL), static_cast<ssize_t>(got.size()));
    EXPECT_EQ(got, frame);

    // The handshake in two pieces.
    const uint8_t two[] = {0xFA, 0xFA}, one[] = {0xFA};
    ::send(peer, two, 2, 0);
    link.armHandshake();
    for (int i = 0; i < 200 && rx.allBytes.size() < 2; ++i)
        ASSERT_TRUE(link.poll(error, 10));
    EXPECT_FALSE(link.handshakeSeen());
    ::send(peer, one, 1, 0);
    for (int i = 0; i < 200 && !link.handshakeSeen(); ++i)
        ASSERT_TRUE(link.poll(error, 10));
    EXPECT_TRUE(link.handshakeSeen());
    link.disarmHandshake();
    ::close(peer);
    link.closeSocket();
    EXPECT_EQ(link.linkState(), LinkState::None);
}

TEST(TcpChannel, APeerClosingDuringAHandshakeWaitEndsIt) {
    Listener l;
    CSignLink link;
    TestReceiver rx(link);
    std::string error;
    ASSERT_TRUE(link.connect(&rx, "127.0.0.1", l.port, error)) << error;
    link.setLinkState(LinkState::Tcp);
    ::close(l.accept());
    EXPECT_EQ(link.awaitHandshake(13000, error), -1);
    EXPECT_EQ(error, "Client closed connection");
    EXPECT_EQ(link.linkState(), LinkState::None);
    EXPECT_FALSE(link.socketOpen());
}

TEST(TcpChannel, DispatchFollowsTheLinkState) {
    Listener l;
    PtyPair pty;
    CSignLink link(ComPortMap({{1, pty.slave}}));
    std::string error;
    ASSERT_TRUE(link.open(nullptr, 1, 9600));
    ASSERT_TRUE(link.connect(nullptr, "127.0.0.1", l.port, error)) << error;
    int peer = l.accept();
    auto frame = frameOf(bytesOf("tz"), 1, 0);

    link.setLinkState(LinkState::None);  // direct serial
    ASSERT_TRUE(link.send(frame, error));
    EXPECT_EQ(pty.read(frame.size(), 2000), frame);

    link.setLinkState(LinkState::Tcp);
    ASSERT_TRUE(link.send(frame, error));
    std::vector<uint8_t> got(frame.size());
    ASSERT_EQ(::recv(peer, got.data(), got.size(), MSG_WAITALL), static_cast<ssize_t>(got.size()));

    link.setLinkState(LinkState::Gprs);  // no device selected
    EXPECT_FALSE(link.send(frame, error));
    EXPECT_EQ(error, text(msg::kNoGprsDevice));

    // Closing the link closes both channels and forgets the peer.
    link.setLinkState(LinkState::Tcp);
    link.close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.socketOpen());
    EXPECT_EQ(link.linkState(), LinkState::None);
    EXPECT_TRUE(link.peerName().empty());
    ::close(peer);
}

TEST(TcpChannel, ALostConnectionHandsTheLinkBackToTheSerialLine) {
    Listener l;
    PtyPair pty;
    CSignLink link(ComPortMap({{2, pty.slave}}));
    std::string error;
    ASSERT_TRUE(link.open(nullptr, 2, 9600));
    ASSERT_TRUE(link.connect(nullptr, "127.0.0.1", l.port, error)) << error;
    link.setLinkState(LinkState::Tcp);
    ::close(l.accept());
    bool ok = true;
    for (int i = 0; i < 200 && ok; ++i)
        ok = link.poll(error, 10);
    ASSERT_FALSE(ok);
    EXPECT_EQ(error, "Client closed connection");
    EXPECT_EQ(link.linkState(), LinkState::None);
    // The serial line was never part of it: it stays open and carries the next frame.
    EXPECT_TRUE(link.isOpen());
    auto frame = frameOf(bytesOf("tz"), 1, 0);
    ASSERT_TRUE(link.send(frame, error)) << error;
    EXPECT_EQ(pty.read(frame.size(), 2000), frame);
}

// Relaying a DTU's data to transfer destinations.
#include <gtest/gtest.h>

#include <unistd.h>

#include "GatewayTestSupport.h"
#include "Gprslink.h"
#include "TestHooks.h"

using namespace lumavox::gwtest;
namespace hooks = lumavox::gateway::testhooks;

namespace {

struct Relay {
    Server server;
    RawDtu dtu{server.port()};
    HandleGuard client{nullptr};

    Relay() {
        dtu.send(makeRecord("T", "RELAY"));
        client.h = server.waitClient();
    }
    // The DTU sends, the host reads it all (which relays it).
    void pass(std::string_view s) {
        dtu.send(s);
        EXPECT_EQ(text(receiveFromClient(client.h, s.size())), std::string(s));
    }
    int state(int port) { return hooks::destinationState(client.h, "127.0.0.1", port); }
};

struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

TEST(Destinations, ReadDataIsRelayedAndAnswersGoToTheDtu) {
    Relay r;
    ASSERT_NE(r.client.h, nullptr);
    Listener dest;
    EXPECT_EQ(DTU_AddTransferDes(r.client.h, "127.0.0.1", dest.port()), 1);
    Fd conn(dest.accept());
    ASSERT_GE(conn.fd, 0);
    ASSERT_TRUE(waitFor([&] { return r.state(dest.port()) == 1; }));
    r.pass("status?");
    EXPECT_EQ(text(readExactly(conn.fd, 7)), "status?");
    writeAll(conn.fd, bytes("from the centre"));
    EXPECT_EQ(text(r.dtu.recvExactly(15)), "from the centre");
}

TEST(Destinations, SameAddressAndPortIsKeptOnceAnotherPortIsAdded) {
    Relay r;
    ASSERT_NE(r.client.h, nullptr);
    Listener a, b;
    EXPECT_EQ(DTU_AddTransferDes(r.client.h, "127.0.0.1", a.port()), 1);
    EXPECT_EQ(DTU_AddTransferDes(r.client.h, "127.0.0.1", a.port()), 1);
    EXPECT_EQ(hooks::destinationCount(r.client.h), 1u);
    EXPECT_EQ(DTU_AddTransferDes(r.client.h, "127.0.0.1", b.port()), 1);
    EXPECT_EQ(hooks::destinationCount(r.client.h), 2u);
    Fd ca(a.accept()), cb(b.accept());
    ASSERT_GE(ca.fd, 0);
    ASSERT_GE(cb.fd, 0);
    EXPECT_EQ(a.accept(100), -1);  // no second connection to the same destination
    ASSERT_TRUE(waitFor([&] { return r.state(a.port()) == 1 && r.state(b.port()) == 1; }));
    r.pass("both");
    EXPECT_EQ(text(readExactly(ca.fd, 4)), "both");
    EXPECT_EQ(text(readExactly(cb.fd, 4)), "both");

    EXPECT_EQ(DTU_DelTransferDes(r.client.h, "127.0.0.1", a.port()), 1);
    EXPECT_EQ(hooks::destinationCount(r.client.h), 1u);
    EXPECT_TRUE(peerClosed(ca.fd, 5000));
    EXPECT_EQ(DTU_ClearTransferDes(r.client.h), 1);
    EXPECT_EQ(hooks::destinationCount(r.client.h), 0u);
    EXPECT_TRUE(peerClosed(cb.fd, 5000));
}

TEST(Destinations, RefusedDestinationIsRetriedAtTheNextRelayWithoutThoseBytes) {
    Relay r;
    ASSERT_NE(r.client.h, nullptr);
    const int port = freeTcpPort();
    EXPECT_EQ(DTU_AddTransferDes(r.client.h, "127.0.0.1", port), 1);
    ASSERT_TRUE(waitFor([&] { return r.state(port) == 0; }));  // refused

    Listener dest(port);
    EXPECT_EQ(dest.accept(100), -1);  // no retry on its own
    r.pass("lost");                   // this relay reconnects, the bytes are not sent
    Fd conn(dest.accept());
    ASSERT_GE(conn.fd, 0);
    ASSERT_TRUE(waitFor([&] { return r.state(port) == 1; }));
    r.pass("kept");
    EXPECT_EQ(text(readExactly(conn.fd, 4)), "kept");
}

TEST(Destinations, IdleDestinationsAreDisconnectedWhenNothingIsToRead) {
    ClockScope time;
    Relay r;
    ASSERT_NE(r.client.h, nullptr);
    Listener dest;
    DTU_AddTransferDes(r.client.h, "127.0.0.1", dest.port());
    Fd conn(dest.accept());
    ASSERT_GE(conn.fd, 0);
    ASSERT_TRUE(waitFor([&] { return r.state(dest.port()) == 1; }));

    EXPECT_EQ(DTU_TransferDesDisTm(r.client.h, 3000), 1);
    time.clock.advance(2999);
    EXPECT_EQ(DTU_GetReceiveDataCount(r.client.h), 0);
    EXPECT_EQ(r.state(dest.port()), 1);
    time.clock.advance(1);
    EXPECT_EQ(DTU_GetReceiveDataCount(r.client.h), 0);
    EXPECT_EQ(r.state(dest.port()), 0);
    EXPECT_TRUE(peerClosed(conn.fd, 5000));

    r.pass("reconnect");  // the next relay connects again
    Fd again(dest.accept());
    EXPECT_GE(again.fd, 0);
}

TEST(Destinations, ZeroIdleLimitNeverDisconnects) {
    ClockScope time;
    Relay r;
    ASSERT_NE(r.client.h, nullptr);
    Listener dest;
    DTU_AddTransferDes(r.client.h, "127.0.0.1", dest.port());
    Fd conn(dest.accept());
    ASSERT_TRUE(waitFor([&] { return r.state(dest.port()) == 1; }));
    time.clock.advance(10'000'000);
    EXPECT_EQ(DTU_GetReceiveDataCount(r.client.h), 0);
    EXPECT_EQ(r.state(dest.port()), 1);
}

TEST(Destinations, ClosingTheClientClosesItsDestinations) {
    Relay r;
    ASSERT_NE(r.client.h, nullptr);
    Listener dest;
    DTU_AddTransferDes(r.client.h, "127.0.0.1", dest.port());
    Fd conn(dest.accept());
    ASSERT_GE(conn.fd, 0);
    EXPECT_EQ(DTU_Uninit(r.client.h), 1);
    EXPECT_TRUE(peerClosed(conn.fd, 5000));
    EXPECT_TRUE(r.dtu.waitClosed());
    EXPECT_EQ(DTU_Init(r.client.h), 0);  // an accepted connection does not come back
}

// Identification of connecting DTUs, the queue of identified DTUs, client
// information, and the bound on connections waiting for identification.
#include <gtest/gtest.h>

#include "GatewayTestSupport.h"
#include "Gprslink.h"
#include "TestHooks.h"

using namespace lumavox::gwtest;
namespace hooks = lumavox::gateway::testhooks;

TEST(Identification, RecordWithoutServerPasswordIsQueuedWithItsFields) {
    Server server;
    RawDtu dtu(server.port());
    dtu.send(makeRecord("KV-DTU", "SIGN01", "13912345678", "anything", "DEV0000042"));
    HandleGuard client(server.waitClient());
    ASSERT_NE(client.h, nullptr);

    char ip[20], a[20], b[20], c[20], d[20];
    int port = 0;
    ASSERT_EQ(DTU_GetClientInfo(client.h, ip, &port, a, b, c, d), 1);
    EXPECT_STREQ(ip, "127.0.0.1");
    EXPECT_GT(port, 0);
    EXPECT_STREQ(a, "KV-DTU");
    EXPECT_STREQ(b, "SIGN01");
    EXPECT_STREQ(c, "DEV0000042");
    EXPECT_STREQ(d, "13912345678");
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 1);
    EXPECT_EQ(DTU_GetNewConnectedClient(server.handle()), nullptr);
}

TEST(Identification, FullWidthFieldsEndAtTheirSlots) {
    Server server;
    RawDtu dtu(server.port());
    Bytes record = makeRecord("ABCDEFGHIJ", "NAMENAME", "12345678901", "", "0123456789");
    // Separators that are not NUL on the wire are stored as NUL.
    for (size_t sep : {10, 19, 31, 40})
        record[sep] = '|';
    dtu.send(record);
    HandleGuard client(server.waitClient());
    ASSERT_NE(client.h, nullptr);
    char ip[DTU_IP_ADDRESS_SIZE], a[DTU_FIELD_A_SIZE], b[DTU_FIELD_B_SIZE], c[DTU_FIELD_C_SIZE],
        d[DTU_FIELD_D_SIZE];
    int port = 0;
    ASSERT_EQ(DTU_GetClientInfo(client.h, ip, &port, a, b, c, d), 1);
    EXPECT_STREQ(a, "ABCDEFGHIJ");
    EXPECT_STREQ(b, "NAMENAME");
    EXPECT_STREQ(c, "0123456789");
    EXPECT_STREQ(d, "12345678901");
}

TEST(Identification, ServerPasswordAdmitsOnlyTheSamePassword) {
    Server server("s3cret");
    RawDtu good(server.port());
    good.send(makeRecord("T", "GOOD", "1", "s3cret"));
    HandleGuard client(server.waitClient());
    ASSERT_NE(client.h, nullptr);
    char ip[20], a[20], b[20], c[20], d[20];
    int port;
    DTU_GetClientInfo(client.h, ip, &port, a, b, c, d);
    EXPECT_STREQ(b, "GOOD");

    RawDtu bad(server.port());
    bad.send(makeRecord("T", "BAD", "1", "s3cre"));
    EXPECT_TRUE(bad.waitClosed());
    hooks::runIdentificationPass();
    EXPECT_EQ(DTU_GetNewConnectedClient(server.handle()), nullptr);
}

TEST(Identification, FiftyOneBytesAreDroppedWhenTheConnectionIs100SecondsOld) {
    ClockScope time;
    Server server;
    RawDtu dtu(server.port());
    Bytes record = makeRecord("T", "SHORT");
    record.pop_back();
    dtu.send(record);
    ASSERT_TRUE(waitFor([] { return hooks::pendingCount() == 1; }));

    time.clock.advance(99'999);
    hooks::runIdentificationPass();
    EXPECT_EQ(hooks::pendingCount(), 1u);
    EXPECT_FALSE(dtu.waitClosed(50));

    time.clock.advance(1);
    hooks::runIdentificationPass();
    EXPECT_EQ(hooks::pendingCount(), 0u);
    EXPECT_TRUE(dtu.waitClosed());
    EXPECT_EQ(DTU_GetNewConnectedClient(server.handle()), nullptr);
}

TEST(Identification, RecordCompletedLaterIsIdentified) {
    Server server;
    RawDtu dtu(server.port());
    Bytes record = makeRecord("T", "SPLIT");
    dtu.send(Bytes(record.begin(), record.begin() + 30));
    ASSERT_TRUE(waitFor([] { return hooks::pendingCount() == 1; }));
    hooks::runIdentificationPass();
    EXPECT_EQ(DTU_GetNewConnectedClient(server.handle()), nullptr);
    dtu.send(Bytes(record.begin() + 30, record.end()));
    HandleGuard client(server.waitClient());
    EXPECT_NE(client.h, nullptr);
}

TEST(Identification, BytesAfterTheRecordAreTheFirstData) {
    Server server;
    RawDtu dtu(server.port());
    Bytes burst = makeRecord("T", "EAGER");
    for (char ch : std::string("HELLO, SIGN"))
        burst.push_back(static_cast<uint8_t>(ch));
    dtu.send(burst);
    HandleGuard client(server.waitClient());
    ASSERT_NE(client.h, nullptr);
    EXPECT_EQ(text(receiveFromClient(client.h, 11)), "HELLO, SIGN");
}

TEST(Identification, ReconnectUnderTheSameNameGivesANewClient) {
    Server server;
    auto first = std::make_unique<RawDtu>(server.port());
    first->send(makeRecord("T", "SIGN07"));
    HandleGuard old(server.waitClient());
    ASSERT_NE(old.h, nullptr);

    first.reset();  // the DTU drops its GPRS link ...
    RawDtu second(server.port());
    second.send(makeRecord("T", "SIGN07"));  // ... and comes back
    HandleGuard fresh(server.waitClient());
    ASSERT_NE(fresh.h, nullptr);
    EXPECT_NE(fresh.h, old.h);

    char ip[20], a[20], b[20], c[20], d[20];
    int port = 0;
    DTU_GetClientInfo(fresh.h, ip, &port, a, b, c, d);
    EXPECT_STREQ(b, "SIGN07");
    EXPECT_TRUE(waitFor([&] { return DTU_IsClientAvailable(old.h) == 0; }));
    EXPECT_EQ(DTU_IsClientAvailable(fresh.h), 1);
    EXPECT_EQ(DTU_SendData(fresh.h, reinterpret_cast<const unsigned char*>("hi"), 2), 2);
    EXPECT_EQ(text(second.recvExactly(2)), "hi");
}

TEST(Identification, QueueGivesOldestFirst) {
    Server server;
    RawDtu one(server.port());
    one.send(makeRecord("T", "ONE"));
    ASSERT_TRUE(waitFor([&] { return hooks::queuedCount(server.handle()) == 1; }));
    RawDtu two(server.port());
    two.send(makeRecord("T", "TWO"));
    ASSERT_TRUE(waitFor([&] { return hooks::queuedCount(server.handle()) == 2; }));
    char ip[20], a[20], b[20], c[20], d[20];
    int port;
    HandleGuard first(server.waitClient());
    HandleGuard second(server.waitClient());
    ASSERT_NE(second.h, nullptr);
    DTU_GetClientInfo(first.h, ip, &port, a, b, c, d);
    EXPECT_STREQ(b, "ONE");
    DTU_GetClientInfo(second.h, ip, &port, a, b, c, d);
    EXPECT_STREQ(b, "TWO");
}

TEST(Identification, SilentFloodIsBoundedAndARealDtuStillGetsIn) {
    const size_t oldLimit = hooks::pendingLimit();
    hooks::setPendingLimit(4);
    Server server;
    std::vector<std::unique_ptr<RawDtu>> silent;
    for (int i = 0; i < 6; ++i) {
        silent.push_back(std::make_unique<RawDtu>(server.port()));
        // One at a time, so the order of acceptance is known.
        ASSERT_TRUE(waitFor([&] { return hooks::pendingCount() == std::min<size_t>(i + 1, 4); }));
    }
    EXPECT_EQ(hooks::pendingCount(), 4u);
    // The two oldest made room for the newer ones.
    EXPECT_TRUE(silent[0]->waitClosed());
    EXPECT_TRUE(silent[1]->waitClosed());
    EXPECT_FALSE(silent[5]->waitClosed(50));

    RawDtu real(server.port());
    real.send(makeRecord("T", "REAL"));
    HandleGuard client(server.waitClient());
    EXPECT_NE(client.h, nullptr);
    EXPECT_LE(hooks::pendingCount(), 4u);
    hooks::setPendingLimit(oldLimit);
}

TEST(Identification, ClosedServerForgetsWaitingConnectionsAndStopsAccepting) {
    Server server;
    RawDtu waiting(server.port());
    ASSERT_TRUE(waitFor([] { return hooks::pendingCount() == 1; }));
    EXPECT_EQ(DTU_Uninit(server.handle()), 1);
    EXPECT_EQ(hooks::pendingCount(), 0u);
    EXPECT_TRUE(waiting.waitClosed());
    EXPECT_THROW(RawDtu{server.port()}, std::runtime_error);
    // It can listen again.
    EXPECT_EQ(DTU_Init(server.handle()), 1);
    RawDtu again(server.port());
    again.send(makeRecord("T", "AGAIN"));
    HandleGuard client(server.waitClient());
    EXPECT_NE(client.h, nullptr);
}

TEST(Identification, DeletingTheServerDropsUnfetchedButNotFetchedClients) {
    auto server = std::make_unique<Server>();
    RawDtu fetched(server->port());
    fetched.send(makeRecord("T", "FETCHED"));
    HandleGuard client(server->waitClient());
    ASSERT_NE(client.h, nullptr);
    RawDtu queued(server->port());
    queued.send(makeRecord("T", "QUEUED"));
    ASSERT_TRUE(waitFor([&] { return hooks::queuedCount(server->handle()) == 1; }));
    server.reset();
    EXPECT_TRUE(queued.waitClosed());
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 1);
    EXPECT_EQ(DTU_SendData(client.h, reinterpret_cast<const unsigned char*>("x"), 1), 1);
    EXPECT_EQ(text(fetched.recvExactly(1)), "x");
}

TEST(Identification, ServerThatCannotBindReportsFailure) {
    Listener taken;
    DTU_HANDLE h = DTU_AddNetServer("127.0.0.1", taken.port(), nullptr);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DTU_Init(h), 0);
    DTU_HANDLE badAddress = DTU_AddNetServer("not-an-address", freeTcpPort(), nullptr);
    EXPECT_EQ(DTU_Init(badAddress), 0);
    DTU_HANDLE badPort = DTU_AddNetServer(nullptr, 70000, nullptr);
    EXPECT_EQ(DTU_Init(badPort), 0);
    DTU_Delete(h);
    DTU_Delete(badAddress);
    DTU_Delete(badPort);
}

// Data through a transparent DTU connection: escaping for the "MQB-47C" type,
// the leading 0xFE rule, the receive ring's bound, the silence limit, and the
// refusals of operations that do not apply.
#include <gtest/gtest.h>

#include <thread>

#include "GatewayTestSupport.h"
#include "Gprslink.h"

using namespace lumavox::gwtest;

namespace {

DTU_HANDLE connect(Server& server, RawDtu& dtu, std::string_view type = "T") {
    dtu.send(makeRecord(type, "SIGN"));
    return server.waitClient();
}

int send(DTU_HANDLE h, const Bytes& b) {
    return DTU_SendData(h, b.data(), static_cast<int>(b.size()));
}

}  // namespace

TEST(Transparent, BytesFlowBothWays) {
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu));
    ASSERT_NE(client.h, nullptr);
    EXPECT_EQ(send(client.h, bytes("to the sign")), 11);
    EXPECT_EQ(text(dtu.recvExactly(11)), "to the sign");
    dtu.send("from the sign");
    EXPECT_TRUE(waitFor([&] { return DTU_GetReceiveDataCount(client.h) == 13; }));
    unsigned char buf[8];
    EXPECT_EQ(DTU_ReceiveData(client.h, buf, 8), 8);
    EXPECT_EQ(std::string(buf, buf + 8), "from the");
    EXPECT_EQ(DTU_GetReceiveDataCount(client.h), 5);
    EXPECT_EQ(text(receiveFromClient(client.h, 5)), " sign");
}

TEST(Transparent, EscapesFeForTheMqb47cType) {
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu, "MQB-47C"));
    ASSERT_NE(client.h, nullptr);
    EXPECT_EQ(send(client.h, {0xFE, 0x01, 0xFE}), 3);
    EXPECT_EQ(dtu.recvExactly(5), (Bytes{0xFE, 0x03, 0x01, 0xFE, 0x03}));
}

TEST(Transparent, OtherTypesAreNotEscaped) {
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu, "MQB-47"));
    ASSERT_NE(client.h, nullptr);
    EXPECT_EQ(send(client.h, {0xFE, 0x01, 0xFE}), 3);
    EXPECT_EQ(dtu.recvExactly(3), (Bytes{0xFE, 0x01, 0xFE}));
}

TEST(Transparent, LeadingFeOfAChunkIsDroppedButNotInside) {
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu));
    ASSERT_NE(client.h, nullptr);
    dtu.send(Bytes{0xFE, 0x41, 0xFE, 0x42});
    EXPECT_EQ(receiveFromClient(client.h, 3), (Bytes{0x41, 0xFE, 0x42}));
    dtu.send(Bytes{0x43, 0xFE});
    EXPECT_EQ(receiveFromClient(client.h, 2), (Bytes{0x43, 0xFE}));
}

TEST(Transparent, SilenceLimitClosesTheConnection) {
    ClockScope time;
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu));
    ASSERT_NE(client.h, nullptr);
    EXPECT_EQ(DTU_SetReceiveDataTimeout(client.h, 5000), 1);
    time.clock.advance(5000);
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 1);  // not yet longer than the limit
    time.clock.advance(1000);
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 0);
    EXPECT_TRUE(dtu.waitClosed());
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 0);
    EXPECT_LE(send(client.h, bytes("x")), 0);
}

TEST(Transparent, TrafficKeepsTheConnectionAlive) {
    ClockScope time;
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu));
    ASSERT_NE(client.h, nullptr);
    DTU_SetReceiveDataTimeout(client.h, 5000);
    time.clock.advance(4000);
    EXPECT_EQ(send(client.h, bytes("ping")), 4);  // a send counts as activity
    time.clock.advance(4000);
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 1);
    time.clock.advance(4000);
    dtu.send("pong");
    EXPECT_EQ(text(receiveFromClient(client.h, 4)), "pong");
    time.clock.advance(4000);
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 1);
    EXPECT_EQ(DTU_SetReceiveDataTimeout(client.h, -1), 1);
    time.clock.advance(1'000'000);
    EXPECT_EQ(DTU_IsClientAvailable(client.h), 1);
}

TEST(Transparent, ReceiveRingIsBoundedAndKeepsTheNewestBytes) {
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu));
    ASSERT_NE(client.h, nullptr);
    // 3 MiB that the host does not read; each byte tells its position.
    const size_t total = 3u << 20;
    Bytes data(total);
    for (size_t i = 0; i < total; ++i)
        data[i] = static_cast<uint8_t>(1 + (i / 1024) % 251);
    std::thread writer([&] { dtu.send(data); });
    EXPECT_TRUE(waitFor(
        [&] {
            DTU_GetReceiveDataCount(client.h);
            return DTU_GetReceiveDataCount(client.h) == (1 << 20);
        },
        10000));
    writer.join();
    EXPECT_TRUE(waitFor([&] {
        DTU_GetReceiveDataCount(client.h);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return DTU_GetReceiveDataCount(client.h) == (1 << 20);
    }));
    Bytes got = receiveFromClient(client.h, 1 << 20);
    ASSERT_EQ(got.size(), 1u << 20);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), data.end() - (1 << 20)));
    EXPECT_EQ(DTU_GetReceiveDataCount(client.h), 0);
}

TEST(Transparent, GoneDtuIsNoticed) {
    Server server;
    auto dtu = std::make_unique<RawDtu>(server.port());
    HandleGuard client(connect(server, *dtu));
    ASSERT_NE(client.h, nullptr);
    dtu->send("last words");
    dtu.reset();
    EXPECT_TRUE(waitFor([&] { return DTU_IsClientAvailable(client.h) == 0; }));
    // What arrived before the end can still be read.
    EXPECT_EQ(text(receiveFromClient(client.h, 10)), "last words");
    EXPECT_LT(send(client.h, bytes("anyone?")), 1);
}

TEST(Transparent, FramedOperationsOnATransparentClientSendNothing) {
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu));
    ASSERT_NE(client.h, nullptr);
    const unsigned char data[] = {1, 2, 3};
    unsigned char buf[16];
    EXPECT_EQ(DTU_SendDataEx(client.h, data, 3, 1, 100), 0);
    EXPECT_EQ(DTU_SendDataEx(client.h, data, 3, 0, 100), 0);
    EXPECT_EQ(DTU_SendStateData(client.h, data, 3, 0, 100), 0);
    EXPECT_EQ(DTU_ReceiveStateData(client.h, buf, 16), 0);
    EXPECT_EQ(DTU_Reset(client.h, 100), 0);
    EXPECT_EQ(DTU_Disconnect(client.h, 100), 0);
    EXPECT_EQ(DTU_StopIO(client.h, 100), 0);
    EXPECT_EQ(DTU_StartIO(client.h, 100), 0);
    EXPECT_TRUE(dtu.recvFor(100).empty());
}

TEST(Transparent, ConfigurationModeOverTcpBlocksData) {
    Server server;
    RawDtu dtu(server.port());
    HandleGuard client(connect(server, dtu));
    ASSERT_NE(client.h, nullptr);
    std::thread answer([&] {
        if (text(dtu.recvExactly(12)) == "+++ in set\r\n") dtu.send("OK\r\n");
    });
    EXPECT_EQ(DTU_EnterConfig(client.h), 1);
    answer.join();
    EXPECT_EQ(send(client.h, bytes("data")), 0);
    unsigned char buf[8];
    dtu.send("noise");
    EXPECT_EQ(DTU_ReceiveData(client.h, buf, 8), 0);
    EXPECT_TRUE(dtu.recvFor(50).empty());
    EXPECT_EQ(DTU_ExitConfig(client.h, 0), 1);
    EXPECT_EQ(text(dtu.recvExactly(14)), "AT+OUTSET=ON\r\n");
    EXPECT_EQ(send(client.h, bytes("data")), 4);
    EXPECT_EQ(text(dtu.recvExactly(4)), "data");
}

TEST(Transparent, BadHandlesAndArgumentsAreRefused) {
    DTU_HANDLE bogus = reinterpret_cast<DTU_HANDLE>(static_cast<uintptr_t>(0x1234560));
    unsigned char buf[4] = {};
    char text[32];
    int port;
    for (DTU_HANDLE h : {static_cast<DTU_HANDLE>(nullptr), bogus}) {
        EXPECT_EQ(DTU_Init(h), 0);
        EXPECT_EQ(DTU_Uninit(h), 0);
        EXPECT_EQ(DTU_SendData(h, buf, 4), 0);
        EXPECT_EQ(DTU_ReceiveData(h, buf, 4), 0);
        EXPECT_EQ(DTU_GetReceiveDataCount(h), 0);
        EXPECT_EQ(DTU_IsClientAvailable(h), 0);
        EXPECT_EQ(DTU_GetClientInfo(h, text, &port, text, text, text, text), 0);
        EXPECT_EQ(DTU_GetNewConnectedClient(h), nullptr);
        EXPECT_EQ(DTU_ConfigRead(h, "X", text), 0);
        EXPECT_EQ(DTU_GetConfig(h, text, text), 0);
        DTU_Delete(h);
    }
    Server server;
    RawDtu dtu(server.port());
    DTU_HANDLE client = connect(server, dtu);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(DTU_SendData(client, nullptr, 4), 0);
    EXPECT_EQ(DTU_SendData(client, buf, -1), 0);
    EXPECT_EQ(DTU_ReceiveData(client, nullptr, 4), 0);
    EXPECT_EQ(DTU_ReceiveData(client, buf, 0), 0);
    EXPECT_EQ(DTU_GetClientInfo(client, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(DTU_AddTransferDes(client, nullptr, 80), 0);
    EXPECT_EQ(DTU_AddTransferDes(client, "127.0.0.1", 70000), 0);
    // Management of TCP clients does not apply to servers.
    EXPECT_EQ(DTU_IsClientAvailable(server.handle()), 0);
    EXPECT_EQ(DTU_SetReceiveDataTimeout(server.handle(), 10), 0);
    DTU_Delete(client);
    // A deleted handle is unknown from then on.
    EXPECT_EQ(DTU_IsClientAvailable(client), 0);
    EXPECT_EQ(DTU_SendData(client, buf, 4), 0);
    EXPECT_TRUE(dtu.waitClosed());
}

// The framed protocol: frames split and joined across reads, answers the host
// owes the DTU, acknowledged sends, remote commands and configuration mode.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "GatewayTestSupport.h"
#include "Gprslink.h"

using namespace lumavox::gwtest;

namespace {

using Steady = std::chrono::steady_clock;

struct FramedDtu {
    Server server;
    RawDtu dtu{server.port()};
    HandleGuard client{nullptr};

    FramedDtu() {
        dtu.send(makeRecord("FR", "FRAMED", "1", "", "ID", true));
        client.h = server.waitClient();
    }
    // Waits until the gateway holds at least n raw bytes from the DTU.
    bool rawAtLeast(int n) {
        return waitFor([&] { return DTU_GetReceiveDataCount(client.h) >= n; });
    }
    Bytes receive(size_t n) { return receiveFromClient(client.h, n); }
    Bytes receiveState(size_t n) {
        Bytes out;
        waitFor([&] {
            unsigned char buf[256];
            int r = DTU_ReceiveStateData(client.h, buf, sizeof buf);
            if (r > 0) out.insert(out.end(), buf, buf + r);
            return out.size() >= n;
        });
        return out;
    }
};

Bytes range(size_t n, uint8_t start = 0) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(start + i);
    return b;
}

const Bytes kAckFrame = {0xAA, 0x55, 0xFE, 0x01, 0x00, 0x00, 0x00, 0x00, 0xFF};

}  // namespace

TEST(Framed, DtuAnnouncingFramedGetsAFramedHandle) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    const Bytes payload = bytes("to sign");
    EXPECT_EQ(DTU_SendData(f.client.h, payload.data(), 7), 1);
    EXPECT_EQ(f.dtu.recvExactly(16), makeFrame(0x11, payload));
    EXPECT_EQ(DTU_SendDataEx(f.client.h, payload.data(), 7, 0, 0), 1);
    EXPECT_EQ(f.dtu.recvExactly(16), makeFrame(0x11, payload));
    EXPECT_EQ(DTU_SendStateData(f.client.h, payload.data(), 7, 0, 0), 1);
    EXPECT_EQ(f.dtu.recvExactly(16), makeFrame(0x12, payload));
}

TEST(Framed, FrameSplitBeforeNineBytesWaitsInTheTransport) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    Bytes frame = makeFrame(0x11, bytes("HELLO"));
    f.dtu.send(Bytes(frame.begin(), frame.begin() + 5));
    ASSERT_TRUE(f.rawAtLeast(5));
    unsigned char buf[32];
    EXPECT_EQ(DTU_ReceiveData(f.client.h, buf, 32), 0);
    EXPECT_EQ(DTU_GetReceiveDataCount(f.client.h), 5);  // left where it was
    f.dtu.send(Bytes(frame.begin() + 5, frame.end()));
    EXPECT_EQ(text(f.receive(5)), "HELLO");
}

TEST(Framed, FrameSplitAfterTheHeaderIsCompletedOnTheNextPass) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    Bytes payload = range(40, 1);
    Bytes frame = makeFrame(0x11, payload);
    f.dtu.send(Bytes(frame.begin(), frame.begin() + 20));
    ASSERT_TRUE(f.rawAtLeast(20));
    unsigned char buf[64];
    EXPECT_EQ(DTU_ReceiveData(f.client.h, buf, 64), 0);
    EXPECT_EQ(DTU_GetReceiveDataCount(f.client.h), 0);  // taken into the partial frame
    f.dtu.send(Bytes(frame.begin() + 20, frame.begin() + 30));
    ASSERT_TRUE(f.rawAtLeast(10));
    EXPECT_EQ(DTU_ReceiveData(f.client.h, buf, 64), 0);
    f.dtu.send(Bytes(frame.begin() + 30, frame.end()));
    EXPECT_EQ(f.receive(40), payload);
}

TEST(Framed, FramesJoinedInOneReadAreAllTaken) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    Bytes joined = {0x00, 0x13, 0x37};  // noise before the first frame is skipped
    for (const auto& part : {makeFrame(0x11, bytes("one,")), makeFrame(0x12, bytes("state")),
                             makeFrame(0x11, bytes("two,")), makeFrame(0x11, {})}) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    Bytes third = makeFrame(0x11, bytes("three"));
    joined.insert(joined.end(), third.begin(), third.begin() + 6);  // and a partial one
    f.dtu.send(joined);
    EXPECT_EQ(text(f.receive(8)), "one,two,");
    EXPECT_EQ(text(f.receiveState(5)), "state");
    f.dtu.send(Bytes(third.begin() + 6, third.end()));
    EXPECT_EQ(text(f.receive(5)), "three");
}

TEST(Framed, WrongChecksumDropsOnlyThatFrame) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    Bytes bad = makeFrame(0x11, bytes("BAD"));
    bad[bad.size() - 2] ^= 0x01;
    Bytes good = makeFrame(0x11, bytes("GOOD"));
    bad.insert(bad.end(), good.begin(), good.end());
    f.dtu.send(bad);
    EXPECT_EQ(text(f.receive(4)), "GOOD");
}

TEST(Framed, AcknowledgementWantedIsAnswered) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    f.dtu.send(makeFrame(0x91, bytes("please ack")));
    EXPECT_EQ(text(f.receive(10)), "please ack");
    EXPECT_EQ(f.dtu.recvExactly(9), kAckFrame);

    f.dtu.send(makeFrame(0x92, bytes("st")));
    EXPECT_EQ(text(f.receiveState(2)), "st");
    EXPECT_EQ(f.dtu.recvExactly(9), kAckFrame);

    f.dtu.send(makeFrame(0x14, {}));
    ASSERT_TRUE(f.rawAtLeast(9));
    unsigned char buf[8];
    DTU_ReceiveData(f.client.h, buf, 8);
    EXPECT_EQ(f.dtu.recvExactly(9), (Bytes{0xAA, 0x55, 0x14, 0xEB, 0, 0, 0, 0, 0xFF}));
    EXPECT_TRUE(f.dtu.recvFor(50).empty());
}

TEST(Framed, LengthFieldOnlyEverWaitsForBytesThatArrive) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    Bytes payload(65535);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 7);
    Bytes frame = makeFrame(0x11, payload);
    f.dtu.send(Bytes(frame.begin(), frame.begin() + 100));
    ASSERT_TRUE(f.rawAtLeast(100));
    unsigned char buf[16];
    EXPECT_EQ(DTU_ReceiveData(f.client.h, buf, 16), 0);
    f.dtu.send(Bytes(frame.begin() + 100, frame.end()));
    EXPECT_EQ(f.receive(65535), payload);
}

TEST(Framed, SendWithAcknowledgementWaitsForIt) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    const Bytes payload = bytes("ack me");
    std::thread dtuSide([&] {
        Bytes got = f.dtu.recvExactly(15);
        if (got == makeFrame(0x91, payload)) f.dtu.send(kAckFrame);
    });
    EXPECT_EQ(DTU_SendDataEx(f.client.h, payload.data(), 6, 1, 3000), 1);
    dtuSide.join();
}

TEST(Framed, NoAcknowledgementWithinTheTimeOutGivesZero) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    const Bytes payload = bytes("x");
    auto start = Steady::now();
    EXPECT_EQ(DTU_SendDataEx(f.client.h, payload.data(), 1, 1, 200), 0);
    EXPECT_GE(Steady::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(f.dtu.recvExactly(10), makeFrame(0x91, payload));
}

TEST(Framed, AnEarlierAcknowledgementDoesNotAnswerALaterFrame) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    const Bytes payload = bytes("first");
    std::thread dtuSide([&] {
        f.dtu.recvExactly(14);
        f.dtu.send(kAckFrame);
    });
    EXPECT_EQ(DTU_SendDataEx(f.client.h, payload.data(), 5, 1, 3000), 1);
    dtuSide.join();
    // The DTU stays silent now: the old acknowledgement must not count.
    EXPECT_EQ(DTU_SendStateData(f.client.h, payload.data(), 5, 1, 100), 0);
    // A stray acknowledgement before a send is not this send's either.
    f.dtu.send(kAckFrame);
    ASSERT_TRUE(f.rawAtLeast(9));
    EXPECT_EQ(DTU_SendDataEx(f.client.h, payload.data(), 5, 1, 100), 0);
}

TEST(Framed, OverlongPayloadIsRefused) {
    FramedDtu f;
    ASSERT_NE(f.client.h, nullptr);
    Bytes big(65536, 1);
    EXPECT_EQ(DTU_SendDataEx(f.client.h, big.data(), static_cast<int>(big.size()), 0, 0), 0);
    EXPECT_EQ(DTU_SendData(f.client.h, big.data(), static_cast<int>(big.size())), 0);
    EXPECT_TRUE(f.dtu.recvFor(50).empty());
}

// ---- against dtusim ----------------------------------------------------------

namespace {

struct SimulatedFramedDtu {
    Server server;
    Child sim;
    HandleGuard client{nullptr};

    explicit SimulatedFramedDtu(std::vector<std::string> extra = {})
        : sim([&] {
              std::vector<std::string> args = {
                  dtusimPath(), "--gateway", "127.0.0.1:" + std::to_string(server.port()),
                  "--framed",   "--name",    "SIMFR"};
              args.insert(args.end(), extra.begin(), extra.end());
              return args;
          }()) {
        client.h = server.waitClient();
    }
};

}  // namespace

TEST(FramedWithDtusim, DataEchoAndRemoteCommands) {
    SimulatedFramedDtu s;
    ASSERT_NE(s.client.h, nullptr);
    const Bytes payload = bytes("ECHO ME");
    EXPECT_EQ(DTU_SendDataEx(s.client.h, payload.data(), 7, 1, 3000), 1);
    EXPECT_EQ(receiveFromClient(s.client.h, 7), payload);

    EXPECT_EQ(DTU_Reset(s.client.h, 3000), 1);
    EXPECT_EQ(DTU_StopIO(s.client.h, 3000), 1);
    EXPECT_EQ(DTU_SendDataEx(s.client.h, payload.data(), 7, 1, 3000), 1);  // acknowledged ...
    EXPECT_TRUE(receiveFromClient(s.client.h, 1, 200).empty());            // ... not passed on
    EXPECT_EQ(DTU_StartIO(s.client.h, 3000), 1);
    EXPECT_EQ(DTU_SendStateData(s.client.h, payload.data(), 7, 1, 3000), 1);
    Bytes state;
    waitFor([&] {
        unsigned char buf[16];
        int r = DTU_ReceiveStateData(s.client.h, buf, 16);
        if (r > 0) state.insert(state.end(), buf, buf + r);
        return state.size() >= 7;
    });
    EXPECT_EQ(state, payload);

    EXPECT_EQ(DTU_Disconnect(s.client.h, 3000), 1);
    EXPECT_TRUE(waitFor([&] { return DTU_IsClientAvailable(s.client.h) == 0; }));
}

TEST(FramedWithDtusim, HeartbeatsAreAnswered) {
    SimulatedFramedDtu s({"--heartbeat", "20"});
    ASSERT_NE(s.client.h, nullptr);
    // Each receive pass answers the heartbeats that came in; the DTU keeps the
    // connection and still echoes afterwards.
    for (int i = 0; i < 5; ++i) {
        unsigned char buf[8];
        DTU_ReceiveData(s.client.h, buf, 8);
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    const Bytes payload = bytes("still here");
    EXPECT_EQ(DTU_SendDataEx(s.client.h, payload.data(), 10, 1, 3000), 1);
    EXPECT_EQ(receiveFromClient(s.client.h, 10), payload);
}

TEST(FramedWithDtusim, ConfigurationThroughARemoteCommand) {
    SimulatedFramedDtu s({"--param", "APN=GPRSNET"});
    ASSERT_NE(s.client.h, nullptr);
    EXPECT_EQ(DTU_EnterConfig(s.client.h), 1);
    EXPECT_EQ(DTU_EnterConfig(s.client.h), 1);  // already in configuration mode
    const Bytes payload = bytes("blocked");
    EXPECT_EQ(DTU_SendDataEx(s.client.h, payload.data(), 7, 0, 0), 0);
    char value[DTU_CONFIG_TEXT_SIZE];
    EXPECT_EQ(DTU_ConfigRead(s.client.h, "APN", value), 1);
    EXPECT_STREQ(value, "GPRSNET");
    EXPECT_EQ(DTU_ConfigWrite(s.client.h, "APN", "CMNET"), 1);
    EXPECT_EQ(DTU_ConfigRead(s.client.h, "APN", value), 1);
    EXPECT_STREQ(value, "CMNET");
    EXPECT_EQ(DTU_ExitConfig(s.client.h, 1), 1);
    EXPECT_EQ(DTU_SendDataEx(s.client.h, payload.data(), 7, 1, 3000), 1);
    EXPECT_EQ(receiveFromClient(s.client.h, 7), payload);
}

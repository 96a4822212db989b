#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "protocol/Frame.h"
#include "strings/StringTable.h"
#include "transport/PortList.h"
#include "transport/SignLink.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

struct Shown {
    std::string title, text;
};

}  // namespace

TEST(SerialChannel, ComNumbersMapToDevicePaths) {
    ComPortMap ports;
    EXPECT_EQ(ports.devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(ports.devicePath(3), "/dev/ttyS2");
    ports.set(3, "/dev/ttyUSB0");
    EXPECT_EQ(ports.devicePath(3), "/dev/ttyUSB0");
    ComPortMap fromStore([](int com) { return com == 4 ? std::string("/dev/pts/9") : ""; });
    EXPECT_EQ(fromStore.devicePath(4), "/dev/pts/9");
    EXPECT_EQ(fromStore.devicePath(5), "/dev/ttyS4");
}

TEST(SerialChannel, BaudTable) {
    const int table[] = {1200, 2400, 4800, 9600, 14400, 19200, 28800, 57600};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(baudRateForIndex(i), table[i]);
    EXPECT_EQ(baudRateForIndex(8), 9600);
    EXPECT_EQ(baudRateForIndex(-1), 9600);
    LinkSettings s;
    s.baudIndex = 5;
    EXPECT_EQ(s.baudRate(), 19200);
}

TEST(SerialChannel, WritesGoOutInPiecesOfThirtyBytes) {
    std::vector<uint8_t> frame(65, 0x11);
    std::vector<size_t> pieces;
    EXPECT_TRUE(SerialChannel::forEachPiece(frame, SerialChannel::kWritePiece,
                                            [&](std::span<const uint8_t> p) {
                                                pieces.push_back(p.size());
                                                return true;
                                            }));
    EXPECT_EQ(pieces, (std::vector<size_t>{30, 30, 5}));
    // A failing piece stops the write.
    pieces.clear();
    EXPECT_FALSE(SerialChannel::forEachPiece(frame, 30, [&](std::span<const uint8_t> p) {
        pieces.push_back(p.size());
        return pieces.size() < 2;
    }));
    EXPECT_EQ(pieces.size(), 2u);
}

TEST(SerialChannel, FramesAndHandshakesCrossAPseudoTerminal) {
    PtyPair pty;
    ASSERT_FALSE(pty.slave.empty());
    CSignLink link(ComPortMap({{3, pty.slave}}));
    std::vector<Shown> shown;
    link.setMessageBox([&](const std::string& t, const std::string& s) {
        shown.push_back({t, s});
    });
    TestReceiver rx(link);
    ASSERT_TRUE(link.open(&rx, 3, baudRateForIndex(5))) << link.openError();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(link.portNumber(), 3);

    auto frame = hexBytes("24 57 52 4C 3E 0A 00 41 01 00 00 00 00 00 00 73 7A D0 FE");
    std::string error;
    ASSERT_TRUE(link.send(frame, error)) << error;
    EXPECT_EQ(pty.read(frame.size(), 2000), frame);

    // Nothing waiting: success, nothing delivered.
    EXPECT_TRUE(link.poll(error, 0));
    EXPECT_TRUE(rx.allBytes.empty());

    // The handshake in two pieces, with a reset in between.
    link.armHandshake();
    pty.write(hexBytes("FA FA 00 FA FA"));
    for (int i = 0; i < 200 && rx.allBytes.size() < 5; ++i)
        ASSERT_TRUE(link.poll(error, 10)) << error;
    EXPECT_FALSE(link.handshakeSeen());
    pty.write(hexBytes("FA"));
    for (int i = 0; i < 200 && !link.handshakeSeen(); ++i)
        ASSERT_TRUE(link.poll(error, 10)) << error;
    EXPECT_TRUE(link.handshakeSeen());
    link.disarmHandshake();
    link.close();
    EXPECT_FALSE(link.isOpen());
}

TEST(SerialChannel, AwaitHandshakeSeesItAsSoonAsItArrives) {
    PtyPair pty;
    FixedClock clock;
    clock.setTickStep(1);
    CSignLink link(ComPortMap({{2, pty.slave}}), clock);
    TestReceiver rx(link);
    ASSERT_TRUE(link.open(&rx, 2, 9600));
    pty.write(hexBytes("FA FA FA"));
    std::string error;
    EXPECT_EQ(link.awaitHandshake(13000, error), 1);
    EXPECT_FALSE(link.handshakeAwaited());
}

TEST(SerialChannel, AwaitHandshakeTimesOutOnTheInjectedClock) {
    PtyPair pty;
    FixedClock clock;
    clock.setTickStep(1000);
    CSignLink link(ComPortMap({{2, pty.slave}}), clock);
    TestReceiver rx(link);
    ASSERT_TRUE(link.open(&rx, 2, 9600));
    std::string error;
    EXPECT_EQ(link.awaitHandshake(13000, error), 0);
    EXPECT_GT(rx.pumps, 0);
    EXPECT_EQ(link.awaitHandshake(0, error), 0);  // a zero limit: at once
    rx.onPump = [&](int n) { rx.cancel = n >= 2; };
    EXPECT_EQ(link.awaitHandshake(13000, error), -1);
    EXPECT_EQ(error, "Cancelled by user");
}

TEST(SerialChannel, AMissingPortFailsWithoutAMessageBox) {
    CSignLink link(ComPortMap({{4, "/dev/lumavox-no-such-port"}}));
    int boxes = 0;
    link.setMessageBox([&](const std::string&, const std::string&) { ++boxes; });
    EXPECT_FALSE(link.open(nullptr, 4, 9600));
    EXPECT_FALSE(link.openError().empty());
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(boxes, 0);
    std::string error;
    EXPECT_FALSE(link.poll(error));
    EXPECT_EQ(error, "ClearCommError function error");
    EXPECT_FALSE(link.send(hexBytes("FA"), error));
    EXPECT_EQ(text(msg::kInitComportError),
              "Init comport error,the comport may be occupy by another program,please close "
              "this program and try again!");
}

TEST(SerialChannel, APortAlreadyHeldCannotBeOpenedTwice) {
    PtyPair pty;
    CSignLink first(ComPortMap({{1, pty.slave}}));
    CSignLink second(ComPortMap({{1, pty.slave}}));
    ASSERT_TRUE(first.open(nullptr, 1, 9600)) << first.openError();
    EXPECT_FALSE(second.open(nullptr, 1, 9600));
    EXPECT_FALSE(second.openError().empty());
    first.close();
    EXPECT_TRUE(second.open(nullptr, 1, 9600)) << second.openError();
}

TEST(SerialChannel, AFailedConfigurationStepIsShownAndTheOpenStillCounts) {
    PtyPair pty;
    CSignLink link(ComPortMap({{6, pty.slave}}));
    std::vector<Shown> shown;
    link.setMessageBox([&](const std::string& t, const std::string& s) {
        shown.push_back({t, s});
    });
    EXPECT_TRUE(link.open(nullptr, 6, 9600, 'M', 8, 1));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Application Error");
    EXPECT_EQ(shown[0].text,
              "WARNING:  BuildCommDCB() Failed with the following error: \nInvalid argument\n"
              "Port: 6\n");
    EXPECT_TRUE(link.isOpen());
}

TEST(SerialChannel, EveryBaudOfTheTableIsAccepted) {
    PtyPair pty;
    CSignLink link(ComPortMap({{1, pty.slave}}));
    std::vector<Shown> shown;
    link.setMessageBox([&](const std::string& t, const std::string& s) {
        shown.push_back({t, s});
    });
    for (int i = 0; i < kBaudTableSize; ++i) {
        ASSERT_TRUE(link.open(nullptr, 1, baudRateForIndex(i))) << link.openError();
        EXPECT_TRUE(shown.empty()) << baudRateForIndex(i) << ": " << shown[0].text;
    }
}

TEST(SerialChannel, AVanishedDeviceMakesThePollFail) {
    auto pty = std::make_unique<PtyPair>();
    CSignLink link(ComPortMap({{1, pty->slave}}));
    ASSERT_TRUE(link.open(nullptr, 1, 9600));
    pty.reset();  // the other end goes away
    std::string error;
    bool ok = true;
    for (int i = 0; i < 10 && ok; ++i)
        ok = link.poll(error, 10);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "ClearCommError function error");
}

TEST(SerialChannel, ThePortListShowsMappedDevicesThatExist) {
    PtyPair free, held;
    ComPortMap ports({{7, free.slave}, {8, "/dev/lumavox-no-such-port"}, {9, held.slave}});
    CSignLink holder(ports);
    ASSERT_TRUE(holder.open(nullptr, 9, 9600));
    auto list = listComPorts(ports);
    auto has = [&](int n) {
        for (auto& e : list)
            if (e.number == n) return e.label == "COM" + std::to_string(n);
        return false;
    };
    EXPECT_TRUE(has(7));
    EXPECT_FALSE(has(8));
    EXPECT_TRUE(has(9));
    int pick = preselectedPort(list, 7);
    ASSERT_GE(pick, 0);
    EXPECT_EQ(list[static_cast<size_t>(pick)].number, 7);
    EXPECT_EQ(preselectedPort(list, 42) == 0 || list.empty(), true);
    EXPECT_EQ(preselectedPort({}, 1), -1);
    EXPECT_EQ(comNumberFromLabel("COM12"), 12);
    EXPECT_EQ(comNumberFromLabel(""), 1);
    EXPECT_EQ(comNumberFromLabel("COMx"), 1);
}

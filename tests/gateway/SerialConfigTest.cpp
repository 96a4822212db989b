// The configuration dialogue with a DTU on a serial line (a pseudo-terminal),
// against dtusim and against a line the test plays itself.
#include <gtest/gtest.h>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "GatewayTestSupport.h"
#include "Gprslink.h"

using namespace lumavox::gwtest;

namespace {

using Steady = std::chrono::steady_clock;

// dtusim playing a DTU on COM5.
struct SimulatedSerialDtu {
    static constexpr int kCom = 5;
    ComPorts com;
    std::string link = (com.dir() / "dtu-line").string();
    Child sim;
    HandleGuard handle{nullptr};

    explicit SimulatedSerialDtu(std::vector<std::string> extra = {})
        : sim([&] {
              std::vector<std::string> args = {dtusimPath(), "--serial-config", link};
              args.insert(args.end(), extra.begin(), extra.end());
              return args;
          }()) {
        auto ready = sim.readLine();
        if (!ready || ready->rfind("ready ", 0) != 0) throw std::runtime_error("dtusim not ready");
        com.map(kCom, link);
        handle.h = DTU_AddCOM(kCom, 9600, 8, 0, 1);
    }
};

std::vector<std::pair<std::string, std::string>> wholeList(DTU_HANDLE h) {
    std::vector<std::pair<std::string, std::string>> pairs;
    char name[DTU_CONFIG_TEXT_SIZE], value[DTU_CONFIG_TEXT_SIZE];
    while (DTU_GetConfig(h, name, value) == 1)
        pairs.emplace_back(name, value);
    return pairs;
}

// Answers "OK" to entering and leaving set-up mode on the test's own line.
class OkResponder {
  public:
    explicit OkResponder(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~OkResponder() {
        stop_ = true;
        thread_.join();
    }
    std::string heard() {
        std::lock_guard lock(mutex_);
        return heard_;
    }

  private:
    void run() {
        std::string line;
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            char c;
            if (::read(fd_, &c, 1) != 1) continue;
            line += c;
            if (c != '\n') continue;
            {
                std::lock_guard lock(mutex_);
                heard_ += line;
            }
            // A lost answer shows as the command's own failure in the test.
            if (line == "+++ in set\r\n" || line == "AT+OUTSET=ON\r\n") {
                if (::write(fd_, "OK\r\n", 4) != 4) {
                }
            }
            line.clear();
        }
    }
    int fd_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string heard_;
    std::thread thread_;
};

}  // namespace

class SerialDialogue : public ::testing::TestWithParam<bool> {};

TEST_P(SerialDialogue, WholeConfigurationDialogue) {
    std::vector<std::string> args = {"--param", "APN=CMNET"};
    if (GetParam()) args.push_back("--echo");
    SimulatedSerialDtu s(args);
    ASSERT_NE(s.handle.h, nullptr);
    DTU_HANDLE h = s.handle.h;

    ASSERT_EQ(DTU_EnterConfig(h), 1);
    EXPECT_EQ(DTU_EnterConfig(h), 1);
    char value[DTU_CONFIG_TEXT_SIZE];
    EXPECT_EQ(DTU_ConfigRead(h, "APN", value), 1);
    EXPECT_STREQ(value, "CMNET");
    EXPECT_EQ(DTU_ConfigWrite(h, "APN", "UNINET"), 1);
    EXPECT_EQ(DTU_ConfigRead(h, "APN", value), 1);
    EXPECT_STREQ(value, "UNINET");
    EXPECT_EQ(DTU_ConfigWrite(h, "PORT", "9000"), 1);

    ASSERT_EQ(DTU_GetAllConfig(h), 1);
    auto list = wholeList(h);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"IPAD", "10.0.0.1"},    {"PORT", "9000"}, {"APN", "UNINET"},
        {"DTUID", "0000000001"}, {"BAUD", "9600"}, {"BEATDATA", "60"}};
    EXPECT_EQ(list, expected);
    char name[DTU_CONFIG_TEXT_SIZE];
    EXPECT_EQ(DTU_GetConfig(h, name, value), 0);

    EXPECT_EQ(DTU_ExitConfig(h, 1), 1);
    EXPECT_EQ(DTU_ConfigRead(h, "APN", value), 0);  // configuration mode is over
    EXPECT_EQ(DTU_ConfigWrite(h, "APN", "X"), 0);
}

INSTANTIATE_TEST_SUITE_P(EchoOffAndOn, SerialDialogue, ::testing::Values(false, true));

TEST(SerialConfig, ErrorAnswers) {
    SimulatedSerialDtu s(
        {"--echo", "--err-cmd", "LOCKED", "--err-data", "BAUD", "--param", "LOCKED=1"});
    DTU_HANDLE h = s.handle.h;
    ASSERT_EQ(DTU_EnterConfig(h), 1);
    EXPECT_EQ(DTU_ConfigWrite(h, "BAUD", "12345"), -2);
    EXPECT_EQ(DTU_ConfigWrite(h, "LOCKED", "0"), -1);
    EXPECT_EQ(DTU_ConfigWrite(h, "NOSUCH", "0"), -1);
    char value[DTU_CONFIG_TEXT_SIZE] = "untouched";
    EXPECT_EQ(DTU_ConfigRead(h, "LOCKED", value), -1);
    EXPECT_STREQ(value, "untouched");
    EXPECT_EQ(DTU_ConfigRead(h, "BAUD", value), 1);
    EXPECT_STREQ(value, "9600");
    EXPECT_EQ(DTU_ExitConfig(h, 1), 1);
}

TEST(SerialConfig, EmptyValueIsNotMistakenForTheEcho) {
    // "AT+EMPTY=\r\n" is as long as the echoed "AT+EMPTY?\r\n".
    SimulatedSerialDtu s({"--echo", "--param", "EMPTY="});
    DTU_HANDLE h = s.handle.h;
    ASSERT_EQ(DTU_EnterConfig(h), 1);
    char value[DTU_CONFIG_TEXT_SIZE] = "x";
    EXPECT_EQ(DTU_ConfigRead(h, "EMPTY", value), 1);
    EXPECT_STREQ(value, "");
    DTU_ExitConfig(h, 0);
}

TEST(SerialConfig, HeartbeatParameterWaitsLongerThanOthers) {
    SimulatedSerialDtu s({"--delay", "BEATDATA:1500", "--delay", "APN:1500"});
    DTU_HANDLE h = s.handle.h;
    ASSERT_EQ(DTU_EnterConfig(h), 1);
    auto start = Steady::now();
    EXPECT_EQ(DTU_ConfigWrite(h, "BEATDATA", "30"), 1);
    EXPECT_GE(Steady::now() - start, std::chrono::milliseconds(1400));
    start = Steady::now();
    EXPECT_EQ(DTU_ConfigWrite(h, "APN", "LATE"), 0);  // 1000 ms is not enough for it
    auto took = Steady::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::milliseconds(1450));
}

TEST(SerialConfig, DtuThatNeverAnswersCostsTwoReplyTimeouts) {
    ComPorts com;
    Pty line;
    com.map(6, line.slavePath());
    HandleGuard h(DTU_AddCOM(6, 9600, 8, 0, 1));
    auto start = Steady::now();
    EXPECT_EQ(DTU_EnterConfig(h.h), 0);
    auto took = Steady::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::milliseconds(8000));
    EXPECT_EQ(text(readExactly(line.master(), 24, 1000)), "+++ in set\r\n+++ in set\r\n");
    char value[DTU_CONFIG_TEXT_SIZE];
    EXPECT_EQ(DTU_ConfigRead(h.h, "APN", value), 0);
}

TEST(SerialConfig, NothingIsSentOutsideConfigurationMode) {
    ComPorts com;
    Pty line;
    com.map(7, line.slavePath());
    HandleGuard h(DTU_AddCOM(7, 9600, 8, 0, 1));
    ASSERT_EQ(DTU_Init(h.h), 1);
    EXPECT_EQ(DTU_ConfigWrite(h.h, "APN", "X"), 0);
    char value[DTU_CONFIG_TEXT_SIZE];
    EXPECT_EQ(DTU_ConfigRead(h.h, "APN", value), 0);
    EXPECT_EQ(DTU_GetAllConfig(h.h), 0);
    EXPECT_EQ(DTU_ExitConfig(h.h, 0), 1);
    EXPECT_TRUE(readExactly(line.master(), 1, 100).empty());
}

TEST(SerialConfig, LineSettingsFollowAddCom) {
    // A pseudo-terminal keeps the speed, the stop bits and the parity details,
    // but always reports 8 data bits without parity generation, so those two
    // are not looked at here.
    struct Case {
        int baud, dataBits, parity, stopBits;
        speed_t speed;
        bool checked, odd, stick, twoStops;
    };
    const Case cases[] = {
        {9600, 8, 0, 1, B9600, false, false, false, false},
        {19200, 7, 2, 2, B19200, true, false, false, true},
        {4800, 8, 1, 1, B4800, true, true, false, false},
        {1200, 8, 3, 0, B1200, true, true, true, true},
        {115200, 6, 4, 1, B115200, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baud);
        ComPorts com;
        Pty line;
        com.map(3, line.slavePath());
        OkResponder responder(line.master());
        HandleGuard h(DTU_AddCOM(3, c.baud, c.dataBits, c.parity, c.stopBits));
        ASSERT_EQ(DTU_EnterConfig(h.h), 1);
        termios t{};
        ASSERT_EQ(::tcgetattr(line.slave(), &t), 0);
        EXPECT_EQ(::cfgetospeed(&t), c.speed);
        EXPECT_EQ(::cfgetispeed(&t), c.speed);
        EXPECT_EQ((t.c_iflag & INPCK) != 0, c.checked);
        EXPECT_EQ((t.c_cflag & PARODD) != 0, c.odd);
        EXPECT_EQ((t.c_cflag & CMSPAR) != 0, c.stick);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStops);
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
        EXPECT_EQ(DTU_ExitConfig(h.h, 1), 1);
        EXPECT_EQ(responder.heard(), "+++ in set\r\nAT+OUTSET=ON\r\n");
    }
}

TEST(SerialConfig, ExitWithWaitLeavesAStuckDtu) {
    ComPorts com;
    Pty line;
    com.map(8, line.slavePath());
    OkResponder responder(line.master());
    HandleGuard h(DTU_AddCOM(8, 9600, 8, 0, 1));
    EXPECT_EQ(DTU_ExitConfig(h.h, 1), 1);
    EXPECT_EQ(responder.heard(), "AT+OUTSET=ON\r\n");
}

TEST(SerialConfig, PortThatCannotBeOpenedFailsCleanly) {
    ComPorts com;
    com.map(9, (com.dir() / "no-such-device").string());
    HandleGuard h(DTU_AddCOM(9, 9600, 8, 0, 1));
    EXPECT_EQ(DTU_Init(h.h), 0);
    EXPECT_EQ(DTU_EnterConfig(h.h), 0);
    EXPECT_EQ(DTU_ExitConfig(h.h, 1), 0);
    EXPECT_EQ(DTU_ExitConfig(h.h, 0), 1);
    unsigned char b[1] = {1};
    EXPECT_EQ(DTU_SendData(h.h, b, 1), 0);
    HandleGuard badLine(DTU_AddCOM(3, 9600, 9, 0, 1));
    EXPECT_EQ(DTU_Init(badLine.h), 0);
    HandleGuard badParity(DTU_AddCOM(3, 9600, 8, 7, 1));
    EXPECT_EQ(DTU_Init(badParity.h), 0);
}

TEST(SerialConfig, OverlongOrMultiLineCommandsAreRefused) {
    SimulatedSerialDtu s;
    DTU_HANDLE h = s.handle.h;
    ASSERT_EQ(DTU_EnterConfig(h), 1);
    const std::string longName(250, 'N');
    char value[DTU_CONFIG_TEXT_SIZE];
    EXPECT_EQ(DTU_ConfigWrite(h, longName.c_str(), "1"), 0);
    EXPECT_EQ(DTU_ConfigRead(h, longName.c_str(), value), 0);
    EXPECT_EQ(DTU_ConfigWrite(h, "APN", "A\r\nAT+PORT=1"), 0);
    EXPECT_EQ(DTU_ConfigWrite(h, nullptr, nullptr), -1);  // "AT+=": the DTU refuses it
    EXPECT_EQ(DTU_ConfigRead(h, "PORT", value), 1);
    EXPECT_STREQ(value, "8001");
}

TEST(SerialConfig, TransparentBytesOverTheSerialLine) {
    ComPorts com;
    Pty line;
    com.map(2, line.slavePath());
    HandleGuard h(DTU_AddCOM(2, 9600, 8, 0, 1));
    const Bytes out = bytes("raw line");
    EXPECT_EQ(DTU_SendData(h.h, out.data(), 8), 0);  // not open yet
    ASSERT_EQ(DTU_Init(h.h), 1);
    EXPECT_EQ(DTU_SendData(h.h, out.data(), 8), 8);
    EXPECT_EQ(text(readExactly(line.master(), 8)), "raw line");
    writeAll(line.master(), bytes("back"));
    EXPECT_EQ(text(receiveFromClient(h.h, 4)), "back");
    EXPECT_EQ(DTU_Uninit(h.h), 1);
}

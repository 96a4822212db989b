// The control through its C interface, sending to the virtual sign (signsim
// --nvs) over loopback TCP and pseudo-terminals.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "ControlTestSupport.h"
#include "LinkTestSupport.h"
#include "NVSOCX.h"
#include "NVSOCXHost.h"
#include "platform/Profile.h"

using lumavox::test::PtyPair;
using lumavox::test::Signsim;
using namespace lumavox::nvstest;

namespace {

// The per-user store the tests write (registration, COM port mapping) is never
// the real one: ctest sets LUMAVOX_CONFIG_DIR, and a direct run gets a
// temporary folder.
class PrivateStore : public ::testing::Environment {
  public:
    void SetUp() override {
        if (std::getenv("LUMAVOX_CONFIG_DIR")) return;
        own_ = tempPath("store");
        ::setenv("LUMAVOX_CONFIG_DIR", own_.c_str(), 1);
    }
    void TearDown() override {
        if (!own_.empty()) std::filesystem::remove_all(own_);
    }

  private:
    std::string own_;
};
const auto* const kPrivateStore = ::testing::AddGlobalTestEnvironment(new PrivateStore);

void compose(NVSOCX_Handle h) {
    NVSOCX_SetSignInfo(h, 96, 16, 1);
    ASSERT_EQ(NVSOCX_AddRichFile(h, "Main"), 1);
    NVSOCX_SetColorIndex(h, 2);
    NVSOCX_SetMoveMethod(h, 4);
    NVSOCX_SetSpeed(h, 5);
    ASSERT_EQ(NVSOCX_AddWindow(h, 0, 0, 48, 16, 0), 1);
    NVSOCX_AddDateTime(h, 18);
    NVSOCX_EndWindow(h);
    NVSOCX_SetCharProperty(h, 1);
    NVSOCX_AddMessage(h, "Hello ^ sign \xE9");
}

}  // namespace

TEST(Control, ResultsWithoutThread) {
    Control c;
    EXPECT_EQ(NVSOCX_HasStartSendThread(c.h), 0);
    EXPECT_EQ(NVSOCX_AdjustTime(c.h, "1", 1), -1);
    EXPECT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 1), -1);
    EXPECT_EQ(NVSOCX_SendFiles(c.h, "1,,2", 0, 0), 0);
    EXPECT_EQ(NVSOCX_SendFiles(c.h, ",1", 0, 0), 0);
    EXPECT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 0), -20);
    std::string pic = tempPath("only.bmp");
    std::ofstream(pic) << "BM";
    EXPECT_EQ(NVSOCX_AddDiskFile(c.h, pic.c_str(), ""), 1);
    EXPECT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 0), -20);
    std::filesystem::remove(pic);
    EXPECT_EQ(NVSOCX_ChangeSignAddress(c.h, 5, 5), -10);
    EXPECT_EQ(NVSOCX_ChangeSignAddress(c.h, 0, 5), -10);
    EXPECT_EQ(NVSOCX_ChangeSignAddress(c.h, 5, 256), -10);
    EXPECT_EQ(NVSOCX_SetSignInfo(c.h, 40000, 16, 1), 1);
    EXPECT_EQ(NVSOCX_SetSignInfo(c.h, 0, 16, 1), 0);
    EXPECT_EQ(NVSOCX_SetSignInfo(c.h, 96, 70000, 1), 0);
    EXPECT_EQ(NVSOCX_SetComport(c.h, 3), 1);
    EXPECT_EQ(NVSOCX_SetComport(c.h, 0), 0);
    EXPECT_EQ(NVSOCX_SetComport(c.h, 255), 0);
    EXPECT_EQ(NVSOCX_SetCommuMode(c.h, 4), 0);
    EXPECT_EQ(NVSOCX_SetCommuMode(c.h, 3), 1);
    EXPECT_EQ(NVSOCX_ClearSignMemory(c.h, "1", 0), 1);  // queued
    EXPECT_EQ(NVSOCX_SetRunSequence(c.h, "1", "$A$^D", 0), 0);
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 0);
    EXPECT_EQ(NVSOCX_AddRichFile(nullptr, "x"), 0);
    EXPECT_EQ(NVSOCX_EventFd(nullptr), -1);
    // Nothing is raised outside the dispatch.
    EXPECT_TRUE(c.rec.events.empty());
}

TEST(Control, ModemModeEndsThread) {
    Control c;
    NVSOCX_SetCommuMode(c.h, 3);
    EXPECT_EQ(NVSOCX_StartSend(c.h, -1), 1);
    ASSERT_TRUE(pumpUntil(c.h, [&] { return c.rec.result(1) != nullptr; }));
    EXPECT_EQ(c.rec.result(1)->text,
              "Now only support RS232 and LAN connection, or the modem connection is from "
              "outside!");
    pumpUntil(c.h, [&] { return NVSOCX_HasStartSendThread(c.h) == 0; });
    EXPECT_EQ(NVSOCX_HasStartSendThread(c.h), 0);
}

TEST(Control, InvalidHostHandle) {
    Control c;
    int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(fd);  // a closed descriptor
    EXPECT_EQ(NVSOCX_StartSend(c.h, fd), 1);
    ASSERT_TRUE(pumpUntil(c.h, [&] { return c.rec.result(1) != nullptr; }));
    EXPECT_EQ(c.rec.result(1)->value, 0);
    EXPECT_EQ(c.rec.result(1)->text,
              "The connection is from out of OCX, and the connection is not correct!");
    NVSOCX_StopSend(c.h);
}

TEST(Control, FullSendOverTcp) {
    std::string log = tempPath("tcp.jsonl");
    Signsim sim({"--nvs", "--tcp", "0", "--log", log});
    ASSERT_TRUE(sim.started());
    Control c;
    compose(c.h);
    std::string pic = tempPath("logo.BMP");
    std::string picture(5000, '\x7F');
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<char>(i * 7);
    std::ofstream(pic, std::ios::binary) << picture;
    ASSERT_EQ(NVSOCX_AddDiskFile(c.h, pic.c_str(), ""), 1);
    std::filesystem::remove(pic);
    NVSOCX_AddRichFile(c.h, "Second");
    NVSOCX_AddMessage(c.h, "two");
    c.tcp(sim.port());
    ASSERT_TRUE(c.connect()) << c.rec.dump();
    std::string opened =
        "Setup TCP connection with 127.0.0.1(Port = " + std::to_string(sim.port()) +
        ") successfully!";
    EXPECT_EQ(c.rec.result(1)->text, opened);
    EXPECT_EQ(NVSOCX_StartSend(c.h, -1), -1);  // already running
    EXPECT_EQ(NVSOCX_HasStartSendThread(c.h), 1);
    ASSERT_EQ(NVSOCX_SendFiles(c.h, "1", 1, 1), 1);
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 1);
    EXPECT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 1), -2);  // a transmission is in progress
    ASSERT_TRUE(c.runToEnd()) << c.rec.dump();
    const Event* done = c.rec.result(100);
    ASSERT_NE(done, nullptr) << c.rec.dump();
    EXPECT_EQ(done->text, "All data had been sent to sign(1) in IP 127.0.0.1 successfully!");
    // Progress: the total first, every piece at most 128 bytes, adding up.
    int64_t total = -1, pieces = 0, jobs = 0;
    for (const auto& e : c.rec.events) {
        if (e.type != 'g') continue;
        if (e.id == 1) total = e.value;
        if (e.id == 3) jobs += e.value;
        if (e.id == 2) {
            EXPECT_LE(e.value, 128);
            pieces += e.value;
        }
    }
    EXPECT_EQ(total, pieces);
    EXPECT_EQ(total, jobs);
    // Prompts: each job announced; the run sequence confirmed by the sign.
    bool confirmed = false, announced = false;
    for (const auto& e : c.rec.events) {
        if (e.type != 'p') continue;
        if (e.text == "Send text file 'Main' to sign '1' in IP 127.0.0.1 - please wait...")
            announced = true;
        if (e.text ==
            "Send 'set run sequence' command to sign '1' in IP 127.0.0.1 - The sign "
            "say : Communication is good and all commands are handled successfully.")
            confirmed = true;
    }
    EXPECT_TRUE(announced) << c.rec.dump();
    EXPECT_TRUE(confirmed) << c.rec.dump();
    std::string l = readFile(log);
    EXPECT_NE(l.find("nvs clear memory"), std::string::npos);
    EXPECT_NE(l.find("nvs disk " + std::filesystem::path(pic).filename().string().substr(0, 0)),
              std::string::npos);
    EXPECT_NE(l.find(" 5000\""), std::string::npos) << l;  // the picture, decoded whole
    EXPECT_NE(l.find("$Main$^O$RED$^E$SLL$^I3^P$0,0,48,16,0$^K00/^K01/^K13"
                     "^P$0,0,96,16,4$^H5Hello ^^ sign \\u00e9^H4"),
              std::string::npos)
        << l;
    EXPECT_NE(l.find("nvs run sequence $Main$$Second$"), std::string::npos);
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 0);
    EXPECT_EQ(NVSOCX_StopSend(c.h), 1);
    EXPECT_EQ(NVSOCX_HasStartSendThread(c.h), 0);
    std::filesystem::remove(log);
}

TEST(Control, CommandsAndPiecesOverTcp) {
    std::string log = tempPath("cmd.jsonl");
    Signsim sim({"--nvs", "--tcp", "0", "--address", "1,5", "--log", log});
    ASSERT_TRUE(sim.started());
    Control c;
    c.tcp(sim.port());
    ASSERT_TRUE(c.connect());
    // A 300-byte job goes out as 128, 128 and 44 bytes.
    std::string seq = "$" + std::string(282, 'x') + "$";
    ASSERT_EQ(NVSOCX_SetRunSequence(c.h, "1", seq.c_str(), 1), 1);
    ASSERT_TRUE(c.runToEnd());
    std::vector<int32_t> steps;
    for (const auto& e : c.rec.events)
        if (e.type == 'g') steps.push_back(e.id * 1000 + e.value);
    EXPECT_EQ(steps, (std::vector<int32_t>{3300, 2128, 2128, 2044}));
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    // Commands queued without sending at once wait; a command sending at once
    // is refused while they do.
    c.rec.events.clear();
    EXPECT_EQ(NVSOCX_AdjustTime(c.h, "1", 0), 1);
    EXPECT_EQ(NVSOCX_TurnPowerOff(c.h, "1"), -2);
    NVSOCX_StopSend(c.h);
    c.rec.events.clear();
    ASSERT_TRUE(c.connect());
    EXPECT_EQ(NVSOCX_AdjustTime(c.h, "1", 1), 1);
    ASSERT_TRUE(c.runToEnd());
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    EXPECT_TRUE(waitForLog(log, "nvs time "));
    c.rec.events.clear();
    EXPECT_EQ(NVSOCX_ChangeSignAddress(c.h, 5, 0x22), 1);
    ASSERT_TRUE(c.runToEnd());
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    EXPECT_TRUE(waitForLog(log, "nvs address 5 -> 34"));
    // Two addresses: nothing awaited, the sign applies it silently.
    c.rec.events.clear();
    EXPECT_EQ(NVSOCX_TurnPowerOff(c.h, "1,22"), 1);
    ASSERT_TRUE(c.runToEnd());
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    EXPECT_EQ(c.rec.result(100)->text,
              "All data had been sent to sign(1,22) in IP 127.0.0.1 successfully!");
    EXPECT_TRUE(waitForLog(log, "nvs power off"));
    std::filesystem::remove(log);
}

TEST(Control, SignAnswersBadChecksum) {
    Signsim sim({"--nvs", "--tcp", "0", "--nvs-reply", "Bad Checksum"});
    ASSERT_TRUE(sim.started());
    Control c;
    c.tcp(sim.port());
    NVSOCX_AddRichFile(c.h, "A");
    NVSOCX_AddMessage(c.h, "x");
    ASSERT_TRUE(c.connect());
    ASSERT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 1), 1);
    ASSERT_TRUE(c.runToEnd());
    const Event* e = nullptr;
    for (const auto& ev : c.rec.events)
        if (ev.type == 'r' && ev.id == 2 && ev.value == 4) e = &ev;
    ASSERT_NE(e, nullptr) << c.rec.dump();
    EXPECT_EQ(e->text,
              "Send 'set run sequence' command to sign '1' in IP 127.0.0.1 - The sign say : A "
              "checksum is provided but the checksum is not equal to the calculated value.");
    EXPECT_EQ(c.rec.result(100), nullptr);
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 0);         // the transmission has ended
    EXPECT_EQ(NVSOCX_HasStartSendThread(c.h), 1);  // the connection stays
}

TEST(Control, SignNeverAnswers) {
    Signsim sim({"--nvs", "--tcp", "0", "--nvs-silent"});
    ASSERT_TRUE(sim.started());
    Control c("20,300,2000");
    c.tcp(sim.port());
    ASSERT_TRUE(c.connect());
    ASSERT_EQ(NVSOCX_TurnPowerOn(c.h, "1"), 1);
    ASSERT_TRUE(c.runToEnd());
    const Event* e = nullptr;
    for (const auto& ev : c.rec.events)
        if (ev.type == 'r' && ev.id == 2 && ev.value == 5) e = &ev;
    ASSERT_NE(e, nullptr) << c.rec.dump();
    EXPECT_EQ(e->text,
              "Send 'power on' command to sign '1' in IP 127.0.0.1 - Time out for checking "
              "response!");
}

// The pause follows a reply judged success to a clear-memory job; a stop ends
// it at once.
TEST(Control, StopSendCutsThePauseShort) {
    std::string log = tempPath("pause.jsonl");
    Signsim sim({"--nvs", "--tcp", "0", "--log", log});
    ASSERT_TRUE(sim.started());
    Control c("600000,5000,2000");  // a pause far longer than the test may take
    c.tcp(sim.port());
    ASSERT_TRUE(c.connect());
    ASSERT_EQ(NVSOCX_ClearSignMemory(c.h, "1", 1), 1);
    ASSERT_TRUE(waitForLog(log, "nvs clear memory"));
    // The sign has answered "ok": the control holds the next step back.
    pumpUntil(
        c.h, [] { return false; }, 100);
    bool confirmed = false;
    for (const auto& e : c.rec.events)
        if (e.type == 'p' && e.text.find("The sign say") != std::string::npos) confirmed = true;
    EXPECT_FALSE(confirmed) << c.rec.dump();
    EXPECT_EQ(c.rec.result(100), nullptr);
    uint64_t before = nowMs();
    EXPECT_EQ(NVSOCX_StopSend(c.h), 1);
    EXPECT_LT(nowMs() - before, 60000u);  // far below the pause: it was cut short
    EXPECT_EQ(NVSOCX_HasStartSendThread(c.h), 0);
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 0);
    std::filesystem::remove(log);
}

TEST(Control, ConnectRefused) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    int port = ntohs(a.sin_port);
    ::close(s);  // nobody listens there now
    Control c;
    c.tcp(port);
    EXPECT_FALSE(c.connect());
    std::string p = std::to_string(port);
    EXPECT_EQ(c.rec.result(4)->text, "Is ready to connect with 127.0.0.1(Port = " + p + ")...");
    EXPECT_EQ(c.rec.result(1)->text, "Setup TCP connection with 127.0.0.1(Port = " + p +
                                         ") failed: Connect failed: Connection refused");
}

TEST(Control, ConnectTimeOut) {
    // A listener whose queue is full never completes another connect.
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ASSERT_EQ(::listen(s, 0), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(f);
    }
    ::poll(nullptr, 0, 50);
    Control c("20,5000,300");
    c.tcp(ntohs(a.sin_port));
    EXPECT_FALSE(c.connect());
    ASSERT_NE(c.rec.result(1), nullptr);
    EXPECT_EQ(c.rec.result(1)->text,
              "Setup TCP connection with 127.0.0.1(Port = " + std::to_string(ntohs(a.sin_port)) +
                  ") failed: Connect time out(Max is 1 second)");
    for (int f : fillers)
        ::close(f);
    ::close(s);
}

TEST(Control, StopSendEndsAPendingConnect) {
    // A listener whose queue is full keeps the connect pending; the stop must not
    // wait for the (here one-minute) connect limit.
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ASSERT_EQ(::listen(s, 0), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(f);
    }
    Control c("20,5000,60000");
    c.tcp(ntohs(a.sin_port));
    ASSERT_EQ(NVSOCX_StartSend(c.h, -1), 1);
    ASSERT_TRUE(pumpUntil(c.h, [&] { return c.rec.result(4) != nullptr; }));
    uint64_t before = nowMs();
    EXPECT_EQ(NVSOCX_StopSend(c.h), 1);
    EXPECT_LT(nowMs() - before, 30000u);
    EXPECT_EQ(NVSOCX_HasStartSendThread(c.h), 0);
    EXPECT_EQ(c.rec.result(1), nullptr);  // neither connected nor reported after the stop
    for (int f : fillers)
        ::close(f);
    ::close(s);
}

TEST(Control, AnAddressThatIsNone) {
    Control c;
    NVSOCX_SetCommuMode(c.h, 2);
    NVSOCX_SetIPAndPort(c.h, "1.2.3", 5005);
    EXPECT_FALSE(c.connect());
    ASSERT_NE(c.rec.result(1), nullptr);
    EXPECT_EQ(c.rec.result(1)->text,
              "Setup TCP connection with 1.2.3(Port = 5005) failed: Connect failed: the address "
              "is not valid");
}

TEST(Control, EmptyIp) {
    Control c;
    NVSOCX_SetCommuMode(c.h, 2);
    NVSOCX_SetIPAndPort(c.h, "", 5005);
    EXPECT_FALSE(c.connect());
    EXPECT_EQ(c.rec.result(1)->text,
              "Setup TCP connection with (Port = 5005) failed: IP Address can't be left blank!");
}

TEST(Control, FullSendOverOwnSerialPort) {
    std::string log = tempPath("pty.jsonl");
    Signsim sim({"--nvs", "--pty", "--log", log});
    ASSERT_TRUE(sim.started());
    // COM 7 is the virtual sign's pseudo-terminal, through the per-user store.
    std::filesystem::create_directories(lumavox::userStoreDir());
    auto store = lumavox::Profile::load(lumavox::userStorePath());
    store.setString("Comports", "COM7", sim.ptyPath());
    std::string error;
    ASSERT_TRUE(store.save(error)) << error;
    Control c;
    NVSOCX_SetCommuMode(c.h, 1);
    NVSOCX_SetComport(c.h, 7);
    NVSOCX_SetBaudRate(c.h, 115200);
    compose(c.h);
    ASSERT_TRUE(c.connect()) << c.rec.dump();
    EXPECT_EQ(c.rec.result(4)->text, "Is ready to open COM7...");
    EXPECT_EQ(c.rec.result(1)->text, "Open COM7 successfully, now can start to send data to sign");
    ASSERT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 1), 1);
    ASSERT_TRUE(c.runToEnd());
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    EXPECT_EQ(c.rec.result(100)->text, "All data had been sent to sign(1) successfully!");
    EXPECT_TRUE(waitForLog(log, "nvs run sequence $Main$"));
    std::filesystem::remove(log);
}

TEST(Control, OwnSerialPortMissing) {
    Control c;
    NVSOCX_SetCommuMode(c.h, 1);
    NVSOCX_SetComport(c.h, 200);  // /dev/ttyS199 does not exist
    EXPECT_FALSE(c.connect());
    EXPECT_EQ(c.rec.result(1)->text,
              "Open COM200 failed, this comport maybe occupied by another software, please "
              "close it and try again!");
}

TEST(Control, HostHandleOverPseudoTerminal) {
    // The host opens the line itself and hands the descriptor over; the control
    // never closes it.
    PtyPair pty;
    ASSERT_GE(pty.master, 0);
    int fd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    Control c;
    ASSERT_EQ(NVSOCX_StartSend(c.h, fd), 1);
    ASSERT_TRUE(pumpUntil(c.h, [&] { return c.rec.result(1) != nullptr; }));
    EXPECT_EQ(c.rec.result(1)->text, "The connection is from out of OCX, and had been setup.");
    ASSERT_EQ(NVSOCX_ClearSignMemory(c.h, "3", 1), 1);
    // Play the sign by hand: read the conversation, answer "ok".
    std::string got;
    ASSERT_TRUE(pumpUntil(c.h, [&] {
        auto b = pty.read(4096, 5);
        got.append(b.begin(), b.end());
        return got.find("^C") != std::string::npos;
    }));
    EXPECT_EQ(got, "^B3^ACCM^D0214^C");
    pty.write(lumavox::test::bytesOf("ok\r\n"));
    ASSERT_TRUE(c.runToEnd());
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    NVSOCX_StopSend(c.h);
    EXPECT_NE(::fcntl(fd, F_GETFD), -1);  // still open
    ::close(fd);
}

TEST(Control, NoDispatchNoEvents) {
    Signsim sim({"--nvs", "--tcp", "0"});
    ASSERT_TRUE(sim.started());
    Control c;
    c.tcp(sim.port());
    ASSERT_TRUE(c.connect());
    c.rec.events.clear();
    NVSOCX_AddRichFile(c.h, "A");
    NVSOCX_AddMessage(c.h, std::string(1000, 'a').c_str());
    ASSERT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 1), 1);
    pollfd p{NVSOCX_EventFd(c.h), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 5000), 1);  // events wait
    ::poll(nullptr, 0, 50);
    EXPECT_TRUE(c.rec.events.empty());      // but none is raised
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 1);  // and the transmission does not go on
    ASSERT_TRUE(c.runToEnd());
    EXPECT_NE(c.rec.result(100), nullptr);
}

TEST(Control, TheHostIsWokenOncePerBatchOfEvents) {
    Signsim sim({"--nvs", "--tcp", "0"});
    ASSERT_TRUE(sim.started());
    Control c;
    c.tcp(sim.port());
    ASSERT_TRUE(c.connect());
    NVSOCX_AddRichFile(c.h, "A");
    NVSOCX_AddMessage(c.h, std::string(3000, 'a').c_str());
    ASSERT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 1), 1);
    // The host's loop, counting the wake-ups: the event descriptor's counter
    // adds up every write to it until it is read.
    const int fd = NVSOCX_EventFd(c.h);
    uint64_t wakeUps = 0;
    auto takeWakeUps = [&] {
        uint64_t n = 0;
        if (::read(fd, &n, sizeof n) == sizeof n) wakeUps += n;
    };
    uint64_t end = nowMs() + 20000;
    while (!c.rec.finished() && nowMs() < end) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 10);
        takeWakeUps();
        NVSOCX_DispatchEvents(c.h);
    }
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    // What the dispatch itself raised (the progress of each piece, the final
    // result) needs no wake-up: nothing is left to wake the host for.
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 0);
    int pieces = 0, others = 0;
    for (const auto& e : c.rec.events) {
        pieces += e.type == 'g' && e.id == 2;
        others += e.type != 'g';
    }
    ASSERT_GE(pieces, 3000 / 128);
    // The sending thread reports each piece written together with what follows
    // (the call for the next piece): at most one wake-up a piece, and one for
    // each other notification.
    EXPECT_GE(wakeUps, 1u);
    EXPECT_LE(wakeUps, static_cast<uint64_t>(pieces + others + 2));
}

TEST(Control, InvokeByDispatchId) {
    Control c;
    NVSOCX_Variant arg{}, result{};
    arg.type = NVSOCX_VT_STR;
    arg.value.str = "Main";
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_AddRichFile, &arg, 1, &result), NVSOCX_OK);
    EXPECT_EQ(result.type, NVSOCX_VT_I2);
    EXPECT_EQ(result.value.i2, 1);
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_AddRichFile, &arg, 1, &result), NVSOCX_OK);
    EXPECT_EQ(result.value.i2, -1);
    NVSOCX_Variant num{};
    num.type = NVSOCX_VT_I4;
    num.value.i4 = 40000;
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_SetFont, &num, 1, &result), NVSOCX_E_TYPEMISMATCH);
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_AddMessage, &num, 1, &result),
              NVSOCX_E_TYPEMISMATCH);
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_AddMessage, nullptr, 0, &result),
              NVSOCX_E_BADPARAMCOUNT);
    EXPECT_EQ(NVSOCX_Invoke(c.h, 41, nullptr, 0, &result), NVSOCX_E_MEMBERNOTFOUND);
    EXPECT_EQ(NVSOCX_Invoke(nullptr, 1, &arg, 1, &result), NVSOCX_E_INVALIDARG);
    NVSOCX_Variant win[5];
    int16_t values[5] = {0, 0, 24, 16, 0};
    for (int i = 0; i < 5; ++i) {
        win[i].type = NVSOCX_VT_I2;
        win[i].value.i2 = values[i];
    }
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_AddWindow, win, 5, &result), NVSOCX_OK);
    EXPECT_EQ(result.value.i2, 1);
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_ClearContent, nullptr, 0, &result), NVSOCX_OK);
    EXPECT_EQ(result.type, NVSOCX_VT_EMPTY);
    EXPECT_EQ(NVSOCX_Invoke(c.h, NVSOCX_DISPID_AboutBox, nullptr, 0, nullptr), NVSOCX_OK);
}

TEST(Control, RegisterAndCreateByClassId) {
    EXPECT_EQ(DllRegisterServer(), 0);
    auto store = lumavox::Profile::load(lumavox::userStorePath());
    std::string path = store.getString(std::string("CLSID\\") + NVSOCX_CLSID, "InprocServer32");
    EXPECT_EQ(std::filesystem::canonical(path), std::filesystem::canonical(NVSOCX_LIBRARY_PATH));
    NVSOCX_Object* o = NVSOCX_CreateByClassId("{97dd8db0-3f99-4fd9-8dc9-e86770ba403c}");
    ASSERT_NE(o, nullptr);
    NVSOCX_Variant arg{}, result{};
    arg.type = NVSOCX_VT_STR;
    arg.value.str = "Main";
    EXPECT_EQ(o->Invoke(o->control, NVSOCX_DISPID_AddRichFile, &arg, 1, &result), NVSOCX_OK);
    EXPECT_EQ(result.value.i2, 1);
    NVSOCX_ReleaseObject(o);
    EXPECT_EQ(DllUnregisterServer(), 0);
    EXPECT_EQ(NVSOCX_CreateByClassId(NVSOCX_CLSID), nullptr);
    EXPECT_EQ(NVSOCX_CreateByClassId(nullptr), nullptr);
}

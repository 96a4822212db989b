// The control's send thread against lines that misbehave: a sign whose answer
// comes after the time-out, a serial line that fails under a write, a sign
// that closes in the middle of a transmission, and the pauses and progress
// the host sees on the way.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ControlTestSupport.h"
#include "LinkTestSupport.h"
#include "NVSOCX.h"
#include "platform/Profile.h"

using lumavox::test::PtyPair;
using lumavox::test::Signsim;
using namespace lumavox::nvstest;

namespace {

// A sign on loopback TCP played by the test: it reads what the control sends
// and answers only when told to.
class TcpSign {
  public:
    TcpSign() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::listen(listener_, 1) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port_ = ntohs(a.sin_port);
    }
    ~TcpSign() {
        close();
        ::close(listener_);
    }
    int port() const { return port_; }
    bool accept(int limitMs = 5000) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, limitMs) != 1) return false;
        fd_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        return fd_ >= 0;
    }
    // Reads until `needle` has arrived (counted from the last call), or with an
    // empty needle until at least `atLeast` bytes came, while the host's loop
    // dispatches the control's events (the next piece is handed over there).
    // False when the limit passed first or the control closed.
    bool readUntil(NVSOCX_Handle h, const std::string& needle, size_t atLeast = 0) {
        bool closed = false;
        bool found = pumpUntil(h, [&] {
            size_t at = needle.empty() ? std::string::npos : got_.find(needle, seen_);
            if (at != std::string::npos) {
                seen_ = at + needle.size();
                return true;
            }
            if (needle.empty() && got_.size() >= atLeast) return true;
            char buf[4096];
            ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) got_.append(buf, static_cast<size_t>(n));
            closed = n == 0;
            return closed;
        });
        return found && !closed;
    }
    void answer(const std::string& text) {
        (void)!::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int listener_ = -1;
    int fd_ = -1;
    int port_ = 0;
    std::string got_;
    size_t seen_ = 0;
};

bool connectTo(Control& c, TcpSign& sign) {
    c.tcp(sign.port());
    if (NVSOCX_StartSend(c.h, -1) != 1 || !sign.accept()) return false;
    pumpUntil(c.h, [&] { return c.rec.result(1) != nullptr; });
    return c.rec.result(1) && c.rec.result(1)->value == 1;
}

const Event* failure(const Recorder& rec) {
    for (const auto& e : rec.events)
        if (e.type == 'r' && ((e.id == 2 && e.value != 1) || e.id == 3)) return &e;
    return nullptr;
}

int64_t writtenProgress(const Recorder& rec) {
    int64_t sum = 0;
    for (const auto& e : rec.events)
        if (e.type == 'g' && e.id == 2) sum += e.value;
    return sum;
}

bool announcedJob(const Recorder& rec) {
    for (const auto& e : rec.events)
        if (e.type == 'g' && e.id == 3) return true;
    return false;
}

}  // namespace

// An "ok" that arrives after its conversation timed out waits on the line;
// it must not pass as the answer to the next conversation.
TEST(SendFaults, LateAnswerDoesNotConfirmTheNextConversation) {
    TcpSign sign;
    Control c("20,300,5000");
    ASSERT_TRUE(connectTo(c, sign)) << c.rec.dump();

    ASSERT_EQ(NVSOCX_TurnPowerOn(c.h, "1"), 1);
    ASSERT_TRUE(sign.readUntil(c.h, "^C"));
    ASSERT_TRUE(c.runToEnd()) << c.rec.dump();
    const Event* timedOut = failure(c.rec);
    ASSERT_NE(timedOut, nullptr);
    EXPECT_EQ(timedOut->value, 5) << c.rec.dump();

    sign.answer("ok\r\n");  // too late: nobody waits for it now
    c.rec.events.clear();
    ASSERT_EQ(NVSOCX_TurnPowerOff(c.h, "1"), 1);
    ASSERT_TRUE(sign.readUntil(c.h, "^C"));
    sign.answer("bad checksum\r\n");
    ASSERT_TRUE(c.runToEnd()) << c.rec.dump();
    EXPECT_EQ(c.rec.result(100), nullptr) << c.rec.dump();
    const Event* refused = failure(c.rec);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->value, 4);
    EXPECT_EQ(refused->text,
              "Send 'power off' command to sign '1' in IP 127.0.0.1 - The sign say : A "
              "checksum is provided but the checksum is not equal to the calculated value.");
}

// The own serial port fails under the write (the line was hung up): the job
// ends with the serial write error, and no progress is counted for the piece
// that never went out.
TEST(SendFaults, SerialWriteFailureEndsTheJobWithoutProgress) {
    PtyPair line;
    ASSERT_GE(line.master, 0);
    std::filesystem::create_directories(lumavox::userStoreDir());
    auto store = lumavox::Profile::load(lumavox::userStorePath());
    store.setString("Comports", "COM9", line.slave);
    std::string error;
    ASSERT_TRUE(store.save(error)) << error;
    Control c;
    NVSOCX_SetCommuMode(c.h, 1);
    NVSOCX_SetComport(c.h, 9);
    ASSERT_TRUE(c.connect()) << c.rec.dump();

    ::close(line.master);  // the far end goes: writes on the port fail from now on
    line.master = -1;
    c.rec.events.clear();
    ASSERT_EQ(NVSOCX_ClearSignMemory(c.h, "1", 1), 1);
    ASSERT_TRUE(c.runToEnd()) << c.rec.dump();
    const Event* failed = failure(c.rec);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->id, 2);
    EXPECT_EQ(failed->value, 0);
    EXPECT_EQ(failed->text,
              "Send clear sign memory command to sign '1' - Write data to comport error!");
    EXPECT_TRUE(announcedJob(c.rec)) << c.rec.dump();
    EXPECT_EQ(writtenProgress(c.rec), 0) << c.rec.dump();
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 0);
    EXPECT_EQ(NVSOCX_StopSend(c.h), 1);
}

// A sign that closes its connection in the middle of a long transmission:
// the transmission ends with a failure, never with "all sent", and the
// progress counts no more than was written before.
TEST(SendFaults, SignClosingMidSendEndsTheTransmission) {
    TcpSign sign;
    Control c;
    ASSERT_TRUE(connectTo(c, sign)) << c.rec.dump();
    NVSOCX_AddRichFile(c.h, "Long");
    const std::string text(20000, 'x');
    NVSOCX_AddMessage(c.h, text.c_str());
    ASSERT_EQ(NVSOCX_SendFiles(c.h, "1", 0, 1), 1);
    ASSERT_TRUE(sign.readUntil(c.h, "", 1000));
    sign.close();
    ASSERT_TRUE(c.runToEnd()) << c.rec.dump();
    EXPECT_EQ(c.rec.result(100), nullptr) << c.rec.dump();
    ASSERT_NE(failure(c.rec), nullptr);
    EXPECT_LT(writtenProgress(c.rec), static_cast<int64_t>(text.size()));
    EXPECT_EQ(NVSOCX_IsInSending(c.h), 0);
    EXPECT_EQ(NVSOCX_StopSend(c.h), 1);
}

// The host's descriptor is a socket whose other end has gone: the write
// fails and is reported; the host's process goes on.
TEST(SendFaults, HostDescriptorWhosePeerHasGoneFailsTheWrite) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    Control c;
    ASSERT_EQ(NVSOCX_StartSend(c.h, pair[0]), 1);
    ASSERT_TRUE(pumpUntil(c.h, [&] { return c.rec.result(1) != nullptr; }));
    ASSERT_EQ(c.rec.result(1)->value, 1);
    ::close(pair[1]);
    c.rec.events.clear();
    ASSERT_EQ(NVSOCX_ClearSignMemory(c.h, "1", 1), 1);
    ASSERT_TRUE(c.runToEnd()) << c.rec.dump();
    const Event* failed = failure(c.rec);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->text,
              "Send clear sign memory command to sign '1' - Write data to comport error!");
    EXPECT_EQ(NVSOCX_StopSend(c.h), 1);
    ::close(pair[0]);
}

// Jobs that expect no reply are followed by the next piece at once: with a
// pause far longer than the test may take, a whole send to address 0 (which
// never answers), memory clearing included, still completes.
TEST(SendFaults, NoPauseAfterJobsThatExpectNoReply) {
    Signsim sim({"--nvs", "--tcp", "0"});
    ASSERT_TRUE(sim.started());
    Control c("600000,5000,2000");
    c.tcp(sim.port());
    NVSOCX_AddRichFile(c.h, "A");
    NVSOCX_AddMessage(c.h, "x");
    NVSOCX_AddRichFile(c.h, "B");
    NVSOCX_AddMessage(c.h, "y");
    ASSERT_TRUE(c.connect());
    ASSERT_EQ(NVSOCX_SendFiles(c.h, "0", 1, 1), 1);
    ASSERT_TRUE(c.runToEnd()) << c.rec.dump();
    ASSERT_NE(c.rec.result(100), nullptr) << c.rec.dump();
    EXPECT_EQ(c.rec.result(100)->text,
              "All data had been sent to sign(0) in IP 127.0.0.1 successfully!");
}

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/SerialPort.h"

using namespace lumavox;

namespace {

// The master side of a pseudo-terminal; the slave's path is what a serial port opens.
struct PtyPair {
    int master = -1;
    std::string slave;
    PtyPair() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~PtyPair() {
        if (master >= 0) ::close(master);
    }
};

}  // namespace

TEST(SerialPort, ExchangesBytesOverAPseudoTerminal) {
    PtyPair pty;
    ASSERT_FALSE(pty.slave.empty());
    SerialPort port;
    std::string error;
    ASSERT_TRUE(port.open(pty.slave, SerialSettings{19200}, error)) << error;
    EXPECT_TRUE(port.isOpen());

    const uint8_t out[] = {0x24, 0x57, 0x00, 0xFF, 0x0D};
    ASSERT_TRUE(port.write(out, sizeof out, 1000, error)) << error;
    uint8_t got[16] = {};
    pollfd p{pty.master, POLLIN, 0};
    ASSERT_GT(::poll(&p, 1, 2000), 0);
    ASSERT_EQ(::read(pty.master, got, sizeof got), static_cast<ssize_t>(sizeof out));
    EXPECT_EQ(0, memcmp(got, out, sizeof out));

    EXPECT_EQ(port.read(got, sizeof got, 0, error), 0);  // nothing waiting, no wait
    const uint8_t back[] = {0xFA, 0xFA, 0xFA};
    ASSERT_EQ(::write(pty.master, back, sizeof back), 3);
    long n = 0;
    for (int i = 0; i < 100 && n < 3; ++i)
        n += port.read(got + n, sizeof got - n, 50, error);
    ASSERT_EQ(n, 3) << error;
    EXPECT_EQ(0, memcmp(got, back, 3));
}

TEST(SerialPort, AMissingDeviceFailsWithTheStepAndReason) {
    SerialPort port;
    std::string error;
    EXPECT_FALSE(port.open("/dev/lumavox-no-such-port", {}, error));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(port.read(nullptr, 0, 0, error), -1);
}

// A port the user may not open keeps the system's reason and says what to do:
// join the device's group and log in again. Checked in a child that is not
// the superuser (who may open anything).
TEST(SerialPort, APortThatMayNotBeOpenedSaysWhichGroupToJoin) {
    char path[] = "/tmp/serial-denied-XXXXXX";
    int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::chmod(path, 0), 0);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        lumavox::SerialPort port;
        std::string error;
        const bool opened = port.open(path, lumavox::SerialSettings{}, error);
        if (::write(out[1], error.data(), error.size()) < 0) ::_exit(4);
        ::_exit(opened ? 1 : 0);
    }
    ::close(out[1]);
    std::string error;
    char buf[512];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0)
        error.append(buf, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::unlink(path);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << error;
    EXPECT_EQ(error.rfind("open port: Permission denied; add ", 0), 0u) << error;
    EXPECT_NE(error.find(" to the group "), std::string::npos) << error;
    EXPECT_NE(error.find("and log in again"), std::string::npos) << error;
}

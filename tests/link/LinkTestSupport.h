// Helpers of the link tests: a pseudo-terminal pair, the virtual sign as a
// child process, a receiver that collects replies, and frame shortcuts.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "protocol/ReplyReception.h"
#include "transport/SignLink.h"

namespace lumavox::test {

// The master side of a pseudo-terminal; the slave's path is what a port opens.
struct PtyPair {
    int master = -1;
    std::string slave;
    PtyPair();
    ~PtyPair();
    void write(std::span<const uint8_t> bytes) const;
    // Reads what arrives within waitMs (at most `max` bytes).
    std::vector<uint8_t> read(size_t max, int waitMs) const;
};

// A loopback port nobody listens on now: bound, read back, released.
int freeLoopbackPort();

// A loopback port held by someone else (listened on) while this lives.
class HeldPort {
  public:
    HeldPort();
    ~HeldPort();
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;
    int port() const { return port_; }

  private:
    int fd_ = -1;
    int port_ = 0;
};

// A simulator as a child process. Starts `exe` with `args`; its standard
// output is read from `outFd`, its standard error from `*errFd` (thrown away
// when errFd is null). -1 when it could not start.
pid_t spawnChild(const std::string& exe, const std::vector<std::string>& args, int& outFd,
                 int* errFd);
// Waits up to waitMs for the child to end: its exit status, -1 when it did not
// exit by itself, -2 when it still runs.
int reapChild(pid_t pid, int waitMs);
// Ends the child: asked (SIGTERM) and reaped, killed when it has not ended
// within 3 s. Its exit status, -1 when it had to be killed.
int stopChild(pid_t pid);
// Lets the child run to its end, killing it after 5 s; its exit status.
int finishChild(pid_t pid);
// The first line the child writes to `fd`, without its end, within 10 s.
std::string firstLine(int fd);

// A running signsim. Killed and reaped when it goes out of scope.
class Signsim {
  public:
    explicit Signsim(std::vector<std::string> args);
    ~Signsim();
    Signsim(const Signsim&) = delete;
    Signsim& operator=(const Signsim&) = delete;

    bool started() const { return !listen_.empty(); }
    const std::string& listenLine() const { return listen_; }
    int port() const;             // for --tcp
    std::string ptyPath() const;  // for --pty
    // Stops the process and returns its exit status (-1 when it had to be killed).
    int stop();

    static std::string path();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string listen_;
};

// Runs signsim to completion with the arguments; returns the exit status and
// what it wrote to standard error.
int runSignsim(const std::vector<std::string>& args, std::string& err);

// A receiver that feeds a ReplyReception and acknowledges through the link.
class TestReceiver : public LinkReceiver {
  public:
    explicit TestReceiver(CSignLink& link);
    void onLinkBytes(std::span<const uint8_t> bytes, bool handshakeAwaited) override;
    bool cancelRequested() const override { return cancel; }
    void pump() override;

    ReplyReception reception;
    std::vector<uint8_t> allBytes;  // every byte delivered
    std::vector<uint8_t> reply;     // the accepted reply data, concatenated
    // Total reply length expected, given what has arrived; 0 while unknown.
    std::function<size_t(const std::vector<uint8_t>&)> expectedLength;
    bool cancel = false;
    int pumps = 0;
    std::function<void(int)> onPump;  // called with the pump count

  private:
    CSignLink& link_;
};

std::vector<uint8_t> bytesOf(const std::string& s);
std::vector<uint8_t> hexBytes(const std::string& hex);
std::vector<uint8_t> frameOf(std::span<const uint8_t> payload, uint8_t address, uint8_t sequence);

// Sends one frame and waits up to limitMs for its handshake (1, 0 or -1).
int sendAndAwait(CSignLink& link, std::span<const uint8_t> frame, int limitMs, std::string& error);

// A read request: starts the reception (a new read operation when `seq` is 0,
// which restarts the expected reply numbering), sends the request,
// waits for the handshake and then until the reply is whole, has failed, or
// limitMs has passed. Returns the reception state. `expected` gives the whole
// reply length from what has arrived (0 while unknown); by default the lengths
// the read requests have, with the reply code echoing the request.
size_t expectedReplyLength(const std::vector<uint8_t>& r);
ReceptionState readReply(
    CSignLink& link, TestReceiver& rx, std::span<const uint8_t> request, uint8_t address,
    uint8_t seq, int limitMs,
    std::function<size_t(const std::vector<uint8_t>&)> expected = expectedReplyLength);

// A text body as the editor sends it: kind 0, name, length, stamp, EF, the
// filler bytes, EF, check word. `size` is the whole body length (>= 21).
std::vector<uint8_t> textBody(const std::string& name, size_t size);

}  // namespace lumavox::test

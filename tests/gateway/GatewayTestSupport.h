// Helpers of the gateway tests: a DTU on a real loopback socket, a clock the
// test moves by hand, a dtusim child process, pseudo-terminals and COM port
// mappings in a private per-user store.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Gprslink.h"
#include "platform/Clock.h"

namespace lumavox::gwtest {

using Bytes = std::vector<uint8_t>;

Bytes bytes(std::string_view s);
std::string text(const Bytes& b);

// A TCP port nobody listens on right now.
int freeTcpPort();

// Polls pred every 2 ms until it holds or timeoutMs passed.
bool waitFor(const std::function<bool()>& pred, int timeoutMs = 5000);

// The 52-byte registration record; `framed` puts 0x01 in the last separator.
Bytes makeRecord(std::string_view type, std::string_view name, std::string_view phone = "1380000",
                 std::string_view password = "", std::string_view id = "ID01", bool framed = false);

// A frame of the framed protocol.
Bytes makeFrame(uint8_t code, const Bytes& payload);

// A DTU played by the test over a blocking loopback socket.
class RawDtu {
  public:
    explicit RawDtu(int port);
    ~RawDtu();
    RawDtu(const RawDtu&) = delete;
    RawDtu& operator=(const RawDtu&) = delete;

    void send(const Bytes& b);
    void send(std::string_view s) { send(bytes(s)); }
    // Exactly n bytes, or fewer when timeoutMs passed first.
    Bytes recvExactly(size_t n, int timeoutMs = 5000);
    // Whatever arrives within ms.
    Bytes recvFor(int ms);
    // True when the gateway closed the connection within timeoutMs.
    bool waitClosed(int timeoutMs = 5000);
    void close();
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

// A TCP listener the test controls (a relay destination or a sign).
class Listener {
  public:
    explicit Listener(int port = 0);
    ~Listener();
    int port() const { return port_; }
    // Accepts one connection within timeoutMs; -1 when none came.
    int accept(int timeoutMs = 5000);

  private:
    int fd_ = -1;
    int port_ = 0;
};

// Reads exactly n bytes from a descriptor within timeoutMs.
Bytes readExactly(int fd, size_t n, int timeoutMs = 5000);
bool writeAll(int fd, const Bytes& b);
bool peerClosed(int fd, int timeoutMs);

// A clock for the gateway that moves only when the test says so.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(uint64_t start = 1'000'000) : now_(start) {}
    CalendarTime localNow() const override { return {}; }
    uint64_t tickMs() const override { return now_.load(); }
    void advance(uint64_t ms) { now_ += ms; }

  private:
    std::atomic<uint64_t> now_;
};

// Installs a manual clock into the gateway for the scope's life.
class ClockScope {
  public:
    ClockScope();
    ~ClockScope();
    ManualClock clock;
};

// A listening gateway server on 127.0.0.1 at a free port.
class Server {
  public:
    explicit Server(const char* password = nullptr);
    ~Server();
    DTU_HANDLE handle() const { return handle_; }
    int port() const { return port_; }
    // Waits up to timeoutMs for the next identified DTU, running identification
    // passes meanwhile.
    DTU_HANDLE waitClient(int timeoutMs = 5000);

  private:
    DTU_HANDLE handle_ = nullptr;
    int port_ = 0;
};

// Deletes the handle at the end of the scope.
struct HandleGuard {
    DTU_HANDLE h;
    explicit HandleGuard(DTU_HANDLE handle) : h(handle) {}
    ~HandleGuard() {
        if (h) DTU_Delete(h);
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
};

// Reads from the client until n bytes came or timeoutMs passed.
Bytes receiveFromClient(DTU_HANDLE client, size_t n, int timeoutMs = 5000);

// A child process (dtusim) with its standard output on a pipe. It is ended
// with SIGTERM (then SIGKILL) when the object goes, and dies with the test.
class Child {
  public:
    explicit Child(const std::vector<std::string>& args);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    std::optional<std::string> readLine(int timeoutMs = 5000);
    bool running() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};

std::string dtusimPath();

// A private folder that is removed with its contents at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Points the per-user store at a private folder for the scope's life and
// maps COM numbers to device paths in it.
class ComPorts {
  public:
    ComPorts();
    ~ComPorts();
    void map(int comNumber, const std::string& devicePath);
    const std::filesystem::path& dir() const { return dir_.path(); }

  private:
    TempDir dir_;
    std::optional<std::string> oldValue_;
};

// A pseudo-terminal made by the test: master side and an open slave side.
class Pty {
  public:
    Pty();
    ~Pty();
    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace lumavox::gwtest

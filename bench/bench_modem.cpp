// Send-all of a large document (ten text files of about 60 KB) to the virtual
// sign over a modem line (modemsim on a pseudo-terminal, bridged to signsim on
// loopback TCP) and over a direct serial line (signsim on a pseudo-terminal).
//
// A counting relay sits between the editor and each line and counts the bytes
// the editor writes while the send runs. Reported for both routes: the bytes
// on the line (they must be equal: the modem route adds nothing to a send),
// the frames per second and the time. The dialer's own polling only runs while
// it dials or hangs up, so the frame rates should match too.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "../tests/support/TiedChild.h"
#include "LargeDocument.h"
#include "session/SendSession.h"
#include "transport/ModemDialer.h"

using namespace lumavox;
using WallClock = std::chrono::steady_clock;

namespace {

class QuietHost : public SessionHost, public ModemHost {
  public:
    void status(const std::string&) override {}
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void message(const std::string& t, Icon) override { std::fprintf(stderr, "%s\n", t.c_str()); }
    bool askYesNo(const std::string&, Icon) override { return false; }
    void fileList(const std::vector<FileEntry>&) override {}
    void pump() override {}
    bool cancelRequested() const override { return false; }
};

// A tool on a pseudo-terminal ("LISTEN pty PATH" on its first line).
struct Tool {
    Tool(const std::string& path, std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return;
        const pid_t parent = ::getpid();
        pid = ::fork();
        if (pid == 0) {
            lumavox::test::tieToStartingProcess(parent);
            ::dup2(out[1], 1);
            ::close(out[0]);
            std::vector<char*> argv{const_cast<char*>(path.c_str())};
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(path.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        size_t space = line.rfind(' ');
        listen = space == std::string::npos ? "" : line.substr(space + 1);
    }
    ~Tool() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    pid_t pid = -1;
    std::string listen;  // the pty path, or "ADDR:PORT"
};

// Relays between a new pseudo-terminal (the editor's side) and a line,
// counting the bytes the editor writes.
class CountingRelay {
  public:
    explicit CountingRelay(const std::string& line) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        path_ = ::ptsname(master_);
        int s = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(s, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(s, TCSANOW, &t);
        held_ = s;  // keeps the relay's side up between opens
        line_ = ::open(line.c_str(), O_RDWR | O_NOCTTY);
        ::tcgetattr(line_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(line_, TCSANOW, &t);
        thread_ = std::thread([this] { run(); });
    }
    ~CountingRelay() {
        stop_ = true;
        thread_.join();
        ::close(line_);
        ::close(held_);
        ::close(master_);
    }
    const std::string& path() const { return path_; }
    uint64_t written() const { return written_; }

  private:
    void run() {
        char buf[8192];
        while (!stop_) {
            pollfd p[2] = {{master_, POLLIN, 0}, {line_, POLLIN, 0}};
            if (::poll(p, 2, 5) <= 0) continue;
            if (p[0].revents & POLLIN) {
                ssize_t n = ::read(master_, buf, sizeof buf);
                if (n > 0) {
                    written_ += static_cast<uint64_t>(n);
                    (void)!::write(line_, buf, static_cast<size_t>(n));
                }
            }
            if (p[1].revents & POLLIN) {
                ssize_t n = ::read(line_, buf, sizeof buf);
                if (n > 0) (void)!::write(master_, buf, static_cast<size_t>(n));
            }
        }
    }
    int master_ = -1, held_ = -1, line_ = -1;
    std::string path_;
    std::atomic<uint64_t> written_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Figure {
    bool ok = false;
    uint64_t bytes = 0;
    double seconds = 0;
};

SessionConfig config() {
    SessionConfig c;
    c.link.address = "1";
    c.alwaysDisplay = false;
    return c;
}

Figure serialRun(const WorkArea& work) {
    Tool sign(LUMAVOX_SIGNSIM_PATH, {"--pty"});
    CountingRelay relay(sign.listen);
    CSignLink link;
    QuietHost host;
    SessionConfig c = config();
    c.serialDevice = relay.path();
    SendSession s(link, host, c, &work);
    Figure f;
    auto start = WallClock::now();
    uint64_t before = relay.written();
    f.ok = s.run(UpdateKind::SendAll);
    f.seconds = std::chrono::duration<double>(WallClock::now() - start).count();
    f.bytes = relay.written() - before;
    return f;
}

Figure modemRun(const WorkArea& work) {
    Tool sign(LUMAVOX_SIGNSIM_PATH, {"--tcp", "0"});
    Tool modem(LUMAVOX_MODEMSIM_PATH,
               {"--pty", "--connect-ms", "10", "--sign", "tcp:" + sign.listen});
    CountingRelay relay(modem.listen);
    CSignLink link(ComPortMap(std::map<int, std::string>{{12, relay.path()}}));
    QuietHost host;
    ModemDialer dialer(link, host);
    Figure f;
    if (!dialer.dial("5551234", {"GSM", 12, 9600})) return f;
    SendSession s(link, host, config(), &work);
    auto start = WallClock::now();
    uint64_t before = relay.written();
    f.ok = s.run(UpdateKind::SendAll);
    f.seconds = std::chrono::duration<double>(WallClock::now() - start).count();
    f.bytes = relay.written() - before;
    return f;
}

}  // namespace

int main() {
    WorkArea work = bench::largeDocument();
    Figure serial = serialRun(work);
    Figure modem = modemRun(work);
    if (!serial.ok || !modem.ok) {
        std::fprintf(stderr, "bench_modem: a send failed (serial %d, modem %d)\n", serial.ok,
                     modem.ok);
        return 1;
    }
    size_t frames = (serial.bytes + 1016) / 1017;  // about: 1000 payload bytes a frame
    std::printf("send-all of %zu text files, %llu bytes on the line\n", work.textFiles.size(),
                static_cast<unsigned long long>(serial.bytes));
    std::printf("serial line: %llu bytes, %.3f s, %.0f frames/s\n",
                static_cast<unsigned long long>(serial.bytes), serial.seconds,
                static_cast<double>(frames) / serial.seconds);
    std::printf("modem line:  %llu bytes, %.3f s, %.0f frames/s\n",
                static_cast<unsigned long long>(modem.bytes), modem.seconds,
                static_cast<double>(frames) / modem.seconds);
    std::printf("bytes equal: %s; modem/serial time: %.2f\n",
                serial.bytes == modem.bytes ? "yes" : "NO", modem.seconds / serial.seconds);
    return serial.bytes == modem.bytes ? 0 : 1;
}

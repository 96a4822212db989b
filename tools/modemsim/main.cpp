// modemsim: a simulated Hayes/GSM modem on a pseudo-terminal for the modem
// route's tests and for trying the dial window without hardware.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "HayesEngine.h"
#include "ModemOptions.h"
#include "platform/PseudoTerminal.h"

using namespace lumavox::modemsim;

namespace {

volatile std::sig_atomic_t g_stop = 0;
extern "C" void onSignal(int) {
    g_stop = 1;
}

uint64_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void setNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Connects to the sign; -1 when it cannot be reached.
int connectSign(const ModemOptions& o) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::string port = std::to_string(o.signPort);
    if (::getaddrinfo(o.signHost.c_str(), port.c_str(), &hints, &list) != 0) return -1;
    int fd = -1;
    for (addrinfo* a = list; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(list);
    if (fd >= 0) {
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        setNonBlocking(fd);
    }
    return fd;
}

// Writes everything, waiting for a full pipe to drain; false when the other
// side is gone.
bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 100) < 0 && errno != EINTR) return false;
            if (g_stop) return false;
        } else {
            return false;
        }
    }
    return true;
}

// Reads what is there: the bytes, or false when the other side closed.
bool readSome(int fd, std::string& out) {
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
            if (static_cast<size_t>(n) < sizeof buf) return true;
        } else if (n == 0) {
            return false;
        } else {
            return errno == EAGAIN || errno == EINTR || errno == EIO;
        }
    }
}

int run(const ModemOptions& o) {
    // The other end is not held open: when the PC closes the line the master
    // side hangs up, which is how this modem sees the PC drop its line (as a
    // real one sees DTR fall).
    lumavox::RawPseudoTerminal pty;
    std::string error;
    if (!lumavox::openRawPseudoTerminal(pty, false, error)) {
        std::fprintf(stderr, "modemsim: %s\n", error.c_str());
        return 1;
    }
    const int master = pty.master;
    const std::string& path = pty.path;
    setNonBlocking(master);
    std::printf("LISTEN pty %s\n", path.c_str());
    std::fflush(stdout);

    HayesEngine engine(o);
    int sign = -1;
    bool lineWasOpen = false;
    while (!g_stop) {
        pollfd p[2] = {{master, POLLIN, 0}, {sign, POLLIN, 0}};
        ::poll(p, sign >= 0 ? 2 : 1, 5);
        uint64_t now = nowMs();
        std::string in;
        if (p[0].revents & POLLIN) readSome(master, in);
        if (!in.empty()) engine.fromPc(in, now);
        bool lineOpen = !(p[0].revents & POLLHUP);
        if (!lineOpen) {
            if (lineWasOpen) engine.lineDropped();
            ::poll(nullptr, 0, 5);  // nobody on the line: do not spin
        }
        lineWasOpen = lineOpen;
        if (sign >= 0 && (p[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            std::string got;
            bool open = readSome(sign, got);
            if (!got.empty()) engine.fromSign(got);
            if (!open) {
                ::close(sign);
                sign = -1;
                engine.signLost();
            }
        }
        engine.tick(now);
        if (engine.answerPending()) {
            if (!o.signHost.empty()) sign = connectSign(o);
            engine.callAnswered(o.signHost.empty() || sign >= 0);
        }
        std::string toSign = engine.takeToSign();
        if (sign >= 0 && !toSign.empty() && !writeAll(sign, toSign)) {
            ::close(sign);
            sign = -1;
            engine.signLost();
        }
        if (engine.callEnded() && sign >= 0) {
            ::close(sign);
            sign = -1;
        }
        std::string toPc = engine.takeToPc();
        // Nobody may be reading the line: what does not fit is lost, as on a
        // real line, instead of stalling the modem.
        if (!toPc.empty()) (void)!::write(master, toPc.data(), toPc.size());
        std::string log = engine.takeLog();
        if (o.verbose && !log.empty()) std::fprintf(stderr, "%s", log.c_str());
    }
    if (sign >= 0) ::close(sign);
    ::close(master);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ModemOptions o;
    bool help = false;
    std::string error;
    if (!parseOptions(argc, argv, o, help, error)) {
        std::fprintf(stderr, "modemsim: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (help) {
        std::printf("%s", usageText());
        return 0;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return run(o);
}

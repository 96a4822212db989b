#include "SerialConfig.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "ConfigDialogue.h"
#include "Signals.h"
#include "platform/PseudoTerminal.h"

namespace lumavox::dtusim {

namespace {

using Clock = std::chrono::steady_clock;

struct Scheduled {
    Clock::time_point due;
    std::string bytes;
};

bool writeAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        ssize_t w = ::write(fd, s.data() + done, s.size() - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
        } else if (w < 0 && errno != EINTR && errno != EAGAIN) {
            return false;
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
    return true;
}

}  // namespace

int runSerialConfig(const Options& options) {
    const std::string link = *options.serialConfig;
    // Holding the other side open keeps the terminal alive while the host opens
    // and closes it.
    RawPseudoTerminal pty;
    std::string error;
    if (!openRawPseudoTerminal(pty, true, error)) {
        std::fprintf(stderr, "dtusim: cannot make a pseudo-terminal: %s\n", error.c_str());
        return 1;
    }
    const int master = pty.master, slave = pty.slave;
    const char* slavePath = pty.path.c_str();
    ::unlink(link.c_str());
    if (::symlink(slavePath, link.c_str()) != 0) {
        std::fprintf(stderr, "dtusim: link %s: %s\n", link.c_str(), std::strerror(errno));
        return 1;
    }
    std::printf("ready %s\n", slavePath);
    std::fflush(stdout);

    ConfigDialogue dialogue(options.dialogue);
    std::deque<Scheduled> queue;
    char buf[1024];
    while (!stopRequested()) {
        int waitMs = 50;
        if (!queue.empty()) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(queue.front().due -
                                                                              Clock::now());
            waitMs =
                static_cast<int>(std::max<long long>(0, std::min<long long>(50, left.count())));
        }
        pollfd p{master, POLLIN, 0};
        int r = ::poll(&p, 1, waitMs);
        if (r > 0 && (p.revents & POLLIN)) {
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0) {
                for (auto& out : dialogue.feed(std::string(buf, static_cast<size_t>(n)))) {
                    auto due = Clock::now() + std::chrono::milliseconds(out.delayMs);
                    // Answers keep their order even when one of them is delayed.
                    if (!queue.empty() && queue.back().due > due) due = queue.back().due;
                    queue.push_back({due, std::move(out.bytes)});
                }
            }
        }
        while (!queue.empty() && queue.front().due <= Clock::now()) {
            writeAll(master, queue.front().bytes);
            queue.pop_front();
        }
    }
    ::unlink(link.c_str());
    ::close(slave);
    ::close(master);
    return 0;
}

}  // namespace lumavox::dtusim

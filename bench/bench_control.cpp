// The scriptable sign control sending a large content to the virtual sign
// (signsim --nvs) over loopback TCP.
//
// Content: 200 text files of 2,000 characters and 20 disk images of 100 KiB,
// sent in 128-byte pieces, each handed over from the host's event dispatch.
// First one send with the default timings (the 2000 ms pause after an
// allocation or memory clearing the sign confirmed included), against a bare
// socket pushing the same bytes in one stream and in 128-byte writes. Then the
// fair yardstick: a minimal model of the hand-over every piece needs (the
// host's dispatch, an eventfd, a condition variable) replaying exactly the
// bytes the control wrote to the same sign, against the control with that
// pause shortened to nothing, in alternating rounds.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Loopback.h"
#include "NVSOCX.h"
#include "SignsimProcess.h"

using WallClock = std::chrono::steady_clock;

using lumavox::bench::connectLoopback;
using lumavox::bench::listenLoopback;

namespace {

double seconds(WallClock::time_point a, WallClock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Processor seconds this process (every thread of it) has used so far.
double processCpu() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    auto sec = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return sec(u.ru_utime) + sec(u.ru_stime);
}

// Wall-clock and processor seconds of one timed stretch; wall < 0 when it failed.
struct Timed {
    double wall = -1;
    double cpu = 0;
};

class Stopwatch {
  public:
    Stopwatch() : wall_(WallClock::now()), cpu_(processCpu()) {}
    Timed stop(bool ok = true) const {
        return ok ? Timed{seconds(wall_, WallClock::now()), processCpu() - cpu_} : Timed{};
    }

  private:
    WallClock::time_point wall_;
    double cpu_;
};

struct State {
    int finalId = 0;
    int64_t total = 0;
    std::string text;
};

void onResult(void* u, int16_t id, int16_t r, const char* t) {
    auto* s = static_cast<State*>(u);
    if (id == 100 || id == 3 || (id == 2 && r != 1) || (id == 1 && r == 0)) {
        s->finalId = id;
        s->text = t;
    }
}
void onProgress(void* u, int16_t type, int32_t step) {
    if (type == 1) static_cast<State*>(u)->total = step;
}

bool pump(NVSOCX_Handle h, State& s, int limitMs) {
    auto end = WallClock::now() + std::chrono::milliseconds(limitMs);
    while (!s.finalId && WallClock::now() < end) {
        pollfd p{NVSOCX_EventFd(h), POLLIN, 0};
        ::poll(&p, 1, 10);
        NVSOCX_DispatchEvents(h);
    }
    return s.finalId != 0;
}

// A loopback listener on a free port whose one connection is read and thrown
// away by a thread of its own.
class DiscardingPeer {
  public:
    DiscardingPeer() {
        listener_ = listenLoopback(port_);
        reader_ = std::thread([this] {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 30000) <= 0) return;  // nobody came
            int c = ::accept(listener_, nullptr, nullptr);
            char buf[65536];
            while (::read(c, buf, sizeof buf) > 0) {
            }
            ::close(c);
        });
    }
    // Waits until the reader has every byte the other side sent before closing.
    ~DiscardingPeer() {
        reader_.join();
        ::close(listener_);
    }
    int port() const { return port_; }

  private:
    int listener_ = -1;
    int port_ = 0;
    std::thread reader_;
};

// Pushes `total` bytes in writes of `chunk` to a reader that discards them.
double bareSocket(int64_t total, size_t chunk) {
    std::vector<char> data(chunk, 'x');
    WallClock::time_point t0;
    int s = -1;
    {
        DiscardingPeer peer;
        s = connectLoopback(peer.port());
        t0 = WallClock::now();
        for (int64_t sent = 0; s >= 0 && sent < total;) {
            size_t n =
                static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(chunk), total - sent));
            ssize_t w = ::send(s, data.data(), n, MSG_NOSIGNAL);
            if (w <= 0) break;
            sent += w;
        }
        ::shutdown(s, SHUT_WR);
    }
    auto t1 = WallClock::now();
    ::close(s);
    return seconds(t0, t1);
}

// Reads from `s` until `lines` answer lines (ending in LF) have come, for at
// most 30 s; false when they did not.
bool readAnswers(int s, int lines) {
    auto end = WallClock::now() + std::chrono::seconds(30);
    char buf[4096];
    while (lines > 0 && WallClock::now() < end) {
        pollfd p{s, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        ssize_t r = ::recv(s, buf, sizeof buf, 0);
        if (r <= 0) return false;
        lines -= static_cast<int>(std::count(buf, buf + r, '\n'));
    }
    return lines <= 0;
}

// The hand-over the control cannot do without, and nothing else: a sending
// thread waits on a condition variable for each piece of `stream`, writes it to
// the connected socket `s` and queues "written", waking the host through an
// eventfd when the queue was empty; the host, on its dispatch, hands the next
// piece. At the end the host reads `answers` answer lines. Times from the first
// piece to the last answer; failed when a write failed or the answers did not
// come.
Timed handOverModel(int s, const std::string& stream, size_t pieceBytes, int answers) {
    const int efd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    std::mutex pieceLock, queueLock;
    std::condition_variable pieceCv;
    std::optional<std::string> pending;
    std::deque<size_t> written;
    bool stop = false;
    std::atomic<bool> failed{false};
    std::thread sender([&] {
        for (;;) {
            std::string piece;
            {
                std::unique_lock<std::mutex> lock(pieceLock);
                pieceCv.wait(lock, [&] { return pending.has_value() || stop; });
                if (stop) return;
                piece = std::move(*pending);
                pending.reset();
            }
            if (::send(s, piece.data(), piece.size(), MSG_NOSIGNAL) <= 0) {
                failed = true;
                uint64_t n = 1;
                (void)!::write(efd, &n, sizeof n);
                return;
            }
            bool wake;
            {
                std::lock_guard<std::mutex> lock(queueLock);
                wake = written.empty();
                written.push_back(piece.size());
            }
            if (wake) {
                uint64_t n = 1;
                (void)!::write(efd, &n, sizeof n);
            }
        }
    });
    const size_t total = stream.size();
    size_t handed = 0, done = 0;
    auto hand = [&] {
        size_t n = std::min(pieceBytes, total - handed);
        {
            std::lock_guard<std::mutex> lock(pieceLock);
            pending = stream.substr(handed, n);
        }
        handed += n;
        pieceCv.notify_all();
    };
    Stopwatch watch;
    hand();
    while (done < total && !failed) {
        pollfd p{efd, POLLIN, 0};
        ::poll(&p, 1, 10);
        uint64_t n = 0;
        (void)!::read(efd, &n, sizeof n);
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(queueLock);
                if (written.empty()) break;
                done += written.front();
                written.pop_front();
            }
            if (handed < total) hand();
        }
    }
    Timed timed = watch.stop(!failed && readAnswers(s, answers));
    {
        std::lock_guard<std::mutex> lock(pieceLock);
        stop = true;
    }
    pieceCv.notify_all();
    sender.join();
    ::close(efd);
    return timed;
}

// The model against a reader in this process that throws the bytes away.
double handOverToDiscard(int64_t total, size_t pieceBytes) {
    double t = -1;
    int s = -1;
    {
        DiscardingPeer peer;
        s = connectLoopback(peer.port());
        if (s >= 0)
            t = handOverModel(s, std::string(static_cast<size_t>(total), 'x'), pieceBytes, 0).wall;
        ::shutdown(s, SHUT_WR);
    }
    ::close(s);
    return t;
}

// Stands between the control and the sign for one connection, passing bytes
// both ways unchanged, and keeps what the control wrote and how many answer
// lines the sign gave: the model then replays exactly that to the same sign.
class RecordingRelay {
  public:
    explicit RecordingRelay(int signPort) : signPort_(signPort) {
        peerListener_ = listenLoopback(port_);
        thread_ = std::thread([this] { relay(); });
    }
    ~RecordingRelay() {
        if (thread_.joinable()) thread_.join();
        ::close(peerListener_);
    }
    int port() const { return port_; }
    // Waits until the control has closed its connection.
    void finish() {
        if (thread_.joinable()) thread_.join();
    }
    const std::string& written() const { return written_; }
    int answers() const { return answers_; }

  private:
    void relay() {
        pollfd a{peerListener_, POLLIN, 0};
        if (::poll(&a, 1, 30000) <= 0) return;
        int control = ::accept(peerListener_, nullptr, nullptr);
        int sign = connectLoopback(signPort_);
        char buf[65536];
        while (control >= 0 && sign >= 0) {
            pollfd p[2] = {{control, POLLIN, 0}, {sign, POLLIN, 0}};
            if (::poll(p, 2, 30000) <= 0) break;
            if (p[0].revents) {
                ssize_t r = ::recv(control, buf, sizeof buf, 0);
                if (r <= 0 || ::send(sign, buf, static_cast<size_t>(r), MSG_NOSIGNAL) != r) break;
                written_.append(buf, static_cast<size_t>(r));
            }
            if (p[1].revents) {
                ssize_t r = ::recv(sign, buf, sizeof buf, 0);
                if (r <= 0 || ::send(control, buf, static_cast<size_t>(r), MSG_NOSIGNAL) != r)
                    break;
                answers_ += static_cast<int>(std::count(buf, buf + r, '\n'));
            }
        }
        if (control >= 0) ::close(control);
        if (sign >= 0) ::close(sign);
    }

    int signPort_;
    int peerListener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::string written_;
    int answers_ = 0;
};

// The benchmark's content on `h`: 200 text files of 2,000 characters and 20
// disk images of 100 KiB, written into `dir`.
void composeContent(NVSOCX_Handle h, const std::filesystem::path& dir) {
    std::vector<char> image(100 * 1024);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 31 + 7);
    NVSOCX_SetSignInfo(h, 256, 32, 1);
    std::string text(2000, 'A');
    for (int i = 0; i < 200; ++i) {
        NVSOCX_AddRichFile(h, ("T" + std::to_string(i)).c_str());
        NVSOCX_SetColorIndex(h, static_cast<int16_t>(i % 26));
        NVSOCX_AddMessage(h, text.c_str());
    }
    for (int i = 0; i < 20; ++i) {
        auto p = dir / ("img" + std::to_string(i) + ".bmp");
        std::ofstream(p, std::ios::binary)
            .write(image.data(), static_cast<std::streamsize>(image.size()));
        NVSOCX_AddDiskFile(h, p.c_str(), "");
    }
}

// The time spent waiting for the sign's answers: from the result that says
// the control now checks the response to the prompt that reports it.
struct ReplyWaits {
    State* state = nullptr;
    WallClock::time_point since{};
    bool waiting = false;
    double seconds = 0;
    int count = 0;
};

void onTimedResult(void* u, int16_t id, int16_t r, const char* t) {
    auto* w = static_cast<ReplyWaits*>(u);
    if (id == 2 && r == 1) {
        w->since = WallClock::now();
        w->waiting = true;
    }
    onResult(w->state, id, r, t);
}

void onTimedPrompt(void* u, const char*) {
    auto* w = static_cast<ReplyWaits*>(u);
    if (!w->waiting) return;
    w->seconds += seconds(w->since, WallClock::now());
    w->waiting = false;
    ++w->count;
}

void onTimedProgress(void* u, int16_t type, int32_t step) {
    onProgress(static_cast<ReplyWaits*>(u)->state, type, step);
}

// The same content and send as main's run, with the pause after a confirmed
// allocation or clearing shortened to nothing: the control's own work. Times
// the send and gives the bytes on the line; `waits` gets the time spent
// waiting for the sign's answers.
Timed shortenedSend(int port, int64_t& total, ReplyWaits& waits) {
    ::setenv("NVSOCX_TEST_TIMINGS", "0,20000,15000", 1);
    auto dir = std::filesystem::temp_directory_path() /
               ("bench-control-short-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    NVSOCX_Handle h = NVSOCX_Create();
    ::unsetenv("NVSOCX_TEST_TIMINGS");
    State state;
    waits = ReplyWaits{};
    waits.state = &state;
    NVSOCX_SetEventHandlers(h, onTimedResult, onTimedPrompt, onTimedProgress, &waits);
    composeContent(h, dir);
    NVSOCX_SetCommuMode(h, 2);
    NVSOCX_SetIPAndPort(h, "127.0.0.1", port);
    NVSOCX_StartSend(h, -1);
    // As main's run: a moment for the connection, dispatching.
    for (int tries = 0; tries < 200 && NVSOCX_HasStartSendThread(h) && !state.finalId; ++tries) {
        NVSOCX_DispatchEvents(h);
        ::poll(nullptr, 0, 1);
    }
    Stopwatch watch;
    bool ok = !state.finalId && NVSOCX_SendFiles(h, "1", 1, 1) == 1 && pump(h, state, 600000) &&
              state.finalId == 100;
    Timed timed = watch.stop(ok);
    NVSOCX_StopSend(h);
    NVSOCX_Destroy(h);
    std::filesystem::remove_all(dir);
    total = state.total;
    return timed;
}

struct Spread {
    double median, min, max;
};

Spread spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

// What the control wrote in one untimed send through a relay, and the answer
// lines the sign gave: the model replays exactly that to the same sign.
struct Recording {
    std::string stream;
    int answers = 0;
};

std::optional<Recording> recordSend(int port) {
    RecordingRelay relay(port);
    int64_t total = 0;
    ReplyWaits waits;
    if (shortenedSend(relay.port(), total, waits).wall < 0) return std::nullopt;
    relay.finish();
    return Recording{relay.written(), relay.answers()};
}

// The control's own work per piece against the hand-over model, in
// alternating rounds so that all see the same machine load. Both sides feed
// the same sign the same bytes and wait for the same answers; the model
// against a reader in this process is shown beside it. Returns the median of
// control / model, or a negative value when a round failed.
double compareWithModel(int port, const Recording& recorded, int rounds) {
    std::vector<double> sends, models, discards, ratios, cpuRatios, discardRatios;
    for (int round = 0; round < rounds; ++round) {
        int64_t total = 0;
        ReplyWaits waits;
        Timed send = shortenedSend(port, total, waits);
        int s = connectLoopback(port);
        Timed model = s >= 0 ? handOverModel(s, recorded.stream, 128, recorded.answers) : Timed{};
        if (s >= 0) ::close(s);
        double discard = handOverToDiscard(static_cast<int64_t>(recorded.stream.size()), 128);
        if (send.wall < 0 || model.wall < 0 || discard < 0) {
            std::fprintf(stderr, "bench_control: round %d failed (control %.3f, model %.3f)\n",
                         round + 1, send.wall, model.wall);
            return -1;
        }
        sends.push_back(send.wall);
        models.push_back(model.wall);
        discards.push_back(discard);
        ratios.push_back(send.wall / model.wall);
        cpuRatios.push_back(send.cpu / model.cpu);
        discardRatios.push_back(send.wall / discard);
        std::printf(
            "  round %d: control %.3f s, %.3f s processor (%.3f s waiting for %d answer(s)); "
            "model to the sign %.3f s, %.3f s processor; model to a discarding reader %.3f s\n",
            round + 1, send.wall, send.cpu, waits.seconds, waits.count, model.wall, model.cpu,
            discard);
    }
    Spread r = spread(ratios), c = spread(cpuRatios), d = spread(discardRatios);
    std::printf("  control send, no pause:  median %.3f s over %d rounds\n", spread(sends).median,
                rounds);
    std::printf(
        "  hand-over model, 128 B:  median %.3f s to the sign, %.3f s to a discarding reader\n",
        spread(models).median, spread(discards).median);
    std::printf("  control / model (sign):  median %.2f, min %.2f, max %.2f\n", r.median, r.min,
                r.max);
    std::printf("    processor time:        median %.2f, min %.2f, max %.2f\n", c.median, c.min,
                c.max);
    std::printf("  control / model (discarding reader): median %.2f, min %.2f, max %.2f\n",
                d.median, d.min, d.max);
    return r.median;
}

// Keeps this thread, and every thread and process it starts from now on, on
// the processor it runs on; false when that cannot be set.
bool stayOnThisProcessor() {
    int cpu = ::sched_getcpu();
    if (cpu < 0) return false;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    return ::sched_setaffinity(0, sizeof one, &one) == 0;
}

// Both settings: as in use, where the scheduler moves the parties between
// processors as it likes, and with every party (host, control thread, sign)
// on one processor, where the scheduler's placement no longer decides whether
// each hand-over crosses processors. The aim is judged on the second, the one
// whose rounds agree with each other.
void reportAgainstHandOverModel(int port) {
    auto recorded = recordSend(port);
    if (!recorded) {
        std::fprintf(stderr, "bench_control: the recorded send failed\n");
        return;
    }
    std::printf("recorded for the model:  %zu bytes, %d answer line(s) of the sign\n",
                recorded->stream.size(), recorded->answers);
    std::printf("as in use (parties free to move between processors):\n");
    compareWithModel(port, *recorded, 5);
    if (!stayOnThisProcessor()) {
        std::fprintf(stderr, "bench_control: cannot keep the parties on one processor\n");
        return;
    }
    // A sign started now runs on the same processor.
    lumavox::bench::SignsimProcess sign(SIGNSIM_PATH, {"--nvs"});
    if (sign.port() < 0) {
        std::fprintf(stderr, "bench_control: signsim did not start\n");
        return;
    }
    std::printf("every party on one processor:\n");
    double median = compareWithModel(sign.port(), *recorded, 9);
    if (median > 0)
        std::printf("control / model: median %.2f on one processor (aim: at most 2, %s)\n", median,
                    median <= 2.0 ? "met" : "NOT met");
}

}  // namespace

int main() {
    ::unsetenv("NVSOCX_TEST_TIMINGS");
    lumavox::bench::SignsimProcess sim(SIGNSIM_PATH, {"--nvs"});
    if (sim.port() < 0) {
        std::fprintf(stderr, "bench_control: signsim did not start\n");
        return 1;
    }
    auto dir =
        std::filesystem::temp_directory_path() / ("bench-control-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);

    auto t0 = WallClock::now();
    NVSOCX_Handle h = NVSOCX_Create();
    State state;
    NVSOCX_SetEventHandlers(h, onResult, nullptr, onProgress, &state);
    composeContent(h, dir);
    auto t1 = WallClock::now();
    NVSOCX_SetCommuMode(h, 2);
    NVSOCX_SetIPAndPort(h, "127.0.0.1", sim.port());
    NVSOCX_StartSend(h, -1);
    while (NVSOCX_HasStartSendThread(h) && !state.finalId) {
        NVSOCX_DispatchEvents(h);
        ::poll(nullptr, 0, 1);
        if (state.finalId) break;
        static int tries = 0;
        if (++tries > 200) break;
    }
    auto t2 = WallClock::now();
    int16_t r = NVSOCX_SendFiles(h, "1", 1, 1);
    bool ok = r == 1 && pump(h, state, 600000);
    auto t3 = WallClock::now();
    NVSOCX_StopSend(h);
    NVSOCX_Destroy(h);
    std::filesystem::remove_all(dir);
    if (!ok || state.finalId != 100) {
        std::fprintf(stderr, "bench_control: send failed (%d): %s\n", r, state.text.c_str());
        return 1;
    }
    double compose = seconds(t0, t1), send = seconds(t2, t3);
    double bare = bareSocket(state.total, 1 << 16);
    double bare128 = bareSocket(state.total, 128);
    std::printf("content: 200 text files x 2000 chars, 20 disk images x 100 KiB\n");
    std::printf("bytes on the line:      %lld\n", static_cast<long long>(state.total));
    std::printf("compose:                %.3f s\n", compose);
    std::printf("control send (default timings): %.3f s (%.1f MB/s)\n", send,
                state.total / send / 1e6);
    std::printf("bare socket, 64 KiB:    %.3f s  ratio %.1fx\n", bare, send / bare);
    std::printf("bare socket, 128 B:     %.3f s  ratio %.1fx\n", bare128, send / bare128);
    reportAgainstHandOverModel(sim.port());
    return 0;
}

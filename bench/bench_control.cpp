// The scriptable sign control sending a large content to the virtual sign
// (signsim --nvs) over loopback TCP, against pushing the same bytes through a
// bare socket in the same run.
//
// Content: 200 text files of 2,000 characters and 20 disk images of 100 KiB.
// Every wait has its working value: the 2000 ms pause follows only an
// allocation or a memory clearing the sign confirmed, and the jobs of a file
// send expect no reply until the last, so none is paused. Everything runs as
// in use: 128-byte pieces, each handed over from the host's event dispatch.
// The bare socket runs twice: all bytes in one stream, and in the same
// 128-byte writes. The fair yardstick is the third: a minimal model of the
// hand-over every piece needs (the host's dispatch, an eventfd, a condition
// variable) over the same socket. The control runs with its default timings.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

#include "NVSOCX.h"
#include "SignsimProcess.h"

using WallClock = std::chrono::steady_clock;

namespace {

double seconds(WallClock::time_point a, WallClock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

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

// Pushes `total` bytes in writes of `chunk` to a reader that discards them.
double bareSocket(int64_t total, size_t chunk) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    ::listen(listener, 1);
    std::thread reader([listener] {
        int c = ::accept(listener, nullptr, nullptr);
        char buf[65536];
        while (::read(c, buf, sizeof buf) > 0) {
        }
        ::close(c);
    });
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    std::vector<char> data(chunk, 'x');
    auto t0 = WallClock::now();
    for (int64_t sent = 0; sent < total;) {
        size_t n =
            static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(chunk), total - sent));
        ssize_t w = ::send(s, data.data(), n, MSG_NOSIGNAL);
        if (w <= 0) break;
        sent += w;
    }
    ::shutdown(s, SHUT_WR);
    reader.join();
    auto t1 = WallClock::now();
    ::close(s);
    ::close(listener);
    return seconds(t0, t1);
}

// The hand-over the control cannot do without, and nothing else: a sending
// thread waits on a condition variable for each 128-byte piece, writes it to a
// loopback socket and queues "written", waking the host through an eventfd when
// the queue was empty; the host, on its dispatch, hands the next piece. Returns
// the seconds until the reader has every byte.
double handOverModel(int64_t total, size_t pieceBytes) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    ::listen(listener, 1);
    std::thread reader([listener] {
        int c = ::accept(listener, nullptr, nullptr);
        char buf[65536];
        while (::read(c, buf, sizeof buf) > 0) {
        }
        ::close(c);
    });
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    const int efd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);

    std::mutex pieceLock, queueLock;
    std::condition_variable pieceCv;
    std::optional<std::string> pending;
    std::deque<size_t> written;
    bool stop = false;
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
            if (::send(s, piece.data(), piece.size(), MSG_NOSIGNAL) <= 0) return;
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
    const std::string piece(pieceBytes, 'x');
    auto hand = [&] {
        {
            std::lock_guard<std::mutex> lock(pieceLock);
            pending = piece;
        }
        pieceCv.notify_all();
    };
    auto t0 = WallClock::now();
    int64_t handed = static_cast<int64_t>(pieceBytes), done = 0;
    hand();
    while (done < total) {
        pollfd p{efd, POLLIN, 0};
        ::poll(&p, 1, 10);
        uint64_t n = 0;
        (void)!::read(efd, &n, sizeof n);
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(queueLock);
                if (written.empty()) break;
                done += static_cast<int64_t>(written.front());
                written.pop_front();
            }
            if (handed < total) {
                handed += static_cast<int64_t>(pieceBytes);
                hand();
            }
        }
    }
    {
        std::lock_guard<std::mutex> lock(pieceLock);
        stop = true;
    }
    pieceCv.notify_all();
    sender.join();
    ::shutdown(s, SHUT_WR);
    reader.join();
    auto t1 = WallClock::now();
    ::close(s);
    ::close(listener);
    ::close(efd);
    return seconds(t0, t1);
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
// allocation or clearing shortened to nothing: the control's own work. Returns
// the send's seconds and the bytes on the line, or a negative time on failure;
// `waits` gets the time spent waiting for the sign's answers.
double shortenedSend(int port, int64_t& total, ReplyWaits& waits) {
    ::setenv("NVSOCX_TEST_TIMINGS", "0,20000,15000", 1);
    auto dir = std::filesystem::temp_directory_path() /
               ("bench-control-short-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<char> image(100 * 1024);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 31 + 7);
    NVSOCX_Handle h = NVSOCX_Create();
    ::unsetenv("NVSOCX_TEST_TIMINGS");
    State state;
    waits = ReplyWaits{};
    waits.state = &state;
    NVSOCX_SetEventHandlers(h, onTimedResult, onTimedPrompt, onTimedProgress, &waits);
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
    NVSOCX_SetCommuMode(h, 2);
    NVSOCX_SetIPAndPort(h, "127.0.0.1", port);
    NVSOCX_StartSend(h, -1);
    // As main's run: a moment for the connection, dispatching.
    for (int tries = 0; tries < 200 && NVSOCX_HasStartSendThread(h) && !state.finalId; ++tries) {
        NVSOCX_DispatchEvents(h);
        ::poll(nullptr, 0, 1);
    }
    auto t0 = WallClock::now();
    bool ok = !state.finalId && NVSOCX_SendFiles(h, "1", 1, 1) == 1 && pump(h, state, 600000) &&
              state.finalId == 100;
    auto t1 = WallClock::now();
    NVSOCX_StopSend(h);
    NVSOCX_Destroy(h);
    std::filesystem::remove_all(dir);
    total = state.total;
    return ok ? seconds(t0, t1) : -1;
}

// The control's own work per piece against the hand-over model, in
// alternating rounds so that both see the same machine load.
void reportAgainstHandOverModel(int port, double defaultSend) {
    constexpr int kRounds = 5;
    std::vector<double> ratios, sends, models;
    for (int round = 0; round < kRounds; ++round) {
        int64_t total = 0;
        ReplyWaits waits;
        double send = shortenedSend(port, total, waits);
        if (send < 0) {
            std::fprintf(stderr, "bench_control: the send with shortened pauses failed\n");
            return;
        }
        double model = handOverModel(total, 128);
        sends.push_back(send);
        models.push_back(model);
        ratios.push_back(send / model);
        std::printf(
            "  round %d: control %.3f s (%.3f s of it waiting for %d answers of the "
            "sign), model %.3f s\n",
            round + 1, send, waits.seconds, waits.count, model);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(sends.begin(), sends.end());
    std::sort(models.begin(), models.end());
    std::printf(
        "control send, no pause:  median %.3f s over %d rounds (default timings, once: %.3f s)\n",
        sends[kRounds / 2], kRounds, defaultSend);
    std::printf("hand-over model, 128 B:  median %.3f s\n", models[kRounds / 2]);
    std::printf("control / model:         median %.2f, min %.2f, max %.2f (aim: at most 2, %s)\n",
                ratios[kRounds / 2], ratios.front(), ratios.back(),
                ratios[kRounds / 2] <= 2.0 ? "met" : "NOT met");
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
    std::vector<char> image(100 * 1024);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 31 + 7);

    auto t0 = WallClock::now();
    NVSOCX_Handle h = NVSOCX_Create();
    State state;
    NVSOCX_SetEventHandlers(h, onResult, nullptr, onProgress, &state);
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
    reportAgainstHandOverModel(sim.port(), send);
    return 0;
}

// Frame transfer to the virtual sign over loopback TCP, against a bare
// ping-pong of the same sizes between two sockets.
//
// The framed run sends 600 KiB (ten 60 KiB text files) in 1000-byte frames,
// each waiting for its handshake through CSignLink exactly as the send session
// does. The ping-pong sends 1017 bytes and waits for 3 bytes back, with
// blocking calls and nothing else. Reported: frames per second of both and
// their ratio. A poll loop that slept a fixed 10 ms would cap the framed rate
// near 100 frames per second.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "SignsimProcess.h"
#include "platform/ByteIo.h"
#include "protocol/Frame.h"
#include "transport/SignLink.h"

using namespace lumavox;
using WallClock = std::chrono::steady_clock;

namespace {

constexpr size_t kFileBody = 61440;
constexpr int kFiles = 10;
constexpr int kRounds = 5;

std::vector<uint8_t> textFile(int index) {
    std::vector<uint8_t> b(kFileBody, static_cast<uint8_t>('A' + index % 26));
    b[0] = 0;
    std::snprintf(reinterpret_cast<char*>(&b[1]), 9, "BENCH%03d", index);
    b[9] = static_cast<uint8_t>(kFileBody & 0xFF);
    b[10] = static_cast<uint8_t>(kFileBody >> 8);
    const uint8_t stamp[6] = {0, 0, 12, 1, 1, 24};
    std::memcpy(&b[11], stamp, 6);
    b[17] = 0xEF;
    b[kFileBody - 3] = 0xEF;
    uint16_t check = invertedSum16(std::span<const uint8_t>(b).first(kFileBody - 2));
    b[kFileBody - 2] = static_cast<uint8_t>(check & 0xFF);
    b[kFileBody - 1] = static_cast<uint8_t>(check >> 8);
    return b;
}

// Frames per second of the framed transfer, or a negative value on failure.
double framedRun(int port, size_t& frames) {
    CSignLink link;
    std::string error;
    if (!link.connect(nullptr, "127.0.0.1", port, error)) {
        std::fprintf(stderr, "connect: %s\n", error.c_str());
        return -1;
    }
    link.setLinkState(LinkState::Tcp);
    std::vector<std::vector<uint8_t>> payloads;
    for (int i = 0; i < kFiles; ++i) {
        auto body = textFile(i);
        body.insert(body.begin(), 'a');
        payloads.push_back(std::move(body));
    }
    unsigned seq = 0;
    frames = 0;
    std::vector<uint8_t> frame;
    auto start = WallClock::now();
    for (auto& payload : payloads) {
        size_t next = 0;
        while (next < payload.size()) {
            next = buildFrame(payload, next, kDefaultFrameSize, 1, sequenceByte(seq++), frame);
            if (!link.send(frame, error) || link.awaitHandshake(13000, error) != 1) {
                std::fprintf(stderr, "frame %zu: %s\n", frames, error.c_str());
                return -1;
            }
            ++frames;
        }
    }
    double seconds = std::chrono::duration<double>(WallClock::now() - start).count();
    const uint8_t end[] = {'z'};
    buildFrame(end, 0, kDefaultFrameSize, 1, sequenceByte(seq), frame);
    if (link.send(frame, error)) link.awaitHandshake(13000, error);
    return static_cast<double>(frames) / seconds;
}

bool readAll(int fd, uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t r = ::recv(fd, p, n, 0);
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

// Round trips per second of 1017 bytes out and 3 bytes back.
double pingPong(size_t count) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listener, 1);
    socklen_t len = sizeof a;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    int client = ::socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return -1;
    int server = ::accept(listener, nullptr, nullptr);
    ::close(listener);

    std::thread echo([&] {
        std::vector<uint8_t> in(kMaxFrameBytes);
        const uint8_t hs[3] = {0xFA, 0xFA, 0xFA};
        for (size_t i = 0; i < count; ++i) {
            if (!readAll(server, in.data(), in.size())) break;
            if (::send(server, hs, 3, 0) != 3) break;
        }
    });
    std::vector<uint8_t> out(kMaxFrameBytes, 0x55);
    uint8_t back[3];
    auto start = WallClock::now();
    size_t done = 0;
    for (; done < count; ++done) {
        if (::send(client, out.data(), out.size(), 0) != static_cast<ssize_t>(out.size())) break;
        if (!readAll(client, back, 3)) break;
    }
    double seconds = std::chrono::duration<double>(WallClock::now() - start).count();
    echo.join();
    ::close(client);
    ::close(server);
    return done == count ? static_cast<double>(count) / seconds : -1;
}

}  // namespace

int main() {
    bench::SignsimProcess sim(LUMAVOX_SIGNSIM_PATH);
    if (sim.port() < 0) {
        std::fprintf(stderr, "signsim did not start (%s)\n", LUMAVOX_SIGNSIM_PATH);
        return 1;
    }
    std::printf(
        "framed: %d KiB in 1000-byte frames to signsim over loopback TCP, with handshakes\n",
        static_cast<int>(kFiles * kFileBody / 1024));
    std::printf("bare:   1017 bytes out, 3 bytes back, between two loopback sockets\n\n");
    std::printf("round  frames  framed frames/s  bare frames/s  ratio\n");
    std::vector<double> ratios;
    for (int round = 1; round <= kRounds; ++round) {
        size_t frames = 0;
        double framed = framedRun(sim.port(), frames);
        double bare = pingPong(frames ? frames : 615);
        if (framed < 0 || bare < 0) return 1;
        double ratio = framed / bare;
        ratios.push_back(ratio);
        std::printf("%5d  %6zu  %15.0f  %13.0f  %5.2f\n", round, frames, framed, bare, ratio);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("\nratio median %.2f, best %.2f (aim: at least 0.50)\n", ratios[ratios.size() / 2],
                ratios.back());
    return 0;
}

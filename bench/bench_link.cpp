// Frame transfer to the virtual sign over loopback TCP, against a bare
// ping-pong of the same sizes between two sockets.
//
// The framed run sends 600 KiB (ten 60 KiB text files) in 1000-byte frames,
// each waiting for its handshake through CSignLink exactly as the send session
// does. The bare run sends the same frames with blocking calls to a peer that
// parses each frame as signsim does and answers the handshake. Reported over
// 15 rounds: frames per second of both and their ratio. A poll loop that slept a fixed 10 ms would
// cap the framed rate near 100 frames per second.
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
constexpr int kRounds = 15;

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

// The bare peer's own frame reading, as much as signsim does per frame: find
// the start marker, check the type, the length and the check word, and collect
// the data. Returns the bytes consumed by one whole good frame, 0 when more
// bytes are needed, or -1 for a bad frame.
long parseFrame(const std::vector<uint8_t>& in, std::vector<uint8_t>& collected) {
    static const uint8_t marker[5] = {'$', 'W', 'R', 'L', '>'};
    auto at = std::search(in.begin(), in.end(), std::begin(marker), std::end(marker));
    if (at == in.end()) return 0;
    size_t start = static_cast<size_t>(at - in.begin());
    if (in.size() - start < 15) return 0;
    if (in[start + 7] != 0x41) return -1;
    size_t length = in[start + 5] | (in[start + 6] << 8);
    if (length < 8 || length > 1008) return -1;
    if (in.size() - start < length + 9) return 0;
    uint32_t sum = 0;
    for (size_t i = start + 7; i < start + 7 + length; ++i)
        sum += in[i];
    size_t checkAt = start + 7 + length;
    uint16_t stored = static_cast<uint16_t>(in[checkAt] | (in[checkAt + 1] << 8));
    if (static_cast<uint16_t>(0xFFFF - (sum & 0xFFFF)) != stored) return -1;
    collected.insert(collected.end(), in.begin() + static_cast<long>(start) + 15,
                     in.begin() + static_cast<long>(checkAt));
    return static_cast<long>(checkAt + 2);
}

// The same frames, built as the framed run builds them, to a bare peer on a
// second loopback socket that parses each one (parseFrame) and answers the
// handshake: frames per second, or a negative value on failure.
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

    std::thread peer([&] {
        std::vector<uint8_t> in, collected;
        uint8_t buf[4096];
        const uint8_t hs[3] = {0xFA, 0xFA, 0xFA};
        for (size_t i = 0; i < count;) {
            long used = parseFrame(in, collected);
            if (used < 0) break;
            if (used == 0) {
                ssize_t r = ::recv(server, buf, sizeof buf, 0);
                if (r <= 0) break;
                in.insert(in.end(), buf, buf + r);
                continue;
            }
            in.erase(in.begin(), in.begin() + used);
            if (::send(server, hs, 3, 0) != 3) break;
            ++i;
        }
    });
    std::vector<std::vector<uint8_t>> payloads;
    for (int i = 0; i < kFiles; ++i) {
        auto body = textFile(i);
        body.insert(body.begin(), 'a');
        payloads.push_back(std::move(body));
    }
    std::vector<uint8_t> frame;
    uint8_t back[3];
    unsigned seq = 0;
    size_t done = 0;
    auto start = WallClock::now();
    for (size_t p = 0; done < count; p = (p + 1) % payloads.size()) {
        size_t next = 0;
        while (done < count && next < payloads[p].size()) {
            next = buildFrame(payloads[p], next, kDefaultFrameSize, 1, sequenceByte(seq++), frame);
            if (::send(client, frame.data(), frame.size(), 0) != static_cast<ssize_t>(frame.size()))
                break;
            if (!readAll(client, back, 3)) break;
            ++done;
        }
        if (next < payloads[p].size() && done < count) break;
    }
    double seconds = std::chrono::duration<double>(WallClock::now() - start).count();
    ::shutdown(client, SHUT_RDWR);
    peer.join();
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
    std::printf(
        "bare:   the same frames to a peer on a loopback socket that finds, checks and collects\n"
        "        each frame as signsim does, and answers the handshake; it keeps no conversation\n"
        "        log and decodes no commands, which signsim does besides\n\n");
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
    std::printf("\nratio over %d rounds: median %.2f, min %.2f, max %.2f (aim: at least 0.50)\n",
                kRounds, ratios[ratios.size() / 2], ratios.front(), ratios.back());
    return 0;
}

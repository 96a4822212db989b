// Load benchmark of the GPRS gateway library.
//
// dtusim --count N connects N DTUs to one gateway server on loopback. The
// benchmark (the host, through libGprslink.so) fetches every identified DTU
// and reports:
// - how long after the last connect all DTUs were identified, against the
//   aim of two identification periods (400 ms);
// - the gateway's peak memory per connection (peak resident size over the
//   size before the first connection, divided by N), against 4 KiB;
// - the round-trip time of a 64-byte echo from the host through the gateway
//   to a DTU and back, next to the same echo against a bare Asio echo server
//   in the same run (the gateway path once always to the same DTU, once to a
//   different DTU each time), measured in interleaved blocks so all see the same
//   machine load. Both echo servers are processes of their own and both
//   clients poll without sleeping. The aim (within 2x) is judged against a bare
//   Asio relay to a dtusim DTU, which keeps as many parties busy as the gateway
//   path: the host polling, one I/O thread, the DTU. The gateway alone holds the
//   other N - 1 connections; that is what is measured.
//
// usage: bench_gateway [--count N] [--echoes M] [--window W]
// (W: connects dtusim keeps in flight at once, default 8)
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <asio.hpp>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "DtusimProcess.h"
#include "Gprslink.h"
#include "Loopback.h"

namespace {

using Steady = std::chrono::steady_clock;
using asio::ip::tcp;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch())
        .count();
}

double nowUs() {
    return std::chrono::duration<double, std::micro>(Steady::now().time_since_epoch()).count();
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

struct Stats {
    double median, p90, p99, mean;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) {
        return v[std::min(v.size() - 1, static_cast<size_t>(q * v.size()))];
    };
    return {at(0.5), at(0.9), at(0.99), std::accumulate(v.begin(), v.end(), 0.0) / v.size()};
}

// dtusim DTUs connecting to the gateway on loopback.
std::unique_ptr<lumavox::bench::DtusimProcess> simulator(int port, int count, int window) {
    return std::make_unique<lumavox::bench::DtusimProcess>(
        DTUSIM_PATH, std::vector<std::string>{"--gateway", "127.0.0.1:" + std::to_string(port),
                                              "--count", std::to_string(count), "--name", "B%05d",
                                              "--connect-window", std::to_string(window)});
}

// A plain Asio echo server in a process of its own, as the DTUs are: the
// baseline. It reports its port on a pipe and ends with its parent.
class BareEchoServer {
  public:
    BareEchoServer() {
        int fds[2];
        if (::pipe(fds) != 0) std::exit(1);
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            lumavox::test::tieToStartingProcess(parent);
            ::close(fds[0]);
            serve(fds[1]);
            ::_exit(0);
        }
        ::close(fds[1]);
        uint16_t port = 0;
        if (::read(fds[0], &port, sizeof port) != sizeof port) std::exit(1);
        ::close(fds[0]);
        port_ = port;
    }
    ~BareEchoServer() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    int port() const { return port_; }

  private:
    struct Session : std::enable_shared_from_this<Session> {
        explicit Session(tcp::socket s) : socket(std::move(s)) {}
        void read() {
            socket.async_read_some(asio::buffer(buf), [self = shared_from_this()](
                                                          const asio::error_code& ec, size_t n) {
                if (ec) return;
                asio::async_write(self->socket, asio::buffer(self->buf, n),
                                  [self](const asio::error_code& e, size_t) {
                                      if (!e) self->read();
                                  });
            });
        }
        tcp::socket socket;
        uint8_t buf[4096];
    };
    static void accept(tcp::acceptor& acceptor) {
        acceptor.async_accept([&acceptor](const asio::error_code& ec, tcp::socket s) {
            if (!ec) {
                s.set_option(tcp::no_delay(true));
                std::make_shared<Session>(std::move(s))->read();
            }
            accept(acceptor);
        });
    }
    static void serve(int reportFd) {
        asio::io_context io(1);
        tcp::acceptor acceptor(io, tcp::endpoint(asio::ip::address_v4::loopback(), 0));
        uint16_t port = acceptor.local_endpoint().port();
        if (::write(reportFd, &port, sizeof port) != sizeof port) return;
        ::close(reportFd);
        accept(acceptor);
        io.run();
    }
    pid_t pid_ = -1;
    int port_ = 0;
};

// One 64-byte round trip on a plain socket, polling; microseconds or -1.
double plainRoundTrip(int fd, const unsigned char* msg) {
    unsigned char back[64];
    double t0 = nowUs();
    if (::send(fd, msg, 64, MSG_NOSIGNAL) != 64) return -1;
    int got = 0;
    while (got < 64) {
        ssize_t r = ::recv(fd, back + got, 64 - got, MSG_DONTWAIT);
        if (r > 0)
            got += static_cast<int>(r);
        else if (r == 0 || (r < 0 && errno != EAGAIN))
            return -1;
    }
    double us = nowUs() - t0;
    return std::memcmp(msg, back, 64) == 0 ? us : -1;
}

// The same through the gateway, polling as a host does; microseconds or -1.
double gatewayRoundTrip(DTU_HANDLE h, const unsigned char* msg) {
    unsigned char back[64];
    double t0 = nowUs();
    if (DTU_SendData(h, msg, 64) != 64) return -1;
    int got = 0;
    auto deadline = Steady::now() + std::chrono::seconds(5);
    while (got < 64) {
        if (DTU_GetReceiveDataCount(h) > 0) got += DTU_ReceiveData(h, back + got, 64 - got);
        if (Steady::now() > deadline) return -1;
    }
    double us = nowUs() - t0;
    return std::memcmp(msg, back, 64) == 0 ? us : -1;
}

// A dtusim DTU connected straight to a socket of ours: its record is read and
// the socket is then its echo line.
int directDtu() {
    static std::vector<std::unique_ptr<lumavox::bench::DtusimProcess>> sims;
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return -1;
    sims.push_back(simulator(ntohs(a.sin_port), 1, 1));
    int fd = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    if (fd < 0) return -1;
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    unsigned char record[52];
    size_t have = 0;
    while (have < sizeof record) {
        ssize_t r = ::recv(fd, record + have, sizeof record - have, 0);
        if (r <= 0) return -1;
        have += static_cast<size_t>(r);
    }
    return fd;
}

// What the gateway does for one echo, done with bare Asio: an I/O thread of
// our own relays the host's bytes to a dtusim DTU connected straight to us and
// collects its answer in a buffer the host polls. The same parties are busy as
// on the gateway path (the host polling, one I/O thread, the DTU), without the
// gateway's framing, queues or its other connections.
class BareAsioRelay {
  public:
    explicit BareAsioRelay(int dtuFd) : socket_(io_), guard_(asio::make_work_guard(io_)) {
        socket_.assign(tcp::v4(), dtuFd);
        read();
        thread_ = std::thread([this] { io_.run(); });
    }
    ~BareAsioRelay() {
        guard_.reset();
        asio::post(io_, [this] {
            asio::error_code ec;
            socket_.close(ec);
        });
        thread_.join();
    }
    // Hands bytes to the I/O thread, as DTU_SendData does.
    void send(const unsigned char* data, size_t n) {
        auto bytes = std::make_shared<std::vector<unsigned char>>(data, data + n);
        asio::post(io_, [this, bytes] {
            asio::async_write(socket_, asio::buffer(*bytes),
                              [bytes](const asio::error_code&, size_t) {});
        });
    }
    // Takes what has arrived, as DTU_ReceiveData does.
    size_t receive(unsigned char* out, size_t capacity) {
        std::lock_guard<std::mutex> lock(lock_);
        size_t n = std::min(capacity, received_.size());
        std::copy_n(received_.begin(), n, out);
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }

  private:
    void read() {
        socket_.async_read_some(asio::buffer(buf_), [this](const asio::error_code& ec, size_t n) {
            if (ec) return;
            {
                std::lock_guard<std::mutex> lock(lock_);
                received_.insert(received_.end(), buf_, buf_ + n);
            }
            read();
        });
    }
    asio::io_context io_{1};
    tcp::socket socket_;
    asio::executor_work_guard<asio::io_context::executor_type> guard_;
    std::thread thread_;
    unsigned char buf_[4096];
    std::mutex lock_;
    std::vector<unsigned char> received_;
};

// One 64-byte round trip through the relay, polling; microseconds or -1.
double relayRoundTrip(BareAsioRelay& relay, const unsigned char* msg) {
    unsigned char back[64];
    double t0 = nowUs();
    relay.send(msg, 64);
    size_t got = 0;
    auto deadline = Steady::now() + std::chrono::seconds(5);
    while (got < 64) {
        got += relay.receive(back + got, 64 - got);
        if (Steady::now() > deadline) return -1;
    }
    double us = nowUs() - t0;
    return std::memcmp(msg, back, 64) == 0 ? us : -1;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 10000;
    int echoes = 2000;
    int window = 8;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--count") == 0) count = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--echoes") == 0) echoes = std::max(10, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--window") == 0) window = std::max(1, std::atoi(argv[i + 1]));
    }

    rlimit rl{};
    ::getrlimit(RLIMIT_NOFILE, &rl);
    const rlim_t softBefore = rl.rlim_cur;
    rl.rlim_cur = rl.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &rl);
    ::getrlimit(RLIMIT_NOFILE, &rl);
    std::printf("descriptors: soft limit %llu raised to %llu (hard limit)\n",
                static_cast<unsigned long long>(softBefore),
                static_cast<unsigned long long>(rl.rlim_cur));
    if (rl.rlim_cur < static_cast<rlim_t>(count) + 64) {
        count = static_cast<int>(rl.rlim_cur) - 64;
        std::printf("descriptors allow only %d DTUs in this process\n", count);
    }

    const int port = lumavox::bench::freePort();
    DTU_HANDLE server = DTU_AddNetServer("127.0.0.1", port, nullptr);
    if (DTU_Init(server) != 1) {
        std::fprintf(stderr, "the gateway cannot listen on %d\n", port);
        return 1;
    }
    const long rssBaseKb = statusKb("VmRSS:");

    std::vector<DTU_HANDLE> clients;
    clients.reserve(static_cast<size_t>(count));
    long long lastIdentified = 0, firstConnect = 0, lastConnect = 0;
    int connected = -1;
    const long long start = nowMs();
    {
        auto sim = simulator(port, count, window);
        std::string line;
        while (static_cast<int>(clients.size()) < count && nowMs() - start < 120000) {
            bool fetched = false;
            while (DTU_HANDLE c = DTU_GetNewConnectedClient(server)) {
                clients.push_back(c);
                fetched = true;
            }
            if (fetched) lastIdentified = nowMs();
            if (connected < 0 && sim->pollLine(line)) {
                int total = 0;
                std::sscanf(line.c_str(), "connected %d %d %lld %lld", &connected, &total,
                            &firstConnect, &lastConnect);
            }
            if (!fetched) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        while (connected < 0 && nowMs() - start < 120000) {
            if (sim->pollLine(line))
                std::sscanf(line.c_str(), "connected %d %*d %lld %lld", &connected, &firstConnect,
                            &lastConnect);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const long peakKb = statusKb("VmHWM:");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const long idleKb = statusKb("VmRSS:");
        const size_t n = clients.size();

        std::printf("\nDTUs: %d connected, %zu identified and fetched\n", connected, n);
        std::printf("connects: first to last %lld ms\n", lastConnect - firstConnect);
        std::printf(
            "all identified %lld ms after the last connect (aim: within 400 ms), %lld ms "
            "after the first\n",
            lastIdentified - lastConnect, lastIdentified - firstConnect);
        if (n > 0) {
            std::printf("memory: %ld KiB before connections, peak %ld KiB, idle %ld KiB\n",
                        rssBaseKb, peakKb, idleKb);
            const double peakPer = double(peakKb - rssBaseKb) / n;
            std::printf(
                "memory per connection: peak %.2f KiB, idle %.2f KiB (aim: at most 4 KiB, "
                "%s)\n",
                peakPer, double(idleKb - rssBaseKb) / n, peakPer <= 4.0 ? "met" : "NOT met");
        }

        // Echo round trips, interleaved in blocks. Besides the gateway and the
        // bare server, one more dtusim DTU connected straight to the benchmark
        // shows what the simulator's own echo costs.
        BareEchoServer bare;
        const int bareFd = lumavox::bench::connectLoopback(bare.port());
        const int directFd = directDtu();
        const int relayedFd = directDtu();
        if (bareFd < 0 || directFd < 0 || relayedFd < 0) return 1;
        BareAsioRelay relay(relayedFd);

        unsigned char msg[64];
        for (int i = 0; i < 64; ++i)
            msg[i] = static_cast<unsigned char>('A' + i % 26);
        std::vector<double> viaGateway, viaGatewaySpread, viaBare, viaDirect, viaRelay;
        DTU_HANDLE one = n > 0 ? clients[n / 2] : nullptr;
        bool ok = n > 0;
        const int block = 50;
        for (int done = 0; ok && done < echoes + 200; done += block) {
            const bool warmUp = done < 200;
            for (int i = 0; ok && i < block; ++i) {
                double us = gatewayRoundTrip(one, msg);
                double spreadUs =
                    gatewayRoundTrip(clients[static_cast<size_t>(done + i) * 7919 % n], msg);
                ok = us >= 0 && spreadUs >= 0;
                if (ok && !warmUp) {
                    viaGateway.push_back(us);
                    viaGatewaySpread.push_back(spreadUs);
                }
            }
            for (int i = 0; ok && i < block; ++i) {
                double bareUs = plainRoundTrip(bareFd, msg);
                double directUs = plainRoundTrip(directFd, msg);
                double relayUs = relayRoundTrip(relay, msg);
                ok = bareUs >= 0 && directUs >= 0 && relayUs >= 0;
                if (ok && !warmUp) {
                    viaBare.push_back(bareUs);
                    viaDirect.push_back(directUs);
                    viaRelay.push_back(relayUs);
                }
            }
        }
        ::close(bareFd);
        ::close(directFd);
        if (!ok) {
            std::fprintf(stderr, "an echo failed\n");
        } else {
            Stats g = stats(viaGateway), gs = stats(viaGatewaySpread), b = stats(viaBare),
                  d = stats(viaDirect), rl = stats(viaRelay);
            std::printf("\n64-byte echo, %zu round trips each, microseconds:\n", viaGateway.size());
            auto row = [](const char* what, const Stats& st) {
                std::printf("  %-34s median %7.1f  p90 %7.1f  p99 %7.1f  mean %7.1f\n", what,
                            st.median, st.p90, st.p99, st.mean);
            };
            row("through the gateway, one DTU:", g);
            row("through the gateway, DTU by DTU:", gs);
            row("bare Asio echo server:", b);
            row("dtusim DTU without the gateway:", d);
            row("bare Asio relay to a dtusim DTU:", rl);
            // Like with like: the relay keeps the same parties busy as the
            // gateway path (host, one I/O thread, the DTU); the echo server
            // has one party fewer and is shown for scale.
            const double ratio = g.median / rl.median;
            std::printf(
                "  ratio of medians, gateway (%zu connections) to bare Asio relay: %.2f "
                "(aim: within 2, %s)\n",
                n, ratio, ratio <= 2.0 ? "met" : "NOT met");
            std::printf("  ratio of medians, gateway to bare echo server (one party fewer): %.2f\n",
                        g.median / b.median);
        }
    }
    for (DTU_HANDLE c : clients)
        DTU_Delete(c);
    DTU_Uninit(server);
    DTU_Delete(server);
    return 0;
}

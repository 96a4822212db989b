// The GPRS gateway library under hostile load, with a host that fetches
// nothing while the attack runs.
//
// 1. Junk: in each of several rounds, dtusim --junk connects 200 DTUs that
//    send their record, then 1 MiB of junk each, and leave. Reported: the
//    process's resident size above its size before the first round, after
//    each round and at its peak, against the aim of staying under 64 MiB
//    after five rounds.
// 2. Descriptors: with the descriptor limit at 1024, 1,100 DTUs that send a
//    full record and stay connected; then one more, real DTU. Reported: how
//    long after its connect the real DTU is identified (queued for the host),
//    against the aim of 2 s.
//
// usage: bench_gateway_attack [--rounds N] [--count N] [--junk-kib N]
//                             [--flood N] [--limit N]
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "DtusimProcess.h"
#include "Gprslink.h"
#include "Loopback.h"
#include "TestHooks.h"

namespace {

namespace hooks = lumavox::gateway::testhooks;
using lumavox::bench::DtusimProcess;

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// The descriptors the process holds; "all" when not one is left to look.
std::string openDescriptors() {
    std::error_code ec;
    std::filesystem::directory_iterator it("/proc/self/fd", ec);
    if (ec) return "all its";
    size_t n = 0;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return std::to_string(n);
}

DTU_HANDLE listen(int port) {
    DTU_HANDLE server = DTU_AddNetServer("127.0.0.1", port, nullptr);
    if (DTU_Init(server) != 1) {
        std::fprintf(stderr, "the gateway cannot listen on %d\n", port);
        std::exit(1);
    }
    return server;
}

std::vector<std::string> dtus(int port, int count, const char* name) {
    return {"--gateway", "127.0.0.1:" + std::to_string(port),
            "--count",   std::to_string(count),
            "--name",    name};
}

void junkRounds(int rounds, int count, int junkKib) {
    const int port = lumavox::bench::freePort();
    DTU_HANDLE server = listen(port);
    const long baseKb = statusKb("VmRSS:");
    std::printf("junk: %d rounds of %d DTUs sending %d KiB each and leaving\n", rounds, count,
                junkKib);
    long lastKb = baseKb;
    for (int round = 1; round <= rounds; ++round) {
        auto args = dtus(port, count, "J%04d");
        args.insert(args.end(), {"--junk", std::to_string(junkKib)});
        DtusimProcess sim(DTUSIM_PATH, args);
        if (!sim.waitExit(300000)) std::printf("  round %d: dtusim did not finish\n", round);
        // A few identification periods for the gateway to notice who left.
        const long long settle = nowMs() + 2000;
        while (nowMs() < settle && (hooks::pendingCount() > 0 || hooks::queuedCount(server) > 0))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        lastKb = statusKb("VmRSS:");
        std::printf("  after round %d: %+.1f MiB resident, %zu queued, %.1f MiB buffered\n", round,
                    (lastKb - baseKb) / 1024.0, hooks::queuedCount(server),
                    hooks::bufferedBytes() / 1048576.0);
    }
    std::printf("after %d rounds: %+.1f MiB above the start, peak %+.1f MiB (aim: under 64 MiB)\n",
                rounds, (lastKb - baseKb) / 1024.0, (statusKb("VmHWM:") - baseKb) / 1024.0);
    DTU_Uninit(server);
    DTU_Delete(server);
}

void descriptorFlood(int flood, rlim_t limit) {
    rlimit rl{};
    ::getrlimit(RLIMIT_NOFILE, &rl);
    const rlim_t before = rl.rlim_cur;
    rl.rlim_cur = std::min(limit, rl.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &rl);
    const int port = lumavox::bench::freePort();
    DTU_HANDLE server = listen(port);
    std::printf("\ndescriptors: limit %llu, %d DTUs that send a full record and stay\n",
                static_cast<unsigned long long>(rl.rlim_cur), flood);
    DtusimProcess real(DTUSIM_PATH, dtus(port, 1, "REAL"), false);
    DtusimProcess attack(DTUSIM_PATH, dtus(port, flood, "A%04d"));
    std::string line;
    if (!attack.pollLine(line, 60000)) std::printf("  the attack did not connect\n");
    std::printf("  attack: %s; the process holds %s descriptors\n", line.c_str(),
                openDescriptors().c_str());
    real.start();
    long long firstAt = 0, connectedAt = 0;
    if (real.pollLine(line, 10000))
        std::sscanf(line.c_str(), "connected %*d %*d %lld %lld", &firstAt, &connectedAt);
    long long identifiedAt = 0;
    const long long end = nowMs() + 10000;
    while (!identifiedAt && nowMs() < end) {
        for (const auto& name : hooks::queuedNames(server))
            if (name == "REAL") identifiedAt = nowMs();
        if (!identifiedAt) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (connectedAt == 0)
        std::printf("  the real DTU could not connect\n");
    else if (identifiedAt == 0)
        std::printf("  the real DTU was not identified within 10 s (aim: within 2000 ms)\n");
    else
        std::printf(
            "  the real DTU was identified %lld ms after its connect (aim: within 2000 ms)\n",
            identifiedAt - connectedAt);
    std::printf("  then: %zu waiting for identification, %zu queued, %s descriptors held\n",
                hooks::pendingCount(), hooks::queuedCount(server), openDescriptors().c_str());
    DTU_Uninit(server);
    DTU_Delete(server);
    rl.rlim_cur = before;
    ::setrlimit(RLIMIT_NOFILE, &rl);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5, count = 200, junkKib = 1024, flood = 1100, limit = 1024;
    for (int i = 1; i + 1 < argc; i += 2) {
        int v = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = v;
        if (std::strcmp(argv[i], "--count") == 0) count = v;
        if (std::strcmp(argv[i], "--junk-kib") == 0) junkKib = v;
        if (std::strcmp(argv[i], "--flood") == 0) flood = v;
        if (std::strcmp(argv[i], "--limit") == 0) limit = v;
    }
    junkRounds(rounds, count, junkKib);
    descriptorFlood(flood, static_cast<rlim_t>(limit));
    return 0;
}

// Send-all of the large benchmark document through the GPRS route (the
// editor's gateway binding and monitor, a dtusim DTU bridging to signsim)
// against the same send-all over direct TCP to a signsim of its own, in one run.
// Reported: both times and their ratio, with the settle pauses after each
// transfer switched off (the route's own cost) and at the default 100 ms.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "BenchHome.h"
#include "DtusimProcess.h"
#include "LargeDocument.h"
#include "Loopback.h"
#include "QuietHost.h"
#include "SignsimProcess.h"
#include "embedded/EmbeddedResources.h"
#include "operations/GprsRoute.h"
#include "session/SendSession.h"

using namespace lumavox;
using WallClock = std::chrono::steady_clock;

namespace {

double run(CSignLink& link, const SessionConfig& c, const WorkArea& work) {
    QuietHost host;
    SendSession s(link, host, c, &work);
    auto start = WallClock::now();
    bool ok = s.run(UpdateKind::SendAll);
    double t = std::chrono::duration<double>(WallClock::now() - start).count();
    return ok ? t : -1;
}

}  // namespace

int main() {
    const std::filesystem::path home = bench::makeBenchHome("lumavox-bench-gprs");
    // One sign for each route: a sign serves one connection at a time, and
    // the DTU keeps its own.
    bench::SignsimProcess sim(LUMAVOX_SIGNSIM_PATH);
    bench::SignsimProcess gprsSim(LUMAVOX_SIGNSIM_PATH);
    if (home.empty() || sim.port() < 0 || gprsSim.port() < 0) {
        std::fprintf(stderr, "signsim did not start\n");
        return 1;
    }
    GprsGateway gateway(embeddedResources(),
                        ApplicationEnvironment::inHome(home, home / "store.ini"));
    const int port = lumavox::bench::freePort();
    gateway.monitor().Start(port);
    bench::DtusimProcess dtu(LUMAVOX_DTUSIM_PATH,
                             {"--gateway", "127.0.0.1:" + std::to_string(port), "--name", "BENCH",
                              "--sign", "tcp:127.0.0.1:" + std::to_string(gprsSim.port())});
    if (!waitForGprsDevices(gateway.monitor(), {"BENCH"}, 15000, SystemClock::instance()).empty()) {
        std::fprintf(stderr, "the DTU did not register\n");
        return 1;
    }
    WorkArea work = bench::largeDocument();

    SessionConfig tcp;
    tcp.route = Route::Tcp;
    tcp.groupName = "bench";
    tcp.groupAddresses = "127.0.0.1";
    tcp.link.tcpPort = sim.port();
    tcp.link.address = "1";
    tcp.alwaysDisplay = false;
    SessionConfig gprs = tcp;
    gprs.route = Route::Gprs;
    gprs.gprsDevices = std::vector<std::string>{"BENCH"};

    std::printf(
        "send-all of the large document to signsim: direct TCP against GPRS "
        "(gateway, dtusim)\n");
    std::printf("round  pauses  tcp s    gprs s   ratio\n");
    // The fastest of the rounds for each route and pause: the machine is
    // shared, and the slow rounds measure the other programs.
    double best[2][2] = {{1e9, 1e9}, {1e9, 1e9}};
    for (int round = 1; round <= 5; ++round) {
        for (int settle : {0, 100}) {
            tcp.settleMs = gprs.settleMs = settle;
            CSignLink tcpLink;
            CSignLink gprsLink;
            gprsLink.setGprsDevices(&gateway.monitor());
            double t = run(tcpLink, tcp, work);
            double g = run(gprsLink, gprs, work);
            if (t <= 0 || g <= 0) {
                std::fprintf(stderr, "a run failed\n");
                return 1;
            }
            best[settle ? 1 : 0][0] = std::min(best[settle ? 1 : 0][0], t);
            best[settle ? 1 : 0][1] = std::min(best[settle ? 1 : 0][1], g);
            std::printf("%5d  %4d ms  %6.3f  %6.3f  %5.2f\n", round, settle, t, g, g / t);
        }
    }
    for (int p = 0; p < 2; ++p)
        std::printf("fastest, %3d ms pauses: tcp %.3f s, gprs %.3f s, ratio %.2f\n", p ? 100 : 0,
                    best[p][0], best[p][1], best[p][1] / best[p][0]);
    gateway.monitor().Stop();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return 0;
}

// Send-all through the editor's route engine (the document replayed as method
// calls through the control's dispatch entry, the graphics written as BMP
// pictures first) against a host driving the control directly with the same
// content, in one run, to the virtual sign (signsim --nvs) over loopback TCP.
//
// Content as bench_control's: 200 text files of 2,000 characters (colour i %
// 26) and 20 pictures, here the document's 512 x 64 graphics (96 KiB BMP
// files). The direct host gets the same BMP files, written before it starts,
// and composes each file with one AddMessage. Both send with "clear memory"
// and every wait at its working value. The rounds alternate which side goes
// first; the ratio route / direct is printed as min / median / max.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "NVSOCX.h"
#include "SignsimProcess.h"
#include "embedded/EmbeddedResources.h"
#include "content/GraphicBmp.h"
#include "operations/ControlRoute.h"
#include "operations/ControlSetup.h"
#include "platform/Files.h"

using WallClock = std::chrono::steady_clock;

namespace {

using namespace lumavox;

int kRounds = 9;  // at least 9; a first argument may ask for more
constexpr int kTextFiles = 200;
constexpr int kCharacters = 2000;
constexpr int kPictures = 20;
constexpr int kWidth = 512;
constexpr int kHeight = 64;

double seconds(WallClock::time_point a, WallClock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

WorkArea benchDocument() {
    WorkArea work;
    work.signWidth = kWidth;
    work.signHeight = kHeight;
    work.colourType = 0;
    for (int i = 0; i < kTextFiles; ++i) {
        TextFile f;
        f.name = "T" + std::to_string(i);
        CharItem c;
        c.font = 1;
        c.colour = static_cast<uint8_t>(i % 26);
        c.character = 'A';
        f.items.assign(kCharacters, TextItem::character(c));
        CharItem end = c;
        end.character = kCR;
        f.items.push_back(TextItem::character(end));  // the end-of-text marker
        work.textFiles.push_back(std::move(f));
    }
    const uint32_t colours[] = {kPixelRed, kPixelGreen, kPixelYellow, 0};
    for (int i = 0; i < kPictures; ++i) {
        GraphicFile g;
        g.name = "img" + std::to_string(i);
        g.width = kWidth;
        g.height = kHeight;
        g.pixels.resize(size_t{kWidth} * kHeight);
        for (size_t p = 0; p < g.pixels.size(); ++p)
            g.pixels[p] = colours[(p * 31 + static_cast<size_t>(i) * 7) % 4];
        work.graphics.push_back(std::move(g));
    }
    return work;
}

struct DirectState {
    int finalId = 0;
    int64_t total = 0;
    std::string text;
};

void onResult(void* u, int16_t id, int16_t r, const char* t) {
    auto* s = static_cast<DirectState*>(u);
    if (id == 100 || id == 3 || (id == 2 && r != 1) || (id == 1 && r == 0)) {
        s->finalId = id;
        s->text = t ? t : "";
    }
}
void onProgress(void* u, int16_t type, int32_t step) {
    if (type == 1) static_cast<DirectState*>(u)->total = step;
}

// The host that drives the control itself.
bool sendDirect(NVSOCX_Handle h, int port, const std::vector<std::filesystem::path>& pictures,
                int64_t& total, double& compose) {
    auto t0 = WallClock::now();
    DirectState state;
    NVSOCX_SetEventHandlers(h, onResult, nullptr, onProgress, &state);
    NVSOCX_ClearContent(h);
    NVSOCX_SetCommuMode(h, 2);
    NVSOCX_SetIPAndPort(h, "127.0.0.1", port);
    NVSOCX_StartSend(h, -1);
    NVSOCX_SetSignInfo(h, kWidth, kHeight, 0);
    for (const auto& p : pictures)
        NVSOCX_AddDiskFile(h, p.c_str(), p.filename().c_str());
    const std::string text(kCharacters, 'A');
    for (int i = 0; i < kTextFiles; ++i) {
        NVSOCX_AddRichFile(h, ("T" + std::to_string(i)).c_str());
        NVSOCX_SetFont(h, 1);
        NVSOCX_SetColorIndex(h, static_cast<int16_t>(i % 26));
        NVSOCX_AddMessage(h, text.c_str());
    }
    compose = seconds(t0, WallClock::now());
    bool ok = NVSOCX_SendFiles(h, "1", 1, 1) == 1;
    auto end = WallClock::now() + std::chrono::minutes(10);
    while (ok && !state.finalId && WallClock::now() < end) {
        pollfd p{NVSOCX_EventFd(h), POLLIN, 0};
        ::poll(&p, 1, 10);
        NVSOCX_DispatchEvents(h);
    }
    NVSOCX_StopSend(h);
    NVSOCX_SetEventHandlers(h, nullptr, nullptr, nullptr, nullptr);
    total = state.total;
    if (state.finalId != 100) std::fprintf(stderr, "direct send failed: %s\n", state.text.c_str());
    return state.finalId == 100;
}

struct RouteHost : ControlRouteHost {
    int64_t total = 0;
    bool failed = false;
    void addResult(const std::string&) override {}
    void progressRange(int32_t high) override { total = high; }
    void progressPosition(int32_t) override {}
    void message(const std::string& t, Icon) override {
        failed = true;
        std::fprintf(stderr, "route: %s\n", t.c_str());
    }
    bool askYesNo(const std::string&, Icon) override { return false; }
};

// `compose` is the time of "Update" itself: pictures written, connection set
// up, the document replayed as calls and the send queued.
bool sendRoute(ControlRoute& route, RouteHost& host, const ControlRouteConfig& config,
               const WorkArea& work, double& compose) {
    host.failed = false;
    auto t0 = WallClock::now();
    if (!route.start(UpdateKind::SendAll, config, &work)) return false;
    compose = seconds(t0, WallClock::now());
    auto end = WallClock::now() + std::chrono::minutes(10);
    while (route.running() && WallClock::now() < end) {
        pollfd p{route.eventFd(), POLLIN, 0};
        ::poll(&p, 1, 10);
        route.dispatch();
    }
    return !route.running() && !host.failed && route.failures() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) kRounds = std::max(1, std::atoi(argv[1]));
    ::unsetenv("NVSOCX_TEST_TIMINGS");
    const std::filesystem::path home = bench::makeBenchHome("bench-control-route");
    if (home.empty()) return 1;
    bench::SignsimProcess sim(SIGNSIM_PATH, {"--nvs"});
    if (sim.port() < 0) {
        std::fprintf(stderr, "bench_control_route: signsim did not start\n");
        return 1;
    }
    const WorkArea work = benchDocument();

    // The direct host's pictures: the same BMP files the route writes.
    const std::filesystem::path pictureDir = home / "pictures";
    std::filesystem::create_directories(pictureDir);
    std::vector<std::filesystem::path> pictures;
    for (const GraphicFile& g : work.graphics) {
        pictures.push_back(pictureDir / (g.name.str() + ".bmp"));
        std::string error;
        if (!writeFileAtomically(pictures.back(), encodeGraphicBmp(g), error)) {
            std::fprintf(stderr, "bench_control_route: %s\n", error.c_str());
            return 1;
        }
    }

    // The route's control is created by class identifier, as the editor does.
    const std::string prepared = PrepareControl(home, embeddedResources());
    NVSOCX_Object* object = prepared.empty() ? NVSOCX_CreateByClassId(NVSOCX_CLSID) : nullptr;
    if (!object) {
        std::fprintf(stderr, "bench_control_route: no control: %s\n", prepared.c_str());
        return 1;
    }
    RouteHost host;
    int status = 0;
    {
        ControlRoute route(*object, host);
        ControlRouteConfig config;
        config.sendType = SendType::TcpIp;
        config.tcpPort = sim.port();
        config.targets = {"127.0.0.1"};
        config.addressList = "1";
        config.clearMemory = true;
        config.checkEach = true;
        config.imageDir = home / "NVS_Img";

        NVSOCX_Handle direct = NVSOCX_Create();
        std::vector<double> directTimes, routeTimes, ratios, directCompose, routeCompose;
        int64_t directBytes = 0, routeBytes = 0;
        for (int round = 0; round < kRounds && status == 0; ++round) {
            double d = 0, r = 0, dc = 0, rc = 0;
            for (int side = 0; side < 2; ++side) {
                const bool routeSide = (side == 0) == (round % 2 == 1);
                auto t0 = WallClock::now();
                bool ok = routeSide ? sendRoute(route, host, config, work, rc)
                                    : sendDirect(direct, sim.port(), pictures, directBytes, dc);
                auto t1 = WallClock::now();
                if (!ok) {
                    std::fprintf(stderr, "bench_control_route: %s send failed in round %d\n",
                                 routeSide ? "route" : "direct", round);
                    status = 1;
                    break;
                }
                (routeSide ? r : d) = seconds(t0, t1);
            }
            if (status) break;
            routeBytes = host.total;
            directTimes.push_back(d);
            routeTimes.push_back(r);
            ratios.push_back(r / d);
            directCompose.push_back(dc);
            routeCompose.push_back(rc);
            std::printf("round %d: direct %.3f s  route %.3f s  ratio %.3f\n", round + 1, d, r,
                        r / d);
        }
        NVSOCX_Destroy(direct);
        if (status == 0) {
            std::sort(ratios.begin(), ratios.end());
            std::sort(directTimes.begin(), directTimes.end());
            std::sort(routeTimes.begin(), routeTimes.end());
            std::sort(directCompose.begin(), directCompose.end());
            std::sort(routeCompose.begin(), routeCompose.end());
            const size_t mid = ratios.size() / 2;
            std::printf("content: %d text files x %d chars, %d pictures %dx%d (%zu-byte BMP)\n",
                        kTextFiles, kCharacters, kPictures, kWidth, kHeight,
                        encodeGraphicBmp(work.graphics[0]).size());
            std::printf("bytes on the line:  direct %lld  route %lld%s\n",
                        static_cast<long long>(directBytes), static_cast<long long>(routeBytes),
                        directBytes == routeBytes ? "" : "  (differ!)");
            std::printf("direct send:        median %.3f s (composing %.3f s)\n", directTimes[mid],
                        directCompose[mid]);
            std::printf("route send:         median %.3f s (pictures and replay %.3f s)\n",
                        routeTimes[mid], routeCompose[mid]);
            std::printf("ratio route/direct: min %.3f  median %.3f  max %.3f  (target <= 1.1)\n",
                        ratios.front(), ratios[mid], ratios.back());
            if (directBytes != routeBytes) status = 1;
        }
    }
    NVSOCX_ReleaseObject(object);
    std::filesystem::remove_all(home);
    return status;
}

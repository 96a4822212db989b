// lumavox-server as a process on loopback, with virtual signs (signsim) behind
// simulated GPRS devices (dtusim), measured against its targets:
//  1. signs registered through the API, one request each, from one client and
//     from several at once;
//  2. API latency (median, 99th percentile) with the signs registered and an
//     events stream open: the list of signs, one sign, a sign's jobs and a
//     command queued for one sign, in turn;
//  3. one quick message to a group of GPRS signs, delivered to all, against
//     the same operation run over the gateway directly (no service) with the
//     same number of sessions at once; the service's memory per sign;
//  4. kill -9 while delivering to a group of TCP signs, restart: no queued job
//     lost, none reported delivered that the sign does not hold, the database
//     intact.
// usage: bench_server [--signs N] [--clients N] [--kill-signs N] [--requests N]
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../tests/support/TiedChild.h"
#include "BenchHome.h"
#include "DtusimProcess.h"
#include "Loopback.h"
#include "SignsimProcess.h"
// The carried libraries' table, in the folder of the embedded resources
// (beside the editor's program start-up in older trees).
#include "content/Document.h"
#include "content/Json.h"
#include "embedded/EmbeddedResources.h"
#include "operations/Environment.h"
#include "operations/GprsRoute.h"
#include "operations/Operations.h"
#include "operations/Settings.h"
#include "server/Delivery.h"
#include "server/JobRequest.h"
#include "session/SessionHost.h"
#include "transport/SignLink.h"

using namespace lumavox;
namespace fs = std::filesystem;
using WallClock = std::chrono::steady_clock;

namespace {

int64_t epochMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

double secondsSince(WallClock::time_point start) {
    return std::chrono::duration<double>(WallClock::now() - start).count();
}

bool waitUntil(const std::function<bool()>& done, int limitMs, int stepMs = 100) {
    for (int waited = 0; waited < limitMs; waited += stepMs) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
    return done();
}

JsonValue parsed(const std::string& text) {
    JsonValue v;
    std::string error;
    parseJson(text, v, error);
    return v;
}

// Resident memory of a process in KiB, from /proc.
long residentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// The service as a child process on a free port, its state in `state`.
class ServerProcess {
  public:
    ServerProcess(const fs::path& state, const fs::path& home, int gprsPort) {
        std::vector<std::string> args = {
            LUMAVOX_SERVER_PATH, "--state",     state.string(),           "--listen",
            "127.0.0.1:0",       "--gprs-port", std::to_string(gprsPort), "--home",
            home.string()};
        std::vector<const char*> argv;
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) return;
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            test::tieToStartingProcess(parent);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execv(argv[0], const_cast<char* const*>(argv.data()));
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
        const std::string prefix = "listening on http://127.0.0.1:";
        std::string line;
        char c;
        pollfd p{out_, POLLIN, 0};
        while (::poll(&p, 1, 15000) > 0 && ::read(out_, &c, 1) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line.rfind(prefix, 0) == 0) {
                port_ = std::atoi(line.c_str() + prefix.size());
                break;
            }
            line.clear();
        }
        std::ifstream token(state / "token");
        std::getline(token, token_);
    }
    ~ServerProcess() {
        if (pid_ > 0) stop();
        if (out_ >= 0) ::close(out_);
    }
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    const std::string& token() const { return token_; }
    std::unique_ptr<httplib::Client> client() const {
        auto c = std::make_unique<httplib::Client>("127.0.0.1", port_);
        c->set_bearer_token_auth(token_.c_str());
        c->set_keep_alive(true);
        c->set_tcp_nodelay(true);  // as curl: a POST's body follows its head at once
        c->set_read_timeout(60, 0);
        return c;
    }
    void stop() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    void killHard() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
    std::string token_;
};

// The events stream read on a thread of its own until the service stops:
// the ids of the jobs it reported delivered.
class EventsReader {
  public:
    explicit EventsReader(const ServerProcess& server) {
        thread_ = std::thread([this, port = server.port(), token = server.token()] {
            httplib::Client c("127.0.0.1", port);
            c.set_bearer_token_auth(token.c_str());
            c.set_read_timeout(3600, 0);
            c.Get("/api/v1/events", [this](const char* data, size_t n) {
                open_ = true;
                buffer_.append(data, n);
                for (size_t nl; (nl = buffer_.find('\n')) != std::string::npos;) {
                    const std::string line = buffer_.substr(0, nl);
                    buffer_.erase(0, nl + 1);
                    if (line.rfind("data: ", 0) != 0) continue;
                    ++events_;
                    const JsonValue v = parsed(line.substr(6));
                    const JsonValue* state = v.find("state");
                    const JsonValue* id = v.find("id");
                    if (state && id && state->text == "delivered") {
                        std::lock_guard lock(mutex_);
                        delivered_.insert(static_cast<int64_t>(id->number));
                    }
                }
                return true;
            });
        });
    }
    ~EventsReader() { thread_.join(); }  // the service has stopped by now
    bool open() const { return open_; }
    long events() const { return events_; }
    size_t deliveredAmong(const std::vector<int64_t>& ids) {
        std::lock_guard lock(mutex_);
        return static_cast<size_t>(std::count_if(
            ids.begin(), ids.end(), [&](int64_t id) { return delivered_.count(id) > 0; }));
    }

  private:
    std::thread thread_;
    std::atomic<bool> open_{false};
    std::atomic<long> events_{0};
    std::string buffer_;
    std::mutex mutex_;
    std::set<int64_t> delivered_;
};

// Ends the run at once; the child processes end with it.
[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "bench_server: %s\n", why.c_str());
    std::fflush(stdout);
    std::_Exit(1);
}

struct Figure {
    std::string what;
    std::string value;
    std::string target;
    bool met;
};
std::vector<Figure> figures;

void figure(const std::string& what, const std::string& value, const std::string& target,
            bool met) {
    figures.push_back({what, value, target, met});
    std::printf("  %-58s %s\n", what.c_str(), value.c_str());
    std::fflush(stdout);
}

std::string format(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t at = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(at, v.size() - 1)];
}

std::vector<int64_t> idsOf(const std::string& body) {
    std::vector<int64_t> ids;
    const JsonValue v = parsed(body);
    if (const JsonValue* list = v.find("ids"))
        for (const JsonValue& e : list->elements)
            ids.push_back(static_cast<int64_t>(e.number));
    return ids;
}

// The bytes signsim --store keeps of text file `name` of the line's sign 1.
std::string storedText(const fs::path& store, const std::string& name) {
    std::string hex;
    char buf[3];
    for (size_t i = 0; i < 8; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", i < name.size() ? name[i] : 0);
        hex += buf;
    }
    std::ifstream in(store / "sign1" / "text" / (hex + ".bin"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A device name fits the registration record's eight characters.
std::string deviceName(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "D%04d", i);
    return buf;
}

// Answers as the service does: nobody is there, every question is Yes.
class YesHost : public SessionHost {
  public:
    void status(const std::string&) override {}
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void message(const std::string&, Icon) override {}
    bool askYesNo(const std::string&, Icon) override { return true; }
    void fileList(const std::vector<FileEntry>&) override {}
    void pump() override {}
    bool cancelRequested() const override { return false; }
};

// Virtual signs, one process each (a sign serves one connection at a time),
// each keeping what it receives in a folder of its own.
struct SignFleet {
    std::vector<std::unique_ptr<bench::SignsimProcess>> signs;
    std::vector<fs::path> stores;
    bool start(const fs::path& root, int count) {
        for (int i = 0; i < count; ++i) {
            const fs::path store = root / ("sign" + std::to_string(i + 1));
            const std::string storeText = store.string();
            signs.push_back(std::make_unique<bench::SignsimProcess>(
                LUMAVOX_SIGNSIM_PATH, std::initializer_list<const char*>{
                                          "--store", storeText.c_str(), "--size", "96x16"}));
            stores.push_back(store);
            if (signs.back()->port() < 0) return false;
        }
        return true;
    }
};

// One DTU process in front of each sign, registering with the gateway on
// `gatewayPort` as BENCH0001 ...
std::vector<std::unique_ptr<bench::DtusimProcess>> startDevices(const SignFleet& fleet,
                                                                int gatewayPort) {
    std::vector<std::unique_ptr<bench::DtusimProcess>> devices;
    for (size_t i = 0; i < fleet.signs.size(); ++i)
        devices.push_back(std::make_unique<bench::DtusimProcess>(
            LUMAVOX_DTUSIM_PATH,
            std::vector<std::string>{"--gateway", "127.0.0.1:" + std::to_string(gatewayPort),
                                     "--name", deviceName(static_cast<int>(i) + 1), "--id",
                                     std::to_string(70000001 + i), "--sign",
                                     "tcp:127.0.0.1:" + std::to_string(fleet.signs[i]->port())}));
    return devices;
}

// Registers `count` GPRS signs b1 ... in group "fleet" through the API, from
// `clients` connections at once; the seconds it took.
double registerSigns(const ServerProcess& server, int count, int clients) {
    const auto start = WallClock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            auto api = server.client();
            for (int i = 1 + c; i <= count; i += clients) {
                const std::string body =
                    R"({"name":"b)" + std::to_string(i) + R"(","link":"gprs:)" + deviceName(i) +
                    R"(","address":1,"width":96,"height":16,"groups":["fleet"]})";
                auto r = api->Post("/api/v1/signs", body, "application/json");
                if (!r || r->status != 201)
                    fail("sign " + std::to_string(i) + " refused: " + (r ? r->body : "no answer"));
            }
        });
    for (std::thread& t : threads)
        t.join();
    return secondsSince(start);
}

const char* kMessage = R"({"text":"Fleet message","colour":"[GRN]","speed":5})";

}  // namespace

int main(int argc, char** argv) {
    int signCount = 1000, killSigns = 100, requests = 2000, clients = 8;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const int v = std::atoi(argv[i + 1]);
        if (a == "--signs") signCount = std::max(1, v);
        if (a == "--kill-signs") killSigns = std::max(1, v);
        if (a == "--requests") requests = std::max(4, v);
        if (a == "--clients") clients = std::max(1, v);
    }
    signal(SIGPIPE, SIG_IGN);
    const fs::path home = bench::makeBenchHome("lumavox-bench-server");
    if (home.empty()) return 1;
    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(home.string());
    const Settings settings = SettingsStore(environment).LoadSettings();
    // The gateway alone runs as many sessions at once as the service does.
    const int sessionCap = server::DeliveryOptions{}.maxSessions;
    std::printf(
        "lumavox-server on loopback: %d GPRS signs, %d TCP signs for the kill, "
        "%d sessions at once\n",
        signCount, killSigns, sessionCap);

    // ---- 1. Registration, and the memory it takes ----
    const int gatewayPort = bench::freePort();
    auto server = std::make_unique<ServerProcess>(home / "state", home, gatewayPort);
    if (server->port() <= 0) {
        fail("the service did not start");
    }
    auto api = server->client();
    waitUntil([&] { return api->Get("/healthz") != nullptr; }, 5000, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long rssEmpty = residentKiB(server->pid());
    std::printf("1. registration\n");
    // One client after another's answer, as a plain script does: every sign is
    // a commit of its own, flushed before its answer.
    {
        ServerProcess single(home / "state-single", home, 0);
        const double t = registerSigns(single, signCount, 1);
        figure(std::to_string(signCount) + " signs registered, one client", format("%.3f s", t),
               "< 2 s", t < 2.0);
    }
    const double registration = registerSigns(*server, signCount, clients);
    figure(std::to_string(signCount) + " signs registered, " + std::to_string(clients) +
               " clients at once",
           format("%.3f s", registration), "< 2 s", registration < 2.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long rssFull = residentKiB(server->pid());

    // ---- 2. Latency with an events stream open ----
    std::printf("2. API latency\n");
    EventsReader events(*server);
    waitUntil([&] { return events.open(); }, 5000, 20);
    const char* kinds[] = {"GET /api/v1/signs", "GET /api/v1/signs/{name}",
                           "GET /api/v1/jobs?sign=", "POST /api/v1/jobs"};
    std::vector<double> all, byKind[4];
    std::vector<int64_t> commandJobs;
    unsigned seed = 12345;
    for (int n = 0; n < requests; ++n) {
        seed = seed * 1103515245 + 12345;
        const std::string sign = "b" + std::to_string(1 + (seed >> 8) % signCount);
        const int kind = n % 4;
        auto t = WallClock::now();
        // A command expires at once: the device is not connected yet.
        httplib::Result r =
            kind == 0   ? api->Get("/api/v1/signs")
            : kind == 1 ? api->Get(("/api/v1/signs/" + sign).c_str())
            : kind == 2
                ? api->Get(("/api/v1/jobs?sign=" + sign).c_str())
                : api->Post("/api/v1/jobs",
                            R"({"sign":")" + sign + R"(","command":"adjust-time","expires":1})",
                            "application/json");
        const double ms = secondsSince(t) * 1000;
        if (!r || r->status >= 300) {
            fail(std::string(kinds[kind]) + " refused: " + (r ? r->body : "no answer"));
        }
        if (kind == 3) commandJobs.push_back(idsOf(r->body).front());
        all.push_back(ms);
        byKind[kind].push_back(ms);
    }
    for (int k = 0; k < 4; ++k)
        std::printf("  %-28s median %6.2f ms  p99 %6.2f ms  max %6.2f ms\n", kinds[k],
                    percentile(byKind[k], 0.5), percentile(byKind[k], 0.99),
                    *std::max_element(byKind[k].begin(), byKind[k].end()));
    const double median = percentile(all, 0.5), p99 = percentile(all, 0.99);
    figure("API median, " + std::to_string(requests) + " requests, events stream open",
           format("%.2f ms", median), "< 5 ms", median < 5.0);
    figure("API 99th percentile", format("%.2f ms", p99), "< 50 ms", p99 < 50.0);
    // The commands expire before the group message goes out.
    waitUntil(
        [&] {
            auto r = api->Get(("/api/v1/jobs/" + std::to_string(commandJobs.back())).c_str());
            return r && parsed(r->body).find("state")->text == "expired";
        },
        10000, 200);

    // ---- 3. A group message over GPRS, against the gateway alone ----
    std::printf("3. a quick message to %d GPRS signs\n", signCount);
    SignFleet fleet;
    if (!fleet.start(home / "signs", signCount)) {
        fail("signsim did not start");
    }
    auto devices = startDevices(fleet, gatewayPort);
    auto connected = [&] {
        auto r = api->Get("/api/v1/signs");
        if (!r) return 0;
        const JsonValue v = parsed(r->body);
        int n = 0;
        for (const JsonValue& s : v.find("signs")->elements)
            if (const JsonValue* c = s.find("connected"); c && c->boolean) ++n;
        return n;
    };
    if (!waitUntil([&] { return connected() == signCount; }, 120000, 500)) {
        fail("only " + std::to_string(connected()) + " devices registered with the service");
    }
    const int64_t posted = epochMs();
    auto start = WallClock::now();
    auto r =
        api->Post("/api/v1/jobs", std::string(R"({"group":"fleet","message":)") + kMessage + "}",
                  "application/json");
    if (!r || r->status != 202) {
        fail("the group message was refused");
    }
    const std::vector<int64_t> groupJobs = idsOf(r->body);
    waitUntil([&] { return events.deliveredAmong(groupJobs) == groupJobs.size(); }, 900000, 50);
    const double seenDelivered = secondsSince(start);
    // Each job's own record: its state and when it ended.
    int delivered = 0;
    int64_t lastEnd = posted;
    std::map<std::string, int> otherStates;
    for (int64_t id : groupJobs) {
        auto j = api->Get(("/api/v1/jobs/" + std::to_string(id)).c_str());
        const JsonValue v = parsed(j ? j->body : "");
        const std::string state = v.find("state") ? v.find("state")->text : "?";
        if (state == "delivered") {
            ++delivered;
            lastEnd = std::max(lastEnd, static_cast<int64_t>(v.find("updatedAt")->number));
        } else {
            ++otherStates[state];
        }
    }
    for (const auto& [state, n] : otherStates)
        std::printf("  %d jobs %s\n", n, state.c_str());
    const double serviceSeconds = (lastEnd - posted) / 1000.0;
    int holding = 0;
    for (const fs::path& store : fleet.stores)
        holding += storedText(store, "MESSAGE").find("Fleet message") != std::string::npos;
    figure("jobs delivered / signs holding the message",
           std::to_string(delivered) + " / " + std::to_string(holding), "all",
           delivered == signCount && holding == signCount);
    std::printf("  the service: last delivery %.3f s after the request (events stream: %.3f s)\n",
                serviceSeconds, seenDelivered);
    devices.clear();  // the devices leave the service's gateway

    // The same operation over the gateway directly, as many sessions at once.
    GprsGateway gateway(embeddedResources(), environment);
    const int directPort = bench::freePort();
    if (!gateway.monitor().Start(directPort)) {
        fail("the gateway did not start");
    }
    devices = startDevices(fleet, directPort);
    std::vector<std::string> names;
    for (int i = 1; i <= signCount; ++i)
        names.push_back(deviceName(i));
    if (!waitForGprsDevices(gateway.monitor(), names, 120000, SystemClock::instance()).empty()) {
        fail("the devices did not register with the gateway");
    }
    std::vector<std::vector<uint8_t>> documents(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        server::SignRecord sign;
        sign.name = "b" + std::to_string(i + 1);
        sign.link = "gprs:" + names[i];
        sign.width = 96;
        sign.height = 16;
        std::string error;
        if (!server::quickMessageDocument(parsed(kMessage), sign, documents[i], error)) {
            fail(error);
        }
    }
    std::atomic<size_t> next{0};
    std::atomic<int> directOk{0};
    start = WallClock::now();
    std::vector<std::thread> workers;
    for (int w = 0; w < sessionCap; ++w)
        workers.emplace_back([&] {
            for (size_t i; (i = next++) < names.size();) {
                Settings s = settings;
                OperationRequest request;
                std::string error;
                parseLinkText("gprs:" + names[i], s, request.link.emplace(), error);
                request.address = "1";
                request.alwaysDisplay = false;
                request.sendOptions = 0;
                OpenOptions open;
                OpenResult doc = readDocument(documents[i], open);
                YesHost host;
                CSignLink link(comPortsFrom(s));
                link.setGprsDevices(&gateway.monitor());
                directOk +=
                    runOperation(*findOperation("send-all"), link, host, &doc.work, s, request).ok;
            }
        });
    for (std::thread& t : workers)
        t.join();
    const double directSeconds = secondsSince(start);
    devices.clear();
    gateway.monitor().Stop();
    std::printf("  the gateway alone: %d of %zu sent in %.3f s\n", directOk.load(), names.size(),
                directSeconds);
    const double ratio = serviceSeconds / directSeconds;
    figure("group message through the service / gateway alone",
           format("%.3f s / ", serviceSeconds) + format("%.3f s = ", directSeconds) +
               format("%.2fx", ratio),
           "<= 2x", ratio <= 2.0 && directOk == signCount);
    figure("service memory (RSS): 0 signs / " + std::to_string(signCount) + " signs",
           std::to_string(rssEmpty) + " / " + std::to_string(rssFull) + " KiB", "reported", true);
    figure("memory per registered sign",
           format("%.2f KiB", static_cast<double>(rssFull - rssEmpty) / signCount), "reported",
           true);
    server.reset();  // SIGTERM; the events stream ends with it

    // ---- 4. kill -9 while delivering ----
    std::printf("4. kill -9 while delivering to %d signs\n", killSigns);
    const fs::path state = home / "state-kill";
    SignFleet tcpSigns;
    if (!tcpSigns.start(home / "tcp-signs", killSigns)) fail("signsim did not start");
    server = std::make_unique<ServerProcess>(state, home, 0);
    api = server->client();
    for (int i = 0; i < killSigns; ++i) {
        const std::string body = R"({"name":"t)" + std::to_string(i + 1) +
                                 R"(","link":"tcp:127.0.0.1:)" +
                                 std::to_string(tcpSigns.signs[static_cast<size_t>(i)]->port()) +
                                 R"(","address":1,"width":96,"height":16,"groups":["hundred"]})";
        auto a = api->Post("/api/v1/signs", body, "application/json");
        if (!a || a->status != 201) fail("a TCP sign was refused");
    }
    r = api->Post("/api/v1/jobs",
                  R"({"group":"hundred","message":{"text":"Kill test","colour":"[RED]"}})",
                  "application/json");
    if (!r || r->status != 202) fail("the message to the TCP signs was refused");
    const std::vector<int64_t> killJobs = idsOf(r->body);
    // The kill lands once a third are delivered, while others are sending.
    auto countDelivered = [&] {
        auto l = api->Get("/api/v1/jobs?limit=10000");
        int n = 0;
        if (l)
            for (const JsonValue& j : parsed(l->body).find("jobs")->elements)
                n += j.find("state")->text == "delivered";
        return n;
    };
    waitUntil([&] { return countDelivered() * 3 >= killSigns; }, 120000, 10);
    server->killHard();
    server.reset();
    // What the file says, before anything else opens it.
    std::map<std::string, int> atKill;
    std::vector<std::pair<int64_t, std::string>> deliveredAtKill;
    std::string integrity;
    size_t jobsFound = 0;
    {
        sqlite3* db = nullptr;
        sqlite3_open((state / "lumavox-server.db").c_str(), &db);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            integrity += reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
        sqlite3_prepare_v2(db, "SELECT id, sign, state FROM jobs", -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            const int64_t id = sqlite3_column_int64(s, 0);
            const std::string sign = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            const std::string st = reinterpret_cast<const char*>(sqlite3_column_text(s, 2));
            jobsFound += std::count(killJobs.begin(), killJobs.end(), id);
            ++atKill[st];
            if (st == "delivered") deliveredAtKill.emplace_back(id, sign);
        }
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    std::string states;
    for (const auto& [st, n] : atKill)
        states += (states.empty() ? "" : ", ") + std::to_string(n) + " " + st;
    std::printf("  at the kill: %s\n", states.c_str());
    auto holds = [&](const std::string& sign) {
        const size_t i = static_cast<size_t>(std::atoi(sign.c_str() + 1) - 1);
        return storedText(tcpSigns.stores[i], "MESSAGE").find("Kill test") != std::string::npos;
    };
    int falseDelivered = 0;
    for (const auto& [id, sign] : deliveredAtKill)
        falseDelivered += !holds(sign);
    figure("integrity_check after kill -9", integrity, "ok", integrity == "ok");
    figure("jobs on file after the kill / accepted",
           std::to_string(jobsFound) + " / " + std::to_string(killJobs.size()), "all",
           jobsFound == killJobs.size());
    figure("reported delivered at the kill, not on the sign",
           std::to_string(falseDelivered) + " of " + std::to_string(deliveredAtKill.size()), "0",
           falseDelivered == 0);
    server = std::make_unique<ServerProcess>(state, home, 0);
    api = server->client();
    start = WallClock::now();
    waitUntil([&] { return countDelivered() == static_cast<int>(killJobs.size()); }, 300000, 200);
    const double rest = secondsSince(start);
    int deliveredAfter = 0, falseAfter = 0;
    for (int64_t id : killJobs) {
        auto j = api->Get(("/api/v1/jobs/" + std::to_string(id)).c_str());
        const JsonValue v = parsed(j ? j->body : "");
        if (v.find("state") && v.find("state")->text == "delivered") {
            ++deliveredAfter;
            falseAfter += !holds(v.find("sign")->text);
        }
    }
    server.reset();
    figure("delivered after the restart (all jobs)",
           std::to_string(deliveredAfter) + " / " + std::to_string(killJobs.size()) +
               format(" in %.2f s", rest),
           "all", deliveredAfter == static_cast<int>(killJobs.size()));
    figure("reported delivered after the restart, not on the sign", std::to_string(falseAfter), "0",
           falseAfter == 0);

    std::printf("\n%-60s %-28s %-10s %s\n", "figure", "measured", "target", "");
    for (const Figure& f : figures)
        std::printf("%-60s %-28s %-10s %s\n", f.what.c_str(), f.value.c_str(), f.target.c_str(),
                    f.met ? "met" : "MISSED");
    std::error_code ec;
    fs::remove_all(home, ec);
    return 0;
}

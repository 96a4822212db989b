// lumavox-server: keeps a fleet of signs up to date. A registry of signs and a
// queue of jobs in one SQLite file, delivered over every route the editor has,
// behind an HTTP API (see README "Running a fleet").
#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "embedded/EmbeddedResources.h"
#include "operations/Environment.h"
#include "operations/Settings.h"
#include "platform/Files.h"
#include "server/Api.h"
#include "server/Delivery.h"
#include "server/Events.h"
#include "server/Import.h"
#include "server/SqliteStore.h"
#include "server/StateFolder.h"
#include "server/WebFiles.h"

namespace fs = std::filesystem;
using namespace lumavox;
using namespace lumavox::server;

namespace {

constexpr const char* kUsage =
    "usage: lumavox-server [--state DIR] [--listen ADDR:PORT] [--gprs-port N] [--home DIR]\n"
    "       lumavox-server import [--state DIR] [--home DIR]\n"
    "  import              register the editor's stored TCP/IP and GPRS groups as signs\n"
    "  --state DIR         the database and the API token (default "
    "$XDG_STATE_HOME/lumavox-server)\n"
    "  --listen ADDR:PORT  where the HTTP API listens (default 127.0.0.1:8080)\n"
    "  --gprs-port N       the GPRS gateway's port (default: the stored settings', 8001;\n"
    "                      0: no gateway)\n"
    "  --home DIR          the program directory: settings and font files\n";

struct Options {
    bool import = false;
    std::optional<std::string> state;
    std::string host = "127.0.0.1";
    int port = 8080;
    std::optional<int> gprsPort;
    std::optional<std::string> home;
};

bool parsePort(const std::string& t, int low, int& out) {
    char* end = nullptr;
    long v = std::strtol(t.c_str(), &end, 10);
    if (t.empty() || *end || v < low || v > 65535) return false;
    out = static_cast<int>(v);
    return true;
}

bool parse(int argc, char** argv, Options& o) {
    int first = 1;
    if (argc > 1 && std::string(argv[1]) == "import") {
        o.import = true;
        first = 2;
    }
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) return false;
        std::string v = argv[++i];
        if (a == "--state") {
            o.state = v;
        } else if (a == "--home") {
            o.home = v;
        } else if (a == "--listen" && !o.import) {
            size_t colon = v.rfind(':');
            if (colon == std::string::npos || colon == 0 ||
                !parsePort(v.substr(colon + 1), 0, o.port))
                return false;
            o.host = v.substr(0, colon);
            if (o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']')
                o.host = o.host.substr(1, o.host.size() - 2);
        } else if (a == "--gprs-port" && !o.import) {
            int p = 0;
            if (!parsePort(v, 0, p)) return false;
            o.gprsPort = p;
        } else {
            return false;
        }
    }
    return true;
}

bool loopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

ApiRequest requestFrom(const httplib::Request& req) {
    ApiRequest r;
    r.method = req.method;
    r.path = req.path;
    for (const auto& [k, v] : req.params)
        r.query.emplace(k, v);
    r.authorization = req.get_header_value("Authorization");
    r.ifNoneMatch = req.get_header_value("If-None-Match");
    r.body = req.body;
    return r;
}

void respond(const ApiResponse& a, httplib::Response& res) {
    res.status = a.status;
    for (const auto& [name, value] : a.headers)
        res.set_header(name, value);
    if (!a.body.empty()) res.set_content(a.body, a.contentType.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::cerr << kUsage;
        return 2;
    }
    // SIGTERM and SIGINT are taken by one thread that stops the service;
    // every other thread inherits the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const fs::path stateDir = o.state ? fs::path(*o.state) : userStateHome() / "lumavox-server";
    StateFolder state;
    std::string error;
    if (!openStateFolder(stateDir, state, error)) {
        std::cerr << "lumavox-server: " << error << "\n";
        return 1;
    }
    std::unique_ptr<SqliteStore> store = SqliteStore::open(state.database, error);
    if (!store) {
        std::cerr << "lumavox-server: " << error << "\n";
        return 1;
    }
    if (state.created) std::cout << "lumavox-server: created " << stateDir.string() << "\n";
    std::cout << "database: " << state.database.string() << "\n"
              << "API token: " << state.tokenFile.string() << "\n";

    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(o.home);
    environment.adoptEarlierFiles(std::cerr);
    SettingsStore settingsStore(environment);
    auto storedSettings = [&settingsStore](Settings& settings, DefaultSignSize& size) {
        settings = settingsStore.LoadSettings();
        size = settingsStore.LoadDefaultSignSize();
    };
    if (o.import) {
        Settings settings;
        DefaultSignSize size;
        storedSettings(settings, size);
        ImportedSigns imported =
            signsFromStoredGroups(settings, size, store->signs(), ::time(nullptr));
        if (!imported.signs.empty() && !store->putSigns(imported.signs, error)) {
            std::cerr << "lumavox-server: " << error << "\n";
            return 1;
        }
        for (const SignRecord& s : imported.signs) {
            std::cout << s.name << "\t" << s.link << "\t";
            for (size_t i = 0; i < s.groups.size(); ++i)
                std::cout << (i ? "," : "") << s.groups[i];
            std::cout << "\n";
        }
        for (const std::string& skipped : imported.skipped)
            std::cerr << "skipped: " << skipped << "\n";
        std::cout << imported.signs.size() << " signs registered from "
                  << settingsStore.userStorePath().string() << " and "
                  << settingsStore.gprsSetPath().string() << "\n";
        return 0;
    }
    DeliveryOptions delivery;
    delivery.settings = settingsStore.LoadSettings();
    delivery.gprsPort = o.gprsPort.value_or(delivery.settings.gprsServerPort);
    delivery.resources = &embeddedResources();
    delivery.environment = environment;

    EventHub events;
    Delivery deliverer(*store, events, delivery);
    if (!deliverer.start(error)) {
        std::cerr << "lumavox-server: the GPRS gateway cannot listen on port " << delivery.gprsPort
                  << ": " << error << "\n";
        return 1;
    }
    ApiOptions apiOptions;
    apiOptions.token = state.token;
    apiOptions.programDir = environment.dataDir;
    apiOptions.previewDir = stateDir / "previews";
    apiOptions.defaultFontName = settingsStore.DefaultFontName();
    apiOptions.gprsPort = deliverer.gprsPort();
    apiOptions.storedSettings = storedSettings;
    apiOptions.webFiles = fleetPageFiles();
    Api api(*store, events,
            ApiDelivery{[&deliverer](const SignRecord& s) { return deliverer.status(s); },
                        [&deliverer] { deliverer.wake(); }},
            apiOptions);

    httplib::Server http;
    http.new_task_queue = [] { return new httplib::ThreadPool(64); };
    http.set_payload_max_length(apiOptions.maxBodyBytes);
    // Answers go out at once: with Nagle's delay a response written in two
    // parts waits for the client's delayed acknowledgement (40 ms).
    http.set_tcp_nodelay(true);
    auto handler = [&api](const httplib::Request& req, httplib::Response& res) {
        respond(api.handle(requestFrom(req)), res);
    };
    // cpp-httplib compresses with Brotli at its slowest setting whenever a
    // browser accepts it: seconds for the list of thousands of signs. Its gzip
    // shrinks that list as well in a few milliseconds, so Brotli is left out
    // of what the request accepts (the request is the library's own object,
    // handed over as const).
    http.set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
        auto& headers = const_cast<httplib::Headers&>(req.headers);
        auto accepted = headers.find("Accept-Encoding");
        if (accepted != headers.end() && accepted->second.find("br") != std::string::npos)
            accepted->second = accepted->second.find("gzip") != std::string::npos ? "gzip" : "";
        return httplib::Server::HandlerResponse::Unhandled;
    });
    http.Get("/api/v1/events", [&api, &events](const httplib::Request& req,
                                               httplib::Response& res) {
        if (!api.authorised(req.get_header_value("Authorization"))) {
            respond(errorResponse(401, "the request needs the header Authorization: Bearer TOKEN"),
                    res);
            return;
        }
        uint64_t last = events.last();
        if (req.has_header("Last-Event-ID"))
            last = std::strtoull(req.get_header_value("Last-Event-ID").c_str(), nullptr, 10);
        res.set_header("Cache-Control", "no-store");
        res.set_header("X-Accel-Buffering", "no");  // a reverse proxy passes each event on
        res.set_chunked_content_provider(
            "text/event-stream", [&events, last](size_t, httplib::DataSink& sink) mutable {
                std::vector<Event> list = events.after(last, 15000);
                if (events.closed()) return false;
                std::string chunk;
                if (list.empty()) chunk = ": still here\n\n";
                for (const Event& e : list) {
                    chunk += "id: " + std::to_string(e.id) + "\nevent: " + e.type +
                             "\ndata: " + e.data + "\n\n";
                    last = e.id;
                }
                return sink.write(chunk.data(), chunk.size());
            });
    });
    http.Get(".*", handler);
    http.Post(".*", handler);
    http.Put(".*", handler);
    http.Patch(".*", handler);
    http.Delete(".*", handler);
    http.Options(".*", handler);

    if (o.port == 0) {
        o.port = http.bind_to_any_port(o.host);
        if (o.port < 0) o.port = 0;
    } else if (!http.bind_to_port(o.host, o.port)) {
        o.port = 0;
    }
    if (o.port == 0) {
        std::cerr << "lumavox-server: cannot listen on " << o.host << ": " << std::strerror(errno)
                  << "\n";
        deliverer.stop();
        return 1;
    }
    if (!loopback(o.host))
        std::cerr << "lumavox-server: warning: the API listens on " << o.host
                  << ", beyond this machine; put TLS in front of it (see the README)\n";
    std::cout << "listening on http://" << o.host << ":" << o.port << "\n";
    if (deliverer.gprsPort()) std::cout << "GPRS gateway on port " << deliverer.gprsPort() << "\n";
    std::cout.flush();

    std::thread stopper([&] {
        int sig = 0;
        sigwait(&stopSignals, &sig);
        events.close();
        http.stop();
    });
    http.listen_after_bind();
    // The listener ended: by a stop signal, or on its own (the signal thread
    // is then released with one of its own).
    if (!events.closed()) kill(getpid(), SIGTERM);
    stopper.join();
    deliverer.stop();
    std::cout << "lumavox-server: stopped\n";
    return 0;
}

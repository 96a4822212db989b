#include "cli/GprsCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ostream>
#include <set>
#include <thread>

#include "app/LanguageManager.h"
#include "embedded/EmbeddedResources.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace lumavox {

namespace {

constexpr const char* kGprsUsage =
    "usage: lumavox-cli gprs list [--server-port N] [--seconds S] [--home DIR]\n"
    "  runs the GPRS gateway for S seconds (default 10) on port N (default: the stored\n"
    "  server port) and prints each device that connects: name, address, ID, type, phone\n";

bool parsePort(const std::string& v, int& port) {
    char* end = nullptr;
    long n = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end || n < 1 || n > 65535) return false;
    port = static_cast<int>(n);
    return true;
}

std::string describe(const GprsClientEntry& e) {
    return e.name + "\t" + e.ipAddress + ":" + std::to_string(e.port) + "\t" + e.deviceId + "\t" +
           e.deviceType + "\t" + e.phone;
}

}  // namespace

bool isGprsCommand(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home" || args[i] == "--server-port" || args[i] == "--seconds") {
            ++i;
            continue;
        }
        return args[i] == "gprs";
    }
    return false;
}

int runGprsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> home;
    int port = 0;
    int seconds = 10;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--home" || a == "--server-port" || a == "--seconds") {
            if (i + 1 >= args.size()) {
                err << "lumavox-cli: " << a << " needs a value\n";
                return 2;
            }
            const std::string& v = args[++i];
            if (a == "--home") {
                home = v;
            } else if (a == "--server-port") {
                if (!parsePort(v, port)) {
                    err << "lumavox-cli: --server-port must be 1 to 65535\n";
                    return 2;
                }
            } else {
                seconds = std::atoi(v.c_str());
                if (seconds < 0 || seconds > 86400) {
                    err << "lumavox-cli: --seconds must be 0 to 86400\n";
                    return 2;
                }
            }
        } else if (a.rfind("--", 0) == 0) {
            err << "lumavox-cli: unknown option " << a << "\n" << kGprsUsage;
            return 2;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2 || positional[1] != "list") {
        err << kGprsUsage;
        return 2;
    }
    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(home);
    LanguageManager language(environment);
    language.startUp();
    Settings settings = SettingsStore(environment).LoadSettings();
    if (port == 0) port = settings.gprsServerPort;
    GprsGateway gateway(embeddedResources(), environment);
    if (!gateway.binding().loaded()) {
        err << "lumavox-cli: the GPRS gateway library could not be loaded\n";
        return 1;
    }
    GprsMonitor& monitor = gateway.monitor();
    if (!monitor.Start(port)) {
        err << "lumavox-cli: " << monitor.startError() << "\n";
        return 1;
    }
    out << "listening on port " << port << " for " << seconds << " s" << std::endl;
    std::set<std::string> shown;
    size_t conflictsShown = 0;
    auto report = [&] {
        for (const GprsClientEntry& e : monitor.Entries())
            if (shown.insert(describe(e)).second) out << describe(e) << std::endl;
        std::vector<std::string> conflicts = gprsConflictTexts(monitor);
        for (; conflictsShown < conflicts.size(); ++conflictsShown)
            out << conflicts[conflictsShown] << std::endl;
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
        report();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    report();
    out << monitor.Names().size() << " connected" << std::endl;
    monitor.Stop();
    return 0;
}

CliGprsRoute::CliGprsRoute(const std::optional<std::string>& home, const Settings& settings,
                           const std::vector<std::string>& devices, int port, int waitSeconds,
                           const std::function<bool()>& cancelled, std::ostream& out)
    : gateway_(std::make_unique<GprsGateway>(embeddedResources(),
                                             ApplicationEnvironment::fromSystem(home))) {
    if (port == 0) port = settings.gprsServerPort;
    GprsMonitor& m = gateway_->monitor();
    if (!m.Start(port)) {
        startError_ = m.startError();
        return;
    }
    std::vector<std::string> missing =
        waitForGprsDevices(m, devices, waitSeconds * 1000, SystemClock::instance(), cancelled);
    for (const std::string& line : gprsConflictTexts(m))
        out << line << "\n";
    if (!missing.empty()) {
        out << "not connected after " << waitSeconds << " s:";
        for (const std::string& n : missing)
            out << " " << n;
        out << "\n";
    }
}

}  // namespace lumavox

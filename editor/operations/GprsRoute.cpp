#include "operations/GprsRoute.h"

#include <chrono>
#include <thread>

#include "strings/GprsTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

const GprsGroup* findGprsGroup(const std::vector<GprsGroup>& groups, const std::string& name) {
    for (const GprsGroup& g : groups)
        if (sameGprsName(g.name, name)) return &g;
    return nullptr;
}

int checkGprsGroupName(const std::vector<GprsGroup>& groups, const std::string& name, int self) {
    if (name.empty()) return msg::kGprsGroupNameBlank;
    for (size_t i = 0; i < groups.size(); ++i)
        if (static_cast<int>(i) != self && sameGprsName(groups[i].name, name))
            return msg::kGprsGroupNameExists;
    return 0;
}

int checkGprsDeviceName(const GprsGroup& group, const std::string& name, int self) {
    if (name.empty()) return msg::kGprsDeviceNameBlank;
    // A longer name never matches what a device registers with.
    if (name.size() > kGprsDeviceNameMax) return msg::kGprsDeviceNameTooLong;
    for (size_t i = 0; i < group.devices.size(); ++i)
        if (static_cast<int>(i) != self && sameGprsName(group.devices[i], name))
            return msg::kGprsDeviceExists;
    return 0;
}

std::string gprsRefusalText(int refusal, const std::string& name) {
    switch (refusal) {
        case msg::kGprsGroupNameExists:
            return textf(refusal, {name});
        case msg::kGprsDeviceNameTooLong:
            return textf(refusal, {static_cast<int>(kGprsDeviceNameMax)});
        default:
            return text(refusal);
    }
}

std::string deleteGroupQuestion(const std::string& name) {
    return formatText("%s '%s'?", {text(msg::kGprsDeleteGroupQuestion), name});
}

int rowAfterDelete(int row, int remaining) {
    if (remaining <= 0) return -1;
    return row < remaining ? row : remaining - 1;
}

GprsModeChange gprsModeChange(SendType oldType, int oldPort, SendType newType, int newPort) {
    const bool was = oldType == SendType::Gprs;
    const bool is = newType == SendType::Gprs;
    if (was && !is) return {GprsMonitorAction::Stop, text(msg::kGprsMonitorStopNotice)};
    if (!was && is) return {GprsMonitorAction::Start, text(msg::kGprsMonitorStartNotice)};
    if (was && is && oldPort != newPort)
        return {GprsMonitorAction::Restart,
                textf(msg::kGprsMonitorRestartNotice, {oldPort, newPort})};
    return {};
}

bool applyGprsModeChange(const GprsModeChange& change, GprsMonitor& monitor, int newPort,
                         const GprsMonitor::Pump& pump) {
    switch (change.action) {
        case GprsMonitorAction::None:
            break;
        case GprsMonitorAction::Stop:
            monitor.Stop(pump);
            break;
        case GprsMonitorAction::Restart:
            monitor.Stop(pump);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (pump) pump();
            return monitor.Start(newPort, pump);
        case GprsMonitorAction::Start:
            return monitor.Start(newPort, pump);
    }
    return true;
}

bool startGprsMonitorAtStartUp(const Settings& settings, GprsMonitor& monitor) {
    if (settings.sendType != SendType::Gprs) return false;
    return monitor.Start(settings.gprsServerPort);
}

std::string gprsDetailText(const GprsMonitor& monitor, const std::string& name) {
    std::optional<GprsClientEntry> e = monitor.Lookup(name);
    if (!e) return textf(msg::kGprsDeviceNotFound, {name});
    return textf(msg::kGprsDetailText,
                 {e->name, e->ipAddress, e->deviceId, e->deviceType, e->phone});
}

std::vector<std::string> gprsConflictTexts(const GprsMonitor& monitor) {
    std::vector<std::string> lines;
    for (const GprsNameConflict& c : monitor.conflicts())
        lines.push_back(textf(msg::kGprsNameConflict, {c.name, c.refusedId, c.holderId}));
    return lines;
}

GprsTargets gprsTargetsFor(const std::vector<GprsGroup>& groups, const std::string& target) {
    GprsTargets t;
    std::vector<std::string> names;
    if (const GprsGroup* g = findGprsGroup(groups, target)) {
        t.groupName = g->name;
        names = g->devices;
    } else {
        size_t pos = 0;
        for (;;) {
            size_t comma = target.find(',', pos);
            names.push_back(target.substr(pos, comma == std::string::npos ? comma : comma - pos));
            if (comma == std::string::npos) break;
            pos = comma + 1;
        }
    }
    for (std::string& n : names) {
        n.erase(0, n.find_first_not_of(" \t"));
        n.erase(n.find_last_not_of(" \t") + 1);
        if (n.empty()) continue;
        bool seen = false;
        for (const std::string& d : t.devices)
            seen = seen || sameGprsName(d, n);
        if (!seen) t.devices.push_back(n);
    }
    return t;
}

std::vector<std::string> waitForGprsDevices(const GprsMonitor& monitor,
                                            const std::vector<std::string>& names, int timeoutMs,
                                            const Clock& clock,
                                            const std::function<bool()>& cancelled) {
    const uint64_t start = clock.tickMs();
    for (;;) {
        std::vector<std::string> missing;
        for (const std::string& n : names)
            if (!monitor.isRegistered(n)) missing.push_back(n);
        if (missing.empty() || (cancelled && cancelled()) ||
            clock.tickMs() - start >= static_cast<uint64_t>(std::max(timeoutMs, 0)))
            return missing;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

GprsGateway::GprsGateway(const ResourceTable& resources, const ApplicationEnvironment& environment)
    : binding_(resources.bytes(res::kGateway), environment.workDir, environment.userStore),
      monitor_(binding_) {}

}  // namespace lumavox

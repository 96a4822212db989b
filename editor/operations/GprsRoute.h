// The GPRS route's rules shared by the window and lumavox-cli: the checks of
// the GPRS group dialogs, what a change of the communication mode or the
// server port does to the monitor, the "Detail" of a connection, the devices a
// command names, and the wait for devices to register.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "operations/Environment.h"
#include "operations/GprsMonitor.h"
#include "operations/Resources.h"
#include "operations/Settings.h"
#include "platform/Clock.h"

namespace lumavox {

// ---- GPRS groups ----

// The group of that name (letter case ignored), or null.
const GprsGroup* findGprsGroup(const std::vector<GprsGroup>& groups, const std::string& name);
// A new or renamed group's name: 0, or the refusal's string-table id (blank,
// or held by another group than `self`, letter case ignored). `name` is
// checked as given; the dialogs trim it first.
int checkGprsGroupName(const std::vector<GprsGroup>& groups, const std::string& name,
                       int self = -1);
// A device name added to or edited in a group: 0, or the refusal's id (blank,
// longer than a registration record carries, or already in the group).
int checkGprsDeviceName(const GprsGroup& group, const std::string& name, int self = -1);
// The text of a refusal from the checks above, formatted with the name.
std::string gprsRefusalText(int refusal, const std::string& name);
// "Are you sure to delete group 'NAME'?", for a GPRS or a TCP/IP group.
std::string deleteGroupQuestion(const std::string& name);
// The row selected after deleting row `row`: the same index, or the previous
// one when the last was deleted; -1 when none is left.
int rowAfterDelete(int row, int remaining);

// ---- The monitor and the communication mode ----

enum class GprsMonitorAction { None, Stop, Restart, Start };
struct GprsModeChange {
    GprsMonitorAction action = GprsMonitorAction::None;
    std::string notice;  // what the user is told first ("Prompt", information)
};
// What closing "Communication option" does to the monitor, from the mode and
// server port before the dialog opened and after it closed.
GprsModeChange gprsModeChange(SendType oldType, int oldPort, SendType newType, int newPort);
// Carries it out on `monitor` with the new port; `pump` keeps the window alive
// while the monitor stops. False when the monitor's server could not start
// (the monitor's startError() says why).
bool applyGprsModeChange(const GprsModeChange& change, GprsMonitor& monitor, int newPort,
                         const GprsMonitor::Pump& pump = {});
// At start-up, after the main window shows: starts the monitor in GPRS mode.
// True when it started (false also when its server could not listen).
bool startGprsMonitorAtStartUp(const Settings& settings, GprsMonitor& monitor);

// "Detail" of a connection: the detail text, or the "not found" text when the
// name is no longer registered.
std::string gprsDetailText(const GprsMonitor& monitor, const std::string& name);
// One line per refused registration.
std::vector<std::string> gprsConflictTexts(const GprsMonitor& monitor);

// ---- Commands that name devices ----

struct GprsTargets {
    std::string groupName;             // empty when the names were listed
    std::vector<std::string> devices;  // in order, repeats dropped
};
// `target` is a stored group's name (letter case ignored) or comma-separated
// device names.
GprsTargets gprsTargetsFor(const std::vector<GprsGroup>& groups, const std::string& target);

// Waits until every named device is registered, `timeoutMs` has passed on
// `clock` or `cancelled` says so; returns the names still missing.
std::vector<std::string> waitForGprsDevices(const GprsMonitor& monitor,
                                            const std::vector<std::string>& names, int timeoutMs,
                                            const Clock& clock,
                                            const std::function<bool()>& cancelled = {});

// The gateway as the editor uses it, for a program without the application
// object (lumavox-cli): the copy of the library the program carries, unpacked
// and bound by name, and a monitor over it.
class GprsGateway {
  public:
    GprsGateway(const ResourceTable& resources, const ApplicationEnvironment& environment);
    const GatewayBinding& binding() const { return binding_; }
    GprsMonitor& monitor() { return monitor_; }

  private:
    GatewayBinding binding_;
    GprsMonitor monitor_;
};

}  // namespace lumavox

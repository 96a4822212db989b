// The modems of this computer and the modem line, as the "Modem" menu and
// lumavox-cli's "modem" commands use them: the registry of installed modems
// (kept beside the per-user settings), the selected modem ("Use Modem Name"),
// what the dialer is given, and the line a send brings up by dialling.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "operations/Settings.h"
#include "session/SessionHost.h"
#include "transport/ModemDialer.h"
#include "transport/ModemRegistry.h"
#include "transport/SignLink.h"

namespace lumavox {

// The hierarchical key store of the per-user settings ("Registry.ini" beside
// the per-user profile).
std::filesystem::path modemRegistryPath(const SettingsStore& store);
// The same beside the per-user store of this user (userStorePath()).
std::filesystem::path modemRegistryPath();
RegistryEx loadModemRegistry(const SettingsStore& store);

// Installs a modem on COM `port` (a device path is given a COM number through
// the "Comports" entries first) and saves the registry; the first modem
// installed becomes the selected one. False with the reason.
bool installModem(const SettingsStore& store, Settings& settings, const std::string& model,
                  const std::string& port, int speed, std::string& error);
// Removes a modem; the selection moves to the first modem left (or none).
bool uninstallModem(const SettingsStore& store, Settings& settings, const std::string& model,
                    std::string& error);
// Makes an installed modem (not an "IP Virtual Modem") the selected one.
bool selectModem(const SettingsStore& store, Settings& settings, const std::string& model,
                 std::string& error);

// What the dialer works with: the selected modem, its port (0 when it is not
// installed) and the PC's baud rate ("BaudRate").
ModemTarget modemTargetFrom(const Settings& settings, const RegistryEx& registry);

// A dialled number joins the phone list ("Phone") unless it is there, and
// becomes "LastPhoneNo". True when the list grew.
bool rememberDialledNumber(Settings& settings, const std::string& number);

// The refusals of "Dial by Modem..." before the window opens: no modem
// counted, or a network or GPRS connection up. Returns the text id and icon,
// or 0 when the window may open.
int dialWindowRefusal(const ModemList& modems, LinkState state, Icon& icon);

// The send session's host as the dialer's: status texts go to its status
// line, messages to its message boxes, the pump is its pump.
class SessionModemHost final : public ModemHost {
  public:
    explicit SessionModemHost(SessionHost& host) : host_(host) {}
    void connectStatus(const std::string& t) override {
        lastStatus_ = t;
        host_.status(t);
    }
    void message(const std::string& t, Icon icon) override {
        shown_ = true;
        host_.message(t, icon);
    }
    void pump() override { host_.pump(); }
    void numberDialed(const std::string& number) override {
        if (dialled_) dialled_(number);
    }
    void onNumberDialled(std::function<void(const std::string&)> dialled) {
        dialled_ = std::move(dialled);
    }
    const std::string& lastStatus() const { return lastStatus_; }
    bool messageShown() const { return shown_; }

  private:
    SessionHost& host_;
    std::function<void(const std::string&)> dialled_;
    std::string lastStatus_;
    bool shown_ = false;
};

// The modem line of one operation: dials the number with the selected modem
// unless a line is up already, through the link's own dialer (the dial
// window's) or, when the link has none, one of its own for this run.
class OperationModemLine {
  public:
    OperationModemLine(CSignLink& link, SessionHost& host);
    // True when the line is up. `dialled` hears the number when the link's
    // own dialer dials it (the dial window's keeps its phone list itself).
    bool bringUp(const Settings& settings, const RegistryEx& registry, const std::string& number,
                 std::function<void(const std::string&)> dialled = {});

  private:
    CSignLink& link_;
    SessionModemHost host_;
    std::optional<ModemDialer> own_;
};

}  // namespace lumavox

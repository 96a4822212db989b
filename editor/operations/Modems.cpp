#include "operations/Modems.h"

#include <algorithm>

#include "platform/Profile.h"
#include "strings/ModemTexts.h"
#include "transport/SignLink.h"

namespace lumavox {

std::filesystem::path modemRegistryPath(const SettingsStore& store) {
    return store.userStorePath().parent_path() / "Registry.ini";
}

std::filesystem::path modemRegistryPath() {
    return userStorePath().parent_path() / "Registry.ini";
}

RegistryEx loadModemRegistry(const SettingsStore& store) {
    return RegistryEx::load(modemRegistryPath(store));
}

bool installModem(const SettingsStore& store, Settings& settings, const std::string& model,
                  const std::string& port, int speed, std::string& error) {
    int com = 0;
    bool newDevice = false;
    if (!port.empty() && port[0] == '/') {
        auto before = settings.comDevices;
        com = settings.mapComDevice(port);
        if (com < 0) {
            error = "no COM number is free for " + port;
            return false;
        }
        newDevice = settings.comDevices != before;
    } else {
        std::string digits =
            port.rfind("COM", 0) == 0 || port.rfind("com", 0) == 0 ? port.substr(3) : port;
        if (digits.empty() || digits.size() > 3 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            error = "the port must be a COM number or a device path";
            return false;
        }
        com = std::stoi(digits);
    }
    RegistryEx registry = loadModemRegistry(store);
    if (!addModem(registry, model, com, speed, error)) return false;
    std::error_code ec;
    std::filesystem::create_directories(modemRegistryPath(store).parent_path(), ec);
    if (!registry.save(error)) return false;
    if (settings.modemName.empty() || newDevice) {
        if (settings.modemName.empty()) settings.modemName = model;
        if (!store.SaveSettings(settings, error)) return false;
    }
    return true;
}

bool uninstallModem(const SettingsStore& store, Settings& settings, const std::string& model,
                    std::string& error) {
    RegistryEx registry = loadModemRegistry(store);
    if (!removeModem(registry, model)) {
        error = "no modem named '" + model + "' is installed";
        return false;
    }
    if (!registry.save(error)) return false;
    if (settings.modemName == model) {
        settings.modemName.clear();
        for (const ModemEntry& e : enumerateModems(registry).modems)
            if (e.counted()) {
                settings.modemName = e.model;
                break;
            }
        if (!store.SaveSettings(settings, error)) return false;
    }
    return true;
}

bool selectModem(const SettingsStore& store, Settings& settings, const std::string& model,
                 std::string& error) {
    auto e = findModem(loadModemRegistry(store), model);
    if (!e || !e->counted()) {
        error = "no modem named '" + model + "' is installed";
        return false;
    }
    settings.modemName = model;
    return store.SaveSettings(settings, error);
}

ModemTarget modemTargetFrom(const Settings& settings, const RegistryEx& registry) {
    ModemTarget t;
    t.model = settings.modemName;
    t.comPort = t.model.empty() ? 0 : modemPort(registry, t.model);
    t.baud = baudRateForIndex(settings.baudRateIndex);
    return t;
}

bool rememberDialledNumber(Settings& settings, const std::string& number) {
    settings.lastPhoneNo = number;
    if (std::find(settings.phones.begin(), settings.phones.end(), number) != settings.phones.end())
        return false;
    settings.phones.push_back(number);
    return true;
}

int dialWindowRefusal(const ModemList& modems, LinkState state, Icon& icon) {
    icon = Icon::Error;
    if (modems.counted == 0) return msg::kNoModemInstalled;
    icon = Icon::Information;
    if (state == LinkState::Tcp) return msg::kModemLineOnNetwork;
    if (state == LinkState::Gprs) return msg::kModemLineOnGprs;
    return 0;
}

OperationModemLine::OperationModemLine(CSignLink& link, SessionHost& host)
    : link_(link), host_(host) {}

bool OperationModemLine::bringUp(const Settings& settings, const RegistryEx& registry,
                                 const std::string& number,
                                 std::function<void(const std::string&)> dialled) {
    if (link_.linkState() == LinkState::Modem) return true;
    ModemDialer* dialer = link_.modemDialer();
    if (!dialer) {
        host_.onNumberDialled(std::move(dialled));
        dialer = &own_.emplace(link_, host_);
    }
    if (dialer->dial(number, modemTargetFrom(settings, registry))) return true;
    // A call that ended without a line says why in the status text only; the
    // operation reports it as its failure.
    if (!host_.messageShown() && !host_.lastStatus().empty())
        host_.message(host_.lastStatus(), Icon::Error);
    return false;
}

}  // namespace lumavox

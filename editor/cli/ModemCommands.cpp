#include "cli/ModemCommands.h"

#include <optional>
#include <ostream>

#include "app/LanguageManager.h"
#include "operations/Modems.h"
#include "operations/Settings.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "strings/ModemTexts.h"
#include "strings/StringTable.h"
#include "transport/SignLink.h"

namespace lumavox {

namespace {

constexpr const char* kModemUsage =
    "modem commands:\n"
    "  modem add --model NAME --port N|COMn|DEVICE [--speed BAUD]\n"
    "                      install a modem (a device path gets a COM number in\n"
    "                      \"Comports\"); the first one installed is selected\n"
    "  modem list          the installed modems; '*' marks the selected one\n"
    "  modem remove NAME   uninstall a modem\n"
    "  modem select NAME   dial with this modem (\"Use Modem Name\")\n"
    "  modem check [--pin CODE]\n"
    "                      check the selected GSM modem and print its status lines\n"
    "options: --home DIR\n";

bool takesValue(const std::string& a) {
    return a == "--home" || a == "--model" || a == "--port" || a == "--speed" || a == "--pin";
}

// Dialer texts as terminal lines ("\r" is a line break in the window).
std::string readable(std::string t) {
    for (char& c : t)
        if (c == '\r') c = '\n';
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    return t;
}

class TerminalModemHost final : public ModemHost {
  public:
    TerminalModemHost(std::ostream& out, std::optional<std::string> pin)
        : out_(out), pin_(std::move(pin)) {}
    void connectStatus(const std::string& t) override { out_ << readable(t) << "\n"; }
    void modemStatus(const std::string& t) override { out_ << readable(t) << "\n"; }
    void message(const std::string& t, Icon icon) override {
        out_ << "[" << promptTitle(icon) << "] " << readable(t) << "\n";
    }
    // The PIN is given once on the command line; asked again, it is cancelled.
    bool askPin(std::string& pin) override {
        out_ << text(msg::kPinCodePrompt) << (pin_ ? " (given)" : " (none given: cancelled)")
             << "\n";
        if (!pin_) return false;
        pin = *pin_;
        pin_.reset();
        return true;
    }

  private:
    std::ostream& out_;
    std::optional<std::string> pin_;
};

}  // namespace

bool isModemCommand(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (takesValue(args[i])) {
            ++i;
            continue;
        }
        if (args[i].rfind("--", 0) == 0) continue;
        return args[i] == "modem";
    }
    return false;
}

int runModemCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> home, model, port, pin;
    int speed = 0;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (takesValue(a)) {
            if (i + 1 >= args.size()) {
                err << "lumavox-cli: " << a << " needs a value\n";
                return 2;
            }
            const std::string& v = args[++i];
            if (a == "--home") home = v;
            if (a == "--model") model = v;
            if (a == "--port") port = v;
            if (a == "--pin") pin = v;
            if (a == "--speed") speed = std::atoi(v.c_str());
        } else if (a.rfind("--", 0) == 0) {
            err << "lumavox-cli: unknown option " << a << "\n" << kModemUsage;
            return 2;
        } else {
            words.push_back(a);
        }
    }
    if (words.size() < 2 || words[0] != "modem") {
        err << kModemUsage;
        return 2;
    }
    const std::string& what = words[1];
    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(home);
    LanguageManager language(environment);
    language.startUp();
    SettingsStore store(environment);
    Settings settings = store.LoadSettings();
    std::string error;
    auto named = [&]() -> std::optional<std::string> {
        if (words.size() == 3) return words[2];
        if (words.size() == 2 && model) return model;
        return std::nullopt;
    };

    if (what == "add") {
        if (!model || !port || words.size() != 2) {
            err << kModemUsage;
            return 2;
        }
        if (!installModem(store, settings, *model, *port, speed, error)) {
            err << "lumavox-cli: " << error << "\n";
            return 1;
        }
        out << "installed " << *model << "\n";
        return 0;
    }
    if (what == "list" && words.size() == 2) {
        ModemList modems = enumerateModems(loadModemRegistry(store));
        if (modems.counted == 0) out << text(msg::kNoModemListed) << "\n";
        for (const ModemEntry& e : modems.modems) {
            out << (e.model == settings.modemName ? "* " : "  ") << e.model << "\tCOM" << e.port
                << "\t" << e.speed << " " << text(msg::kModemBaudUnit);
            if (!e.counted()) out << "\t(not counted)";
            out << "\n";
        }
        return 0;
    }
    if (what == "remove" || what == "select") {
        std::optional<std::string> name = named();
        if (!name) {
            err << kModemUsage;
            return 2;
        }
        bool ok = what == "remove" ? uninstallModem(store, settings, *name, error)
                                   : selectModem(store, settings, *name, error);
        if (!ok) {
            err << "lumavox-cli: " << error << "\n";
            return 1;
        }
        out << (what == "remove" ? "removed " : "selected ") << *name << "\n";
        return 0;
    }
    if (what == "check" && words.size() == 2) {
        RegistryEx registry = loadModemRegistry(store);
        TerminalModemHost host(out, pin);
        Icon icon = Icon::None;
        if (int refusal = dialWindowRefusal(enumerateModems(registry), LinkState::None, icon)) {
            host.message(text(refusal), icon);
            return 1;
        }
        CSignLink link(comPortsFrom(settings));
        ModemDialer dialer(link, host);
        bool ok = dialer.checkGsm(modemTargetFrom(settings, registry));
        // The status box's last line may lack its line end (a dead modem's).
        const std::string& lines = dialer.gsmLines();
        if (!lines.empty()) out << lines << (lines.back() == '\n' ? "" : "\n");
        link.close();
        return ok ? 0 : 1;
    }
    err << kModemUsage;
    return 2;
}

}  // namespace lumavox

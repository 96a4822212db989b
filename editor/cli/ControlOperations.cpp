#include "cli/ControlOperations.h"

#include <csignal>
#include <cstdlib>
#include <optional>

#include "app/LanguageManager.h"
#include "cli/Help.h"
#include "content/Document.h"
#include "embedded/EmbeddedResources.h"
#include "operations/ControlRoute.h"
#include "operations/ControlRun.h"
#include "operations/Operations.h"
#include "operations/Settings.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/SerialPort.h"
#include "session/AddressList.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

struct Command {
    const char* name;
    UpdateKind kind;
    bool document;
};
constexpr Command kCommands[] = {
    {"send-all", UpdateKind::SendAll, true},
    {"set-run-sequence", UpdateKind::SetDefault, true},
    {"change-address", UpdateKind::ChangeAddress, false},
    {"adjust-time", UpdateKind::AdjustTime, false},
    {"sign-off", UpdateKind::SignOff, false},
    {"sign-on", UpdateKind::SignOn, false},
    {"clear-memory", UpdateKind::ClearMemory, false},
};

const Command* findCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

volatile std::sig_atomic_t gStop = 0;
extern "C" void onStop(int) {
    gStop = 1;
}

class TerminalRouteHost : public ControlRouteHost {
  public:
    explicit TerminalRouteHost(std::ostream& out) : out_(out) {}
    void addResult(const std::string& t) override { out_ << t << "\n"; }
    void progressRange(int32_t) override {}
    void progressPosition(int32_t) override {}
    void message(const std::string& t, Icon icon) override {
        if (icon == Icon::Error) failed = true;
        out_ << "[" << promptTitle(icon) << "] " << t << "\n";
    }
    bool askYesNo(const std::string& t, Icon icon) override {
        out_ << "[" << promptTitle(icon) << "] " << t << " No\n";
        return false;
    }
    bool failed = false;

  private:
    std::ostream& out_;
};

}  // namespace

bool isControlCommand(const std::string& name) {
    return findCommand(name) != nullptr;
}

int runControlCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> home, link, address;
    std::optional<bool> checkEach;
    bool clearMemory = false;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--home" || a == "--link" || a == "--address" || a == "--family") {
            if (i + 1 >= args.size()) {
                err << "lumavox-cli: " << a << " needs a value\n";
                return 2;
            }
            const std::string& v = args[++i];
            if (a == "--home") home = v;
            if (a == "--link") link = v;
            if (a == "--address") address = v;
        } else if (a == "--clear-memory") {
            clearMemory = true;
        } else if (a == "--check-each") {
            checkEach = true;
        } else if (a == "--no-check-each") {
            checkEach = false;
        } else if (a == "--yes" || a == "--no" || a == "--quiet") {
            // The control's route asks no questions.
        } else if (a.rfind("--", 0) == 0) {
            err << "lumavox-cli: unknown option " << a << "\n";
            return usageError(positional.empty() ? std::string_view() : positional[0], err);
        } else {
            positional.push_back(a);
        }
    }
    const Command* command = positional.empty() ? nullptr : findCommand(positional[0]);
    if (!command) {
        return usageError(positional.empty() ? std::string_view() : positional[0], err);
    }
    std::vector<std::string> rest(positional.begin() + 1, positional.end());

    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(home);
    LanguageManager language(environment);
    language.startUp();
    SettingsStore store(environment);
    Settings settings = store.LoadSettings();
    settings.mode = SignMode::NVS;
    ControlRouteConfig config = controlRouteConfigFrom(settings, environment.nvsImageDir());
    if (address) config.addressList = *address;
    if (checkEach) config.checkEach = *checkEach;
    if (clearMemory) config.clearMemory = true;
    if (int refusal = checkAddressNumbers(config.addressList)) {
        err << text(refusal) << "\n";
        return 2;
    }

    SerialPort serial;
    if (link) {
        std::string error;
        bool badText = false;
        if (!applyControlLink(*link, config, serial, error, badText)) {
            err << (badText ? "lumavox-cli: --link " : "") << error << "\n";
            return badText ? 2 : 1;
        }
    } else if (settings.sendType == SendType::Gprs) {
        err << "lumavox-cli: the NVS family does not send over GPRS; use --link\n";
        return 1;
    }
    if (!link || !address)
        out << "Using "
            << describeControlConnection(
                   config, settings,
                   link && link->rfind("serial:", 0) == 0 ? link->substr(7) : std::string())
            << storedChoice(link.has_value(), address.has_value()) << "\n";

    WorkArea work;
    if (command->document) {
        if (rest.size() != 1) {
            return usageError(command->name, err);
        }
        OpenOptions open;
        open.mode = SignMode::NVS;
        OpenResult r = openDocument(rest[0], open);
        if (!r.ok) {
            err << r.error << "\n";
            return 1;
        }
        work = std::move(r.work);
    } else if (command->kind == UpdateKind::ChangeAddress) {
        if (rest.size() != 2 || !controlNumber(rest[0], config.oldAddress) ||
            !controlNumber(rest[1], config.newAddress)) {
            return usageError(command->name, err);
        }
    } else if (!rest.empty()) {
        return usageError(positional.empty() ? std::string_view() : positional[0], err);
    }

    TerminalRouteHost host(out);
    gStop = 0;
    auto previous = std::signal(SIGINT, onStop);
    const int failures =
        runControlOperation(command->kind, config, command->document ? &work : nullptr, host,
                            environment.cacheDir, embeddedResources(), [] { return gStop != 0; });
    std::signal(SIGINT, previous);
    const int status = host.failed || failures > 0 ? 1 : 0;
    return status;
}

}  // namespace lumavox

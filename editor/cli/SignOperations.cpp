#include "cli/SignOperations.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <optional>
#include <ostream>

#include "app/LanguageManager.h"
#include "cli/ControlOperations.h"
#include "cli/GprsCommands.h"
#include "cli/Help.h"
#include "cli/ServerClient.h"
#include "content/Document.h"
#include "operations/Modems.h"
#include "operations/Operations.h"
#include "operations/Settings.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "render/FontSet.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

bool takesValue(const std::string& a) {
    return a == "--home" || a == "--link" || a == "--address" || a == "--into" || a == "--hold" ||
           a == "--reply-timeout-ms" || a == "--family" || a == "--server-port" ||
           a == "--wait-devices" || a == "--server" || a == "--sign" || a == "--group" ||
           a == "--expires";
}

volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void onInterrupt(int) {
    gInterrupted = 1;
}

// The terminal stands in for the operation dialog: status lines and message
// boxes are printed as they come, questions are answered by --yes / --no.
class TerminalHost : public SessionHost {
  public:
    // `preface`, when given, is printed before the first thing the session says.
    TerminalHost(std::ostream& out, bool yes, bool quiet, std::string preface)
        : out_(out), yes_(yes), quiet_(quiet), preface_(std::move(preface)) {}
    void status(const std::string& t) override {
        sayPreface();
        if (t == last_) return;
        last_ = t;
        if (!quiet_) out_ << readable(t) << "\n";
    }
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void message(const std::string& t, Icon icon) override {
        sayPreface();
        out_ << "[" << promptTitle(icon) << "] " << readable(t) << "\n";
    }
    bool askYesNo(const std::string& t, Icon icon) override {
        sayPreface();
        out_ << "[" << promptTitle(icon) << "] " << readable(t) << " " << (yes_ ? "Yes" : "No")
             << "\n";
        return yes_;
    }
    void fileList(const std::vector<FileEntry>&) override {}
    void pump() override {}
    bool cancelRequested() const override { return gInterrupted != 0; }

  private:
    void sayPreface() {
        if (preface_.empty()) return;
        out_ << preface_ << "\n";
        preface_.clear();
    }
    // Line breaks of the dialog ("\r\n", or "\r" alone) as terminal lines.
    static std::string readable(const std::string& t) {
        std::string s;
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '\r') {
                s.push_back('\n');
                if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
            } else {
                s.push_back(t[i]);
            }
        }
        while (!s.empty() && s.back() == '\n')
            s.pop_back();
        return s;
    }
    std::ostream& out_;
    bool yes_;
    bool quiet_;
    std::string preface_;
    std::string last_;
};

struct SignOptions {
    std::optional<std::string> home, link, address, into, family;
    bool clearMemory = false, clearFiles = false, yes = false, quiet = false;
    int holdSeconds = 0;
    int replyTimeoutMs = 0;
    int serverPort = 0;  // GPRS: 0 the stored server port
    int waitDevices = kDefaultWaitDevicesSeconds;
    std::vector<std::string> positional;
};

bool parse(const std::vector<std::string>& args, SignOptions& o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (takesValue(a)) {
            if (i + 1 >= args.size()) {
                err << "lumavox-cli: " << a << " needs a value\n";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--home") o.home = v;
            if (a == "--link") o.link = v;
            if (a == "--address") o.address = v;
            if (a == "--into") o.into = v;
            if (a == "--family") o.family = v;
            if (a == "--hold") o.holdSeconds = std::atoi(v.c_str());
            if (a == "--reply-timeout-ms") o.replyTimeoutMs = std::atoi(v.c_str());
            if (a == "--server-port") {
                o.serverPort = std::atoi(v.c_str());
                if (o.serverPort < 1 || o.serverPort > 65535) {
                    err << "lumavox-cli: --server-port must be 1 to 65535\n";
                    return false;
                }
            }
            if (a == "--wait-devices") {
                o.waitDevices = std::atoi(v.c_str());
                if (o.waitDevices < 0 || o.waitDevices > 86400) {
                    err << "lumavox-cli: --wait-devices must be 0 to 86400\n";
                    return false;
                }
            }
        } else if (a == "--clear-memory") {
            o.clearMemory = true;
        } else if (a == "--clear-files") {
            o.clearFiles = true;
        } else if (a == "--yes") {
            o.yes = true;
        } else if (a == "--no") {
            o.yes = false;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            err << "lumavox-cli: unknown option " << a << "\n";
            return false;
        } else {
            o.positional.push_back(a);
        }
    }
    return true;
}

bool parseTime(const std::string& t, int& h, int& m) {
    if (t.size() != 5 || t[2] != ':') return false;
    h = std::atoi(t.substr(0, 2).c_str());
    m = std::atoi(t.substr(3).c_str());
    return h >= 0 && h < 24 && m >= 0 && m < 60;
}

// A decimal number of digits only; numbers too long for an int stay INT_MAX,
// so a range check refuses them.
bool parseNumber(const std::string& t, int& value) {
    if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos) return false;
    long long v = 0;
    for (char c : t)
        v = std::min<long long>(v * 10 + (c - '0'), std::numeric_limits<int>::max());
    value = static_cast<int>(v);
    return true;
}

bool parseMode(const std::string& t, bool& automatic) {
    if (t == "AUTO" || t == "ON" || t == "auto" || t == "on") {
        automatic = true;
        return true;
    }
    if (t == "MANUAL" || t == "manual") {
        automatic = false;
        return true;
    }
    return false;
}

// Text files read from the sign are decoded with the fonts of the document's
// sign height, as the editor's view has them loaded; without the font file,
// with the decoder's own start.
TextDecodeOptions documentDecodeOptions(const std::filesystem::path& home, int signHeight,
                                        const SettingsStore& store) {
    FontFileCheck check = checkFontFile(home, signHeight);
    if (check.status != FontFileStatus::Ok) return {};
    FontSet fonts;
    fonts.Load(check.path, nullptr);
    return readBackDecodeOptions(fonts, store.DefaultFontName());
}

int usage(const std::vector<std::string>& positional, std::ostream& err) {
    return usageError(positional.empty() ? std::string_view() : positional[0], err);
}

// The stored settings overridden by the options, as the request of the run;
// 0, or the exit status of a refusal.
int requestFrom(const SignOptions& o, const Settings& settings, OperationRequest& request,
                std::ostream& err) {
    std::string detail;
    if (o.link) {
        std::string reason;
        if (!parseLinkText(*o.link, settings, request.link.emplace(), reason)) {
            err << "lumavox-cli: --link " << reason << "\n";
            return 2;
        }
    }
    request.address = o.address;
    if (checkRequest(settings, request, detail) == OperationProblem::BadAddressList) {
        err << detail << "\n";
        return 2;
    }
    if (o.clearMemory || o.clearFiles)
        request.sendOptions = (o.clearMemory ? 1 : 0) | (o.clearFiles ? 2 : 0);
    request.replyTimeoutMs = o.replyTimeoutMs;
    request.alwaysDisplay = false;  // the command line is the "Comport & Addr." dialog
    request.holdMs = o.holdSeconds * 1000;
    return 0;
}

// The answers of the operation's own dialog from the arguments that follow the
// command (the document first, when it takes one); false on a usage error.
bool answersFrom(const SignOperation& op, const std::vector<std::string>& rest, Settings& settings,
                 const SettingsStore& store, OperationRequest& request, std::ostream& err) {
    switch (op.input) {
        case OperationInput::SendNames:
        case OperationInput::ReadNames:
            request.names.assign(rest.begin() + 1, rest.end());
            return true;
        case OperationInput::CurrentFile:
            if (rest.size() != 2) return false;
            request.names = {rest[1]};
            return true;
        case OperationInput::DefaultName:
            if (rest.size() > 1) return false;
            request.defaultName = rest.empty() ? std::string() : rest[0];
            return true;
        case OperationInput::AddressPair:
            return rest.size() == 2 && parseNumber(rest[0], request.oldAddress) &&
                   parseNumber(rest[1], request.newAddress);
        case OperationInput::OnOffTimes: {
            AutoOnOffRecord r;
            if (rest.size() != 4 || !parseMode(rest[0], r.autoOn) ||
                !parseTime(rest[1], r.onHour, r.onMinute) || !parseMode(rest[2], r.autoOff) ||
                !parseTime(rest[3], r.offHour, r.offMinute))
                return false;
            // The dialog keeps what is sent for the next time.
            settings.autoOn = r.autoOn;
            settings.autoOnHour = r.onHour;
            settings.autoOnMinute = r.onMinute;
            settings.autoOff = r.autoOff;
            settings.autoOffHour = r.offHour;
            settings.autoOffMinute = r.offMinute;
            std::string e;
            if (!store.SaveSettings(settings, e)) err << "lumavox-cli: " << e << "\n";
            return true;
        }
        case OperationInput::BaudIndex:
            return rest.size() == 1 && parseNumber(rest[0], request.baudIndex);
        case OperationInput::None:
            return op.document == DocumentUse::Required || rest.empty();
    }
    return false;
}

// What the command line prints of the sign's answer: the directories read and
// the number of schedule tasks received.
void printAnswer(const SignOperation& op, const SendSession& session, std::ostream& out) {
    if (op.name == "read-text-dir" || op.name == "read-graphic-dir") {
        for (const DirectoryEntry& e : session.directory())
            if (!(op.name == "read-text-dir" && sameName(e.name, "DEMO")))
                out << e.name << "\t" << e.size << "\n";
    }
    if (op.kind == UpdateKind::ReadSchedule)
        out << session.receivedTasks().size() << " " << text(msg::kTask) << "\n";
}

// The exit status of an outcome; what the host did not show goes to `err`.
int exitStatus(const OperationOutcome& r, const SignOperation& op, const std::string& docPath,
               std::ostream& err) {
    switch (r.problem) {
        case OperationProblem::None:
            break;
        case OperationProblem::GprsRoute:
            err << "lumavox-cli: " << r.detail << "; use --link\n";
            return 1;
        case OperationProblem::BadAddressList:
            err << r.detail << "\n";
            return 2;
        case OperationProblem::UnknownFile:
            err << "lumavox-cli: " << docPath << " has no "
                << (op.kind == UpdateKind::SendGraphic ? "graphic" : "text") << " file " << r.detail
                << "\n";
            return 2;
        case OperationProblem::NoDocument:
        case OperationProblem::BadAnswer:
            return usageError(op.name, err);
        case OperationProblem::Busy:
        case OperationProblem::Refused:
            return 1;
    }
    if (!r.saveError.empty()) err << r.saveError << "\n";
    return r.ok ? 0 : 1;
}

}  // namespace

std::string signCommandIn(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (takesValue(args[i])) {
            ++i;
            continue;
        }
        if (args[i].rfind("--", 0) == 0) continue;
        return findOperation(args[i]) || isControlCommand(args[i]) ? args[i] : std::string();
    }
    return {};
}

int runSignCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (namesServer(args)) return runServerCommand(args, out, err);
    // The NVS family sends through the scriptable control.
    {
        std::optional<std::string> family, homeArg;
        std::string name;
        for (size_t i = 0; i < args.size(); ++i) {
            if (takesValue(args[i]) && i + 1 < args.size()) {
                if (args[i] == "--family") family = args[i + 1];
                if (args[i] == "--home") homeArg = args[i + 1];
                ++i;
            } else if (name.empty() && args[i].rfind("--", 0) != 0) {
                name = args[i];
            }
        }
        bool nvs =
            family
                ? (*family == "nvs" || *family == "NVS")
                : SettingsStore(ApplicationEnvironment::fromSystem(homeArg)).LoadSettings().mode ==
                      SignMode::NVS;
        if (nvs) {
            if (isControlCommand(name)) return runControlCommand(args, out, err);
            err << "lumavox-cli: " << name << " is not available in the NVS family\n";
            return 2;
        }
    }
    SignOptions o;
    if (!parse(args, o, err) || o.positional.empty()) return usage(o.positional, err);
    const SignOperation* op = findOperation(o.positional[0]);
    if (!op) return usage(o.positional, err);
    const std::vector<std::string> rest(o.positional.begin() + 1, o.positional.end());

    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(o.home);
    LanguageManager language(environment);
    language.startUp();
    SettingsStore store(environment);
    Settings settings = store.LoadSettings();
    if (o.family)
        settings.mode = (*o.family == "nvs" || *o.family == "NVS") ? SignMode::NVS : SignMode::KV2;
    OperationRequest request;
    if (int status = requestFrom(o, settings, request, err)) return status;

    // The document, for the operations that send or receive files.
    std::optional<std::string> docPath;
    if (op->document == DocumentUse::Required) {
        if (rest.empty()) return usage(o.positional, err);
        docPath = rest[0];
    } else if (op->document == DocumentUse::Optional && o.into) {
        docPath = *o.into;
    }
    WorkArea work;
    if (docPath) {
        OpenOptions open;
        open.mode = settings.mode;
        OpenResult r = openDocument(*docPath, open);
        if (!r.ok) {
            err << r.error << "\n";
            return 1;
        }
        work = std::move(r.work);
        request.documentPath = *docPath;
        request.textDecode = documentDecodeOptions(environment.dataDir, work.signHeight, store);
    }
    if (!answersFrom(*op, rest, settings, store, request, err)) return usage(o.positional, err);
    request.onAnswer = [&](const SendSession& session) { printAnswer(*op, session, out); };
    // A number dialled here joins the phone list as from the dial window.
    request.onNumberDialled = [&](const std::string& number) {
        Settings kept = store.LoadSettings();
        rememberDialledNumber(kept, number);
        std::string e;
        if (!store.SaveSettings(kept, e)) err << "lumavox-cli: " << e << "\n";
    };

    // What the stored settings chose is said before the session says
    // anything: a wrong port would otherwise only show after every retry.
    std::string preface;
    if (!o.link || !o.address)
        preface = "Using " + describeConnection(settings, request) +
                  storedChoice(o.link.has_value(), o.address.has_value());
    TerminalHost host(out, o.yes, o.quiet, preface);
    gInterrupted = 0;
    auto previous = std::signal(SIGINT, onInterrupt);
    CSignLink link(comPortsFrom(settings));
    // The GPRS route, named by --link or stored (the group last chosen in the
    // window), runs the gateway for this one operation.
    std::optional<CliGprsRoute> gprs;
    const SessionConfig route = sessionConfigFor(settings, request);
    if (route.route == Route::Gprs) {
        gprs.emplace(
            o.home, settings, route.gprsDevices.value_or(std::vector<std::string>{}), o.serverPort,
            o.waitDevices, [] { return gInterrupted != 0; }, out);
        if (!gprs->startError().empty()) {
            std::signal(SIGINT, previous);
            err << "lumavox-cli: " << gprs->startError() << "\n";
            return 1;
        }
        link.setGprsDevices(&gprs->monitor());
    }
    OperationOutcome r =
        runOperation(*op, link, host, docPath ? &work : nullptr, settings, request);
    std::signal(SIGINT, previous);
    return exitStatus(r, *op, docPath.value_or(""), err);
}

}  // namespace lumavox

#include "cli/SignOperations.h"

#include <csignal>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>

#include "app/LanguageManager.h"
#include "app/Settings.h"
#include "content/Document.h"
#include "content/Schedule.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "session/AddressList.h"
#include "session/SendSession.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

constexpr const char* kSignUsage =
    "sign operations:\n"
    "  send-text DOC.glm [NAME...]     send-graphic DOC.glm [NAME...]\n"
    "  send-all DOC.glm                send-current DOC.glm NAME\n"
    "  send-schedule DOC.glm           adjust-time | test-display | sign-off | sign-on\n"
    "  clear-memory | clear-graphics | clear-schedule | clear-text\n"
    "  set-default NAME                change-address OLD NEW\n"
    "  auto-onoff AUTO|MANUAL HH:MM AUTO|MANUAL HH:MM   change-baud INDEX\n"
    "  read-memory | read-default | read-auto-onoff | read-bios | read-serial | read-config\n"
    "  read-schedule [--into DOC.glm]  read-text-dir | read-graphic-dir\n"
    "  read-text DOC.glm NAME...       read-graphic DOC.glm NAME...\n"
    "common options:\n"
    "  --home DIR  --link tcp:HOST[,HOST...]:PORT | serial:DEVICE[@BAUD] | com:N\n"
    "  --address LIST  --clear-memory  --clear-files  --yes  --no  --quiet\n"
    "  --hold SECONDS (test-display)  --reply-timeout-ms N\n";

const std::map<std::string, UpdateKind>& commands() {
    static const std::map<std::string, UpdateKind> m = {
        {"send-text", UpdateKind::SendText},
        {"send-graphic", UpdateKind::SendGraphic},
        {"send-all", UpdateKind::SendAll},
        {"send-current", UpdateKind::SendCurrent},
        {"send-schedule", UpdateKind::SendSchedule},
        {"adjust-time", UpdateKind::AdjustTime},
        {"test-display", UpdateKind::TestDisplay},
        {"sign-off", UpdateKind::SignOff},
        {"sign-on", UpdateKind::SignOn},
        {"clear-memory", UpdateKind::ClearMemory},
        {"clear-graphics", UpdateKind::ClearGraphics},
        {"clear-schedule", UpdateKind::ClearSchedule},
        {"clear-text", UpdateKind::ClearText},
        {"set-default", UpdateKind::SetDefault},
        {"change-address", UpdateKind::ChangeAddress},
        {"auto-onoff", UpdateKind::AutoOnOff},
        {"change-baud", UpdateKind::ChangeBaud},
        {"read-memory", UpdateKind::ReadMemory},
        {"read-default", UpdateKind::ReadDefault},
        {"read-auto-onoff", UpdateKind::ReadAutoOnOff},
        {"read-bios", UpdateKind::ReadBios},
        {"read-serial", UpdateKind::ReadSerial},
        {"read-config", UpdateKind::ReadConfig},
        {"read-schedule", UpdateKind::ReadSchedule},
        {"read-text-dir", UpdateKind::ReadText},
        {"read-graphic-dir", UpdateKind::ReadGraphic},
        {"read-text", UpdateKind::ReadText},
        {"read-graphic", UpdateKind::ReadGraphic},
    };
    return m;
}

bool takesValue(const std::string& a) {
    return a == "--home" || a == "--link" || a == "--address" || a == "--into" || a == "--hold" ||
           a == "--reply-timeout-ms" || a == "--family";
}

volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void onInterrupt(int) {
    gInterrupted = 1;
}

// The terminal stands in for the operation dialog: status lines and message
// boxes are printed as they come, questions are answered by --yes / --no.
class TerminalHost : public SessionHost {
  public:
    TerminalHost(std::ostream& out, bool yes, bool quiet) : out_(out), yes_(yes), quiet_(quiet) {}
    void status(const std::string& t) override {
        if (t == last_) return;
        last_ = t;
        if (!quiet_) out_ << readable(t) << "\n";
    }
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void messageBox(const std::string& t, const std::string& title, Icon) override {
        out_ << "[" << title << "] " << readable(t) << "\n";
    }
    bool question(const std::string& t, const std::string& title) override {
        out_ << "[" << title << "] " << readable(t) << " " << (yes_ ? "Yes" : "No") << "\n";
        return yes_;
    }
    void fileList(const std::vector<FileEntry>&) override {}
    void pump() override {}
    bool cancelRequested() const override { return gInterrupted != 0; }
    const std::string& last() const { return last_; }

  private:
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
    std::string last_;
};

class HostPrompter : public Prompter {
  public:
    explicit HostPrompter(TerminalHost& h) : h_(h) {}
    void message(const std::string& t, Icon icon) override {
        h_.messageBox(t, text(icon == Icon::Error ? msg::kErrorTitle : msg::kPromptTitle), icon);
    }
    bool askYesNo(const std::string& t, Icon) override {
        return h_.question(t, text(msg::kPromptTitle));
    }

  private:
    TerminalHost& h_;
};

struct SignOptions {
    std::optional<std::string> home, link, address, into, family;
    bool clearMemory = false, clearFiles = false, yes = false, quiet = false;
    int holdSeconds = 0;
    int replyTimeoutMs = 0;
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

// --link: tcp:HOST[,HOST...]:PORT, serial:DEVICE[@BAUD] or com:N.
bool applyLink(const std::string& link, SessionConfig& c, std::ostream& err) {
    if (link.rfind("tcp:", 0) == 0) {
        std::string rest = link.substr(4);
        size_t colon = rest.rfind(':');
        int port = colon == std::string::npos ? 0 : std::atoi(rest.c_str() + colon + 1);
        if (colon == std::string::npos || port <= 0 || port > 65535) {
            err << "lumavox-cli: --link tcp:HOST:PORT needs a port\n";
            return false;
        }
        c.route = Route::Tcp;
        c.groupAddresses = rest.substr(0, colon);
        c.groupName = "--link";
        c.tcpPort = port;
        return true;
    }
    if (link.rfind("serial:", 0) == 0) {
        std::string rest = link.substr(7);
        size_t at = rest.rfind('@');
        c.route = Route::Serial;
        c.serialDevice = rest.substr(0, at);
        if (at != std::string::npos) c.serialBaud = std::atoi(rest.c_str() + at + 1);
        if (c.serialDevice.empty() || c.serialBaud <= 0) {
            err << "lumavox-cli: --link serial:DEVICE[@BAUD]\n";
            return false;
        }
        return true;
    }
    if (link.rfind("com:", 0) == 0) {
        c.route = Route::Serial;
        c.serialDevice.clear();
        c.comPort = std::atoi(link.c_str() + 4);
        if (c.comPort <= 0) {
            err << "lumavox-cli: --link com:N needs a port number\n";
            return false;
        }
        return true;
    }
    err << "lumavox-cli: unknown --link " << link << "\n";
    return false;
}

SessionConfig configFrom(const Settings& s) {
    SessionConfig c;
    c.route = s.sendType == SendType::TcpIp ? Route::Tcp : Route::Serial;
    c.repeatTimes = s.repeatTimes;
    c.modemTimeoutMs = s.modemTimeoutMs;
    c.lanTimeoutMs = s.lanRs232TimeoutMs;
    c.frameSize = s.frameSize;
    c.comPort = s.comport;
    c.baudIndex = s.baudRateIndex;
    c.serialBaud = baudRateForIndex(s.baudRateIndex);
    c.address = s.address;
    c.tcpPort = s.tcpPort;
    c.groupName = s.lastGroupName;
    for (const TcpIpGroup& g : s.tcpGroups)
        if (g.name == s.lastGroupName) c.groupAddresses = g.addresses;
    c.alwaysDisplay = s.alwaysDisplay;
    c.sendOptions = s.clearAllMemory;
    c.tcpHangUp = true;  // on at every start
    c.modemHangUp = s.hangUpModemWhenSendOver;
    c.autoOnOff = {s.autoOn,  s.autoOnHour,  s.autoOnMinute,
                   s.autoOff, s.autoOffHour, s.autoOffMinute};
    return c;
}

bool parseTime(const std::string& t, int& h, int& m) {
    if (t.size() != 5 || t[2] != ':') return false;
    h = std::atoi(t.substr(0, 2).c_str());
    m = std::atoi(t.substr(3).c_str());
    return h >= 0 && h < 24 && m >= 0 && m < 60;
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

}  // namespace

std::string signCommandIn(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (takesValue(args[i])) {
            ++i;
            continue;
        }
        if (args[i].rfind("--", 0) == 0) continue;
        return commands().count(args[i]) ? args[i] : std::string();
    }
    return {};
}

int runSignCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    SignOptions o;
    if (!parse(args, o, err) || o.positional.empty()) {
        err << kSignUsage;
        return 2;
    }
    const std::string command = o.positional[0];
    auto found = commands().find(command);
    if (found == commands().end()) {
        err << kSignUsage;
        return 2;
    }
    UpdateKind kind = found->second;
    const std::vector<std::string> rest(o.positional.begin() + 1, o.positional.end());

    std::filesystem::path home = resolveProgramDir(o.home);
    LanguageManager language(home);
    language.startUp();
    SettingsStore store(home, userStorePath());
    Settings settings = store.LoadSettings();
    SignMode mode = settings.mode;
    if (o.family) mode = (*o.family == "nvs" || *o.family == "NVS") ? SignMode::NVS : SignMode::KV2;
    SessionConfig config = configFrom(settings);
    if (settings.sendType == SendType::Gprs && !o.link) {
        err << "lumavox-cli: sending through GPRS groups is not available here; use --link\n";
        return 1;
    }
    if (o.link && !applyLink(*o.link, config, err)) return 2;
    if (o.address) {
        if (int refusal = checkAddressText(*o.address)) {
            err << text(refusal) << "\n";
            return 2;
        }
        config.address = *o.address;
    }
    if (o.clearMemory || o.clearFiles)
        config.sendOptions = (o.clearMemory ? 1 : 0) | (o.clearFiles ? 2 : 0);
    if (o.replyTimeoutMs > 0) config.replyTimeoutMs = o.replyTimeoutMs;
    config.alwaysDisplay = false;  // the command line is the "Comport & Addr." dialog

    // The document, for the operations that send or receive files.
    bool needsDoc = kind == UpdateKind::SendText || kind == UpdateKind::SendGraphic ||
                    kind == UpdateKind::SendAll || kind == UpdateKind::SendCurrent ||
                    kind == UpdateKind::SendSchedule || command == "read-text" ||
                    command == "read-graphic";
    std::optional<std::string> docPath;
    if (needsDoc) {
        if (rest.empty()) {
            err << kSignUsage;
            return 2;
        }
        docPath = rest[0];
    } else if (kind == UpdateKind::ReadSchedule && o.into) {
        docPath = *o.into;
    }
    WorkArea work;
    if (docPath) {
        OpenOptions oo;
        oo.mode = mode;
        OpenResult r = openDocument(*docPath, oo);
        if (!r.ok) {
            err << r.error << "\n";
            return 1;
        }
        work = std::move(r.work);
    }

    OperationArgs a;
    auto usage = [&] {
        err << kSignUsage;
        return 2;
    };
    switch (kind) {
        case UpdateKind::SendText:
        case UpdateKind::SendGraphic: {
            bool graphic = kind == UpdateKind::SendGraphic;
            if (rest.size() == 1) {
                if (graphic)
                    for (auto& g : work.graphics)
                        a.files.push_back(g.name.str());
                else
                    for (auto& f : work.textFiles)
                        if (f.kind == kTextFile) a.files.push_back(f.name.str());
            }
            for (size_t i = 1; i < rest.size(); ++i) {
                bool known =
                    graphic ? work.findGraphic(rest[i]) != nullptr
                            : (work.findFile(rest[i]) && work.findFile(rest[i])->kind == kTextFile);
                if (!known) {
                    err << "lumavox-cli: " << *docPath << " has no "
                        << (graphic ? "graphic" : "text") << " file " << rest[i] << "\n";
                    return 2;
                }
                a.files.push_back(rest[i]);
            }
            break;
        }
        case UpdateKind::SendCurrent:
            if (rest.size() != 2) return usage();
            if (!work.findFile(rest[1])) {
                err << "lumavox-cli: " << *docPath << " has no text file " << rest[1] << "\n";
                return 2;
            }
            a.current = rest[1];
            break;
        case UpdateKind::SetDefault:
            if (rest.size() > 1) return usage();
            if (rest.empty() || rest[0].empty()) {
                out << "[" << text(msg::kErrorTitle) << "] " << text(msg::kSelectDefaultFirst)
                    << "\n";
                return 1;
            }
            a.defaultName = rest[0];
            break;
        case UpdateKind::ChangeAddress: {
            if (rest.size() != 2) return usage();
            a.oldAddress = std::atoi(rest[0].c_str());
            a.newAddress = std::atoi(rest[1].c_str());
            if (a.oldAddress < 0 || a.oldAddress > 255 || a.newAddress < 0 || a.newAddress > 255)
                return usage();
            if (int refusal = checkAddressChange(a.oldAddress, a.newAddress)) {
                out << "[" << text(msg::kErrorTitle) << "] " << text(refusal) << "\n";
                return 1;
            }
            break;
        }
        case UpdateKind::AutoOnOff: {
            AutoOnOffRecord r;
            if (rest.size() != 4 || !parseMode(rest[0], r.autoOn) ||
                !parseTime(rest[1], r.onHour, r.onMinute) || !parseMode(rest[2], r.autoOff) ||
                !parseTime(rest[3], r.offHour, r.offMinute))
                return usage();
            config.autoOnOff = r;
            // The dialog keeps what was sent for the next time.
            settings.autoOn = r.autoOn;
            settings.autoOnHour = r.onHour;
            settings.autoOnMinute = r.onMinute;
            settings.autoOff = r.autoOff;
            settings.autoOffHour = r.offHour;
            settings.autoOffMinute = r.offMinute;
            std::string e;
            if (!store.SaveSettings(settings, e)) err << "lumavox-cli: " << e << "\n";
            break;
        }
        case UpdateKind::ChangeBaud:
            if (rest.size() != 1) return usage();
            a.baudIndex = std::atoi(rest[0].c_str());
            if (a.baudIndex < 0 || a.baudIndex >= kBaudTableSize) return usage();
            break;
        default:
            if (!needsDoc && !rest.empty()) return usage();
            break;
    }

    TerminalHost host(out, o.yes, o.quiet);
    if (kind == UpdateKind::SendSchedule) {
        HostPrompter prompter(host);
        if (!checkScheduleForUpdate(work.tasks, prompter)) return 1;
    }
    gInterrupted = 0;
    auto previous = std::signal(SIGINT, onInterrupt);
    CSignLink link(comPortsFrom(settings));
    SendSession session(link, host, config, docPath ? &work : nullptr);
    bool ok = session.run(kind, a);
    int status = ok ? 0 : 1;

    if (ok && kind == UpdateKind::TestDisplay) {
        // The sign shows its test pattern until the close-test command.
        session.pause(o.holdSeconds * 1000);
        ok = session.run(UpdateKind::CloseTest, a);
        status = ok ? 0 : 1;
    } else if (kind == UpdateKind::TestDisplay) {
        link.close();
    }
    if (ok && (command == "read-text-dir" || command == "read-graphic-dir")) {
        for (const DirectoryEntry& e : session.directory())
            if (!(command == "read-text-dir" && sameName(e.name, "DEMO")))
                out << e.name << "\t" << e.size << "\n";
    }
    if (ok && (command == "read-text" || command == "read-graphic")) {
        for (size_t i = 1; i < rest.size(); ++i)
            if (!session.tick(rest[i])) {
                out << "[" << text(msg::kErrorTitle) << "] " << rest[i] << ": "
                    << text(msg::kSelectReadFile) << "\n";
                status = 1;
            }
        if (status == 0) {
            ok = session.readFiles(kind);
            status = ok ? 0 : 1;
            if (session.mergeInto(work) > 0) {
                std::string e;
                if (!saveDocument(*docPath, work, mode, SystemClock::instance(), e)) {
                    err << e << "\n";
                    status = 1;
                }
            }
        }
    }
    if (ok && kind == UpdateKind::ReadSchedule) {
        out << session.receivedTasks().size() << " " << text(msg::kTask) << "\n";
        if (docPath) {
            HostPrompter prompter(host);
            if (offerReceivedSchedule(work, session.receivedTasks(), prompter)) {
                std::string e;
                if (!saveDocument(*docPath, work, mode, SystemClock::instance(), e)) {
                    err << e << "\n";
                    status = 1;
                }
            }
        }
    }
    std::signal(SIGINT, previous);
    return status;
}

}  // namespace lumavox

#include "operations/Operations.h"

#include <algorithm>
#include <array>

#include "content/Document.h"
#include "content/Schedule.h"
#include "operations/GprsRoute.h"
#include "operations/Modems.h"
#include "session/AddressList.h"
#include "strings/CommandIds.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

using In = OperationInput;
using Doc = DocumentUse;
using K = UpdateKind;

constexpr std::array<SignOperation, 28> kOperations = {{
    {"change-address", K::ChangeAddress, cmd::kChangeAddress, Doc::None, In::AddressPair, false},
    {"change-baud", K::ChangeBaud, cmd::kChangeBaud, Doc::None, In::BaudIndex, false},
    {"send-all", K::SendAll, cmd::kSendAll, Doc::Required, In::None, false},
    {"send-text", K::SendText, cmd::kSendText, Doc::Required, In::SendNames, false},
    {"send-graphic", K::SendGraphic, cmd::kSendGraphic, Doc::Required, In::SendNames, false},
    {"send-schedule", K::SendSchedule, cmd::kSendSchedule, Doc::Required, In::None, false},
    {"adjust-time", K::AdjustTime, cmd::kAdjustTime, Doc::None, In::None, false},
    {"test-display", K::TestDisplay, cmd::kTestDisplay, Doc::None, In::None, false},
    {"sign-off", K::SignOff, cmd::kSignOff, Doc::None, In::None, false},
    {"sign-on", K::SignOn, cmd::kSignOn, Doc::None, In::None, false},
    {"auto-onoff", K::AutoOnOff, cmd::kAutoOnOff, Doc::None, In::OnOffTimes, false},
    {"clear-memory", K::ClearMemory, cmd::kClearSign, Doc::None, In::None, false},
    {"clear-graphics", K::ClearGraphics, cmd::kClearSign, Doc::None, In::None, false},
    {"clear-schedule", K::ClearSchedule, cmd::kClearSign, Doc::None, In::None, false},
    {"clear-text", K::ClearText, cmd::kClearSign, Doc::None, In::None, false},
    {"set-default", K::SetDefault, cmd::kSetDefaultFile, Doc::None, In::DefaultName, false},
    {"send-current", K::SendCurrent, cmd::kSendCurrent, Doc::Required, In::CurrentFile, false},
    {"read-memory", K::ReadMemory, cmd::kReadMemory, Doc::None, In::None, false},
    {"read-text-dir", K::ReadText, cmd::kReadText, Doc::None, In::None, false},
    {"read-text", K::ReadText, cmd::kReadText, Doc::Required, In::ReadNames, true},
    {"read-graphic-dir", K::ReadGraphic, cmd::kReadGraphic, Doc::None, In::None, false},
    {"read-graphic", K::ReadGraphic, cmd::kReadGraphic, Doc::Required, In::ReadNames, true},
    {"read-schedule", K::ReadSchedule, cmd::kReadSchedule, Doc::Optional, In::None, true},
    {"read-default", K::ReadDefault, cmd::kReadDefault, Doc::None, In::None, false},
    {"read-auto-onoff", K::ReadAutoOnOff, cmd::kReadAutoOnOff, Doc::None, In::None, false},
    {"read-bios", K::ReadBios, cmd::kReadBios, Doc::None, In::None, false},
    {"read-serial", K::ReadSerial, cmd::kReadSerial, Doc::None, In::None, false},
    {"read-config", K::ReadConfig, cmd::kReadConfig, Doc::None, In::None, false},
}};

// A session attached to the link and in the middle of a run.
bool linkBusy(const CSignLink& link) {
    if (link.modemDialer() && link.modemDialer()->dialing()) return true;
    auto* session = dynamic_cast<const SendSession*>(link.receiver());
    return session && session->busy();
}

void applyOverrides(const OperationRequest& r, SessionConfig& c) {
    if (r.link) {
        const LinkOverride& l = *r.link;
        c.route = l.route;
        if (l.route == Route::Tcp) {
            c.groupName = l.groupName;
            c.groupAddresses = l.hosts;
            c.link.tcpPort = l.port;
        } else if (l.route == Route::Gprs) {
            c.groupName = l.groupName;
            c.gprsDevices = l.devices;
        } else {
            c.serialDevice = l.device;
            c.serialBaud = l.device.empty() ? 0 : l.baud;
            if (l.device.empty()) c.link.comPort = l.comPort;
        }
    }
    if (r.address) c.link.address = *r.address;
    if (r.sendOptions) c.sendOptions = *r.sendOptions;
    if (r.alwaysDisplay) c.alwaysDisplay = *r.alwaysDisplay;
    if (r.replyTimeoutMs > 0) c.replyTimeoutMs = r.replyTimeoutMs;
    c.textDecode = r.textDecode;
}

// The answers of the operation's own dialog as the session's arguments; a
// problem when they do not fit the document or the operation.
OperationProblem answersFor(const SignOperation& op, const WorkArea* work, SessionHost& host,
                            const OperationRequest& r, OperationArgs& a, std::string& detail) {
    switch (op.input) {
        case In::SendNames: {
            bool graphic = op.kind == UpdateKind::SendGraphic;
            if (r.names.empty()) {
                if (graphic)
                    for (const GraphicFile& g : work->graphics)
                        a.files.push_back(g.name.str());
                else
                    for (const TextFile& f : work->textFiles)
                        if (f.kind == kTextFile) a.files.push_back(f.name.str());
            }
            for (const std::string& name : r.names) {
                const TextFile* f = work->findFile(name);
                bool known = graphic ? work->findGraphic(name) != nullptr
                                     : f != nullptr && f->kind == kTextFile;
                if (!known) {
                    detail = name;
                    return OperationProblem::UnknownFile;
                }
                a.files.push_back(name);
            }
            return OperationProblem::None;
        }
        case In::CurrentFile:
            if (r.names.size() != 1) return OperationProblem::BadAnswer;
            if (!work->findFile(r.names[0])) {
                detail = r.names[0];
                return OperationProblem::UnknownFile;
            }
            a.current = r.names[0];
            return OperationProblem::None;
        case In::DefaultName:
            if (r.defaultName.empty()) {
                host.message(text(msg::kSelectDefaultFirst), Icon::Error);
                return OperationProblem::Refused;
            }
            a.defaultName = r.defaultName;
            return OperationProblem::None;
        case In::AddressPair:
            if (r.oldAddress < 0 || r.newAddress < 0) return OperationProblem::BadAnswer;
            if (r.oldAddress > static_cast<int>(kMaxSignAddress) ||
                r.newAddress > static_cast<int>(kMaxSignAddress)) {
                detail = text(msg::kAddressTooLarge);
                return OperationProblem::BadAddressList;
            }
            if (int refusal = checkAddressChange(r.oldAddress, r.newAddress)) {
                host.message(text(refusal), Icon::Error);
                return OperationProblem::Refused;
            }
            a.oldAddress = r.oldAddress;
            a.newAddress = r.newAddress;
            return OperationProblem::None;
        case In::BaudIndex:
            if (r.baudIndex < 0 || r.baudIndex >= kBaudTableSize)
                return OperationProblem::BadAnswer;
            a.baudIndex = r.baudIndex;
            return OperationProblem::None;
        case In::None:
        case In::ReadNames:
        case In::OnOffTimes:
            return OperationProblem::None;
    }
    return OperationProblem::None;
}

// Ticks the named files in the directory just read; every name the sign does
// not hold is reported. True when all were found.
bool tickNames(SendSession& session, SessionHost& host, const std::vector<std::string>& names) {
    bool all = true;
    for (const std::string& name : names)
        if (!session.tick(name)) {
            host.message(name + ": " + text(msg::kSelectReadFile), Icon::Error);
            all = false;
        }
    return all;
}

}  // namespace

std::span<const SignOperation> signOperations() {
    return kOperations;
}

const SignOperation* findOperation(std::string_view name) {
    for (const SignOperation& op : kOperations)
        if (op.name == name) return &op;
    return nullptr;
}

std::vector<const SignOperation*> operationsForCommand(int command) {
    std::vector<const SignOperation*> found;
    for (const SignOperation& op : kOperations)
        if (op.command == command) found.push_back(&op);
    return found;
}

SessionConfig sessionConfigFrom(const Settings& s) {
    SessionConfig c;
    c.link = linkSettingsFrom(s);
    c.route = s.sendType == SendType::TcpIp  ? Route::Tcp
              : s.sendType == SendType::Gprs ? Route::Gprs
                                             : Route::Serial;
    c.groupName = s.lastGroupName;
    for (const TcpIpGroup& g : s.tcpGroups)
        if (g.name == s.lastGroupName) c.groupAddresses = g.addresses;
    if (c.route == Route::Gprs) {
        c.groupName = s.lastGprsGroupName;
        if (const GprsGroup* g = findGprsGroup(s.gprsGroups, s.lastGprsGroupName))
            c.gprsDevices = g->devices;
    }
    c.alwaysDisplay = s.alwaysDisplay;
    c.sendOptions = s.clearAllMemory;
    c.tcpHangUp = s.hangUpWhenSendOverByTcpIp;  // on at every start, never read back
    c.modemHangUp = s.hangUpModemWhenSendOver;
    c.autoOnOff = {s.autoOn,  s.autoOnHour,  s.autoOnMinute,
                   s.autoOff, s.autoOffHour, s.autoOffMinute};
    return c;
}

SessionConfig sessionConfigFor(const Settings& settings, const OperationRequest& request) {
    SessionConfig c = sessionConfigFrom(settings);
    applyOverrides(request, c);
    return c;
}

std::string describeConnection(const Settings& settings, const OperationRequest& request) {
    const SessionConfig c = sessionConfigFor(settings, request);
    std::string s;
    if (c.route == Route::Gprs) {
        s = "GPRS";
        if (!c.groupName.empty()) s += " group \"" + c.groupName + "\"";
        std::string devices;
        for (const std::string& d : c.gprsDevices.value_or(std::vector<std::string>{}))
            devices += (devices.empty() ? "" : ", ") + d;
        s += " (" + (devices.empty() ? std::string("no device") : devices) + ")";
    } else if (c.route == Route::Tcp) {
        s = "TCP/IP";
        if (!c.groupName.empty()) s += " group \"" + c.groupName + "\"";
        s += " (" + (c.groupAddresses.empty() ? std::string("no address") : c.groupAddresses) +
             ") port " + std::to_string(c.link.tcpPort);
    } else {
        const std::string device = c.serialDevice.empty()
                                       ? comPortsFrom(settings).devicePath(c.link.comPort)
                                       : c.serialDevice;
        s = "serial ";
        if (c.serialDevice.empty()) s += "COM" + std::to_string(c.link.comPort) + " (";
        s += device;
        if (c.serialDevice.empty()) s += ")";
        s += " at " + std::to_string(c.serialBaud > 0 ? c.serialBaud : c.link.baudRate()) + " baud";
    }
    const bool several = c.link.address.find_first_of(",-") != std::string::npos;
    if (c.link.address.empty()) return s + ", no sign address";
    return s + ", sign address" + (several ? "es " : " ") + c.link.address;
}

std::string storedChoice(bool linkGiven, bool addressGiven) {
    if (linkGiven) return " (address from the stored settings; --address chooses another)";
    if (addressGiven) return " (link from the stored settings; --link chooses another)";
    return " (stored settings; --link and --address choose others)";
}

OperationProblem checkRequest(const Settings& settings, const OperationRequest& request,
                              std::string& detail, bool gprs) {
    if (settings.sendType == SendType::Gprs && !request.link && !gprs) {
        detail = "sending through GPRS groups is not available here";
        return OperationProblem::GprsRoute;
    }
    if (request.address) {
        if (int refusal = checkAddressText(*request.address)) {
            detail = text(refusal);
            return OperationProblem::BadAddressList;
        }
    }
    return OperationProblem::None;
}

OperationOutcome runOperation(const SignOperation& op, CSignLink& link, SessionHost& host,
                              WorkArea* work, const Settings& settings,
                              const OperationRequest& request) {
    OperationOutcome out;
    if (linkBusy(link)) {
        out.problem = OperationProblem::Busy;
        return out;
    }
    out.problem = checkRequest(settings, request, out.detail, link.gprsDevices() != nullptr);
    if (out.problem != OperationProblem::None) return out;
    if (op.document == DocumentUse::Required && !work) {
        out.problem = OperationProblem::NoDocument;
        return out;
    }
    OperationArgs args;
    out.problem = answersFor(op, work, host, request, args, out.detail);
    if (out.problem != OperationProblem::None) return out;
    if (op.kind == UpdateKind::SendSchedule && !checkScheduleForUpdate(work->tasks, host)) {
        out.problem = OperationProblem::Refused;
        return out;
    }

    SessionConfig config = sessionConfigFor(settings, request);
    OperationModemLine modemLine(link, host);
    if (request.link && !request.link->modemNumber.empty() &&
        !modemLine.bringUp(
            settings,
            RegistryEx::load(request.link->modemRegistry.empty() ? modemRegistryPath()
                                                                 : request.link->modemRegistry),
            request.link->modemNumber, request.onNumberDialled)) {
        out.problem = OperationProblem::Refused;
        return out;
    }
    SendSession session(link, host, config, work);
    bool ok = session.run(op.kind, args);
    if (ok && request.onAnswer) request.onAnswer(session);
    if (op.kind == UpdateKind::TestDisplay) {
        // The sign shows its test pattern until the close-test command.
        if (ok) {
            session.pause(request.holdMs);
            ok = session.run(UpdateKind::CloseTest, args);
        } else {
            link.close();
        }
    }
    if (ok && op.input == OperationInput::ReadNames) {
        ok = tickNames(session, host, request.names);
        if (ok) {
            ok = session.readFiles(op.kind);
            // Files that arrived before a failure are offered too, as "Close" does.
            out.merged = session.mergeInto(*work);
            out.documentChanged = out.merged > 0;
        }
    }
    if (ok && op.kind == UpdateKind::ReadSchedule && work && op.writesBack &&
        !request.offerScheduleLater)
        out.documentChanged = offerReceivedSchedule(*work, session.receivedTasks(), host);
    if (out.documentChanged && !request.documentPath.empty() &&
        !saveDocument(request.documentPath, *work, settings.mode, SystemClock::instance(),
                      out.saveError))
        ok = false;
    out.ok = ok;
    out.resultText = session.resultText();
    return out;
}

bool parseLinkText(const std::string& link, const Settings& settings, LinkOverride& l,
                   std::string& error) {
    if (link.rfind("gprs:", 0) == 0) {
        GprsTargets t = gprsTargetsFor(settings.gprsGroups, link.substr(5));
        // A stored group without devices is the session's to refuse, as when
        // the stored settings choose it.
        if (t.devices.empty() && t.groupName.empty()) {
            error = "gprs:GROUP or gprs:NAME[,NAME...]";
            return false;
        }
        l.route = Route::Gprs;
        l.groupName = t.groupName;
        l.devices = std::move(t.devices);
        return true;
    }
    if (link.rfind("tcp:", 0) == 0) {
        std::string rest = link.substr(4);
        size_t colon = rest.rfind(':');
        int port = colon == std::string::npos ? 0 : std::atoi(rest.c_str() + colon + 1);
        if (colon == std::string::npos || port <= 0 || port > 65535) {
            error = "tcp:HOST:PORT needs a port";
            return false;
        }
        l.route = Route::Tcp;
        l.hosts = rest.substr(0, colon);
        l.groupName.clear();  // no stored group: each target is named by its host alone
        l.port = port;
        return true;
    }
    if (link.rfind("modem:", 0) == 0) {
        l.route = Route::Serial;
        l.modemNumber = link.substr(6);
        if (l.modemNumber.empty()) {
            error = "modem:NUMBER needs a number";
            return false;
        }
        return true;
    }
    if (link.rfind("serial:", 0) == 0) {
        std::string rest = link.substr(7);
        size_t at = rest.rfind('@');
        l.route = Route::Serial;
        l.device = rest.substr(0, at);
        l.baud = at == std::string::npos ? 0 : std::atoi(rest.c_str() + at + 1);
        if (l.device.empty() || (at != std::string::npos && l.baud <= 0)) {
            error = "serial:DEVICE[@BAUD] needs a device";
            return false;
        }
        return true;
    }
    if (link.rfind("com:", 0) == 0) {
        l.route = Route::Serial;
        l.comPort = std::atoi(link.c_str() + 4);
        if (l.comPort <= 0) {
            error = "com:N needs a port number";
            return false;
        }
        return true;
    }
    error = "unknown link " + link + " (tcp:, serial:, com:, modem: or gprs:)";
    return false;
}


}  // namespace lumavox

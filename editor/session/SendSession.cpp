#include "session/SendSession.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "content/GraphicBody.h"
#include "content/GraphicRules.h"
#include "content/TextBody.h"
#include "protocol/Frame.h"
#include "session/AddressList.h"
#include "strings/GprsTexts.h"
#include "strings/SessionTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "transport/ModemDialer.h"

namespace lumavox {

namespace {

constexpr size_t kMaxSignBody = 0xFFFF;  // the body's length field is 16 bits
constexpr int kMaxGraphicSide = 255;     // width and height travel as one byte
constexpr uint8_t kEndSession = 'z';
// What request() returns when the request itself was not delivered.
constexpr int kRequestFailed = -2;

std::vector<std::string> splitTargets(const std::string& list) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        size_t comma = list.find(',', pos);
        std::string item =
            list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        item.erase(0, item.find_first_not_of(" \t"));
        item.erase(item.find_last_not_of(" \t") + 1);
        if (!item.empty()) out.push_back(item);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return out;
}

// Marks the session busy for the lifetime of a run.
class BusyScope {
  public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& flag_;
};

}  // namespace

SendSession::SendSession(CSignLink& link, SessionHost& host, SessionConfig config,
                         const WorkArea* document, const Clock& clock)
    : link_(link), host_(host), config_(std::move(config)), document_(document), clock_(clock) {
    reception_.setAckSender([this] {
        std::string e;
        link_.send(kHandshake, e);
    });
    reception_.setFrameObserver([this](std::span<const uint8_t> data) {
        if (acceptedFrames_++ == 0) firstFrameSize_ = data.size();
        reply_.insert(reply_.end(), data.begin(), data.end());
        if (expected_ == 0) {
            ReplyLength l = replyLength(readKind_, reply_, firstFrameSize_);
            expected_ = l.expected;
            untrusted_ = l.untrusted;
        }
        return expected_ != 0 && reply_.size() >= expected_;
    });
    link_.setReceiver(this);
}

SendSession::~SendSession() {
    if (link_.receiver() == this) link_.setReceiver(nullptr);
}

// ---- Host helpers ----

void SendSession::setResult(const std::string& text, bool showStatus) {
    result_ = text;
    if (showStatus) host_.status(text);
}

void SendSession::error(const std::string& text) {
    host_.message(text, Icon::Error);
}

void SendSession::reportFailure(const std::string& text) {
    // The status line says it and keeps it; an error box says it too.
    setResult(text);
    error(result_);
}

void SendSession::warn(const std::string& text) {
    host_.message(text, Icon::Exclamation);
}

bool SendSession::cancelRequested() const {
    return host_.cancelRequested();
}

bool SendSession::setConfig(const SessionConfig& c) {
    if (busy_) return false;
    config_ = c;
    return true;
}

void SendSession::pump() {
    host_.pump();
}

void SendSession::onLinkBytes(std::span<const uint8_t> bytes, bool handshakeAwaited) {
    reception_.receive(bytes, handshakeAwaited);
}

bool SendSession::tick(const std::string& name, bool on) {
    for (auto& f : files_)
        if (sameName(f.name, name)) {
            f.ticked = on;
            return true;
        }
    return false;
}

// ---- Waits ----

void SendSession::pause(int ms) {
    host_.pump();
    if (ms <= 0) return;
    uint64_t start = clock_.tickMs();
    while (clock_.tickMs() - start < static_cast<uint64_t>(ms)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        host_.pump();
    }
}

int SendSession::waitHandshake() {
    int limit = (link_.linkState() == LinkState::Modem || link_.linkState() == LinkState::Gprs)
                    ? config_.link.modemTimeoutMs
                    : config_.link.lanTimeoutMs;
    std::string err;
    int r = link_.awaitHandshake(limit, err);
    if (r < 0 && !cancelRequested())
        host_.status(formatText("%s,%s", {text(msg::kHandshakeError), err}));
    return r;
}

// ---- Transfer ----

int SendSession::transfer(std::span<const uint8_t> payload, uint8_t address,
                          const std::string& label, const std::string& target, bool repeat) {
    int limit = config_.link.frameLimit();
    size_t frames = frameCount(payload.size(), limit);
    host_.progressRange(0, static_cast<int>(frames));
    host_.progressPosition(0);
    bool delivered = frames > 0;
    int attempts = config_.link.attemptsPerFrame();
    std::vector<uint8_t> frame;
    frame.reserve(kMaxFrameBytes);
    size_t start = 0;
    std::string via = text(msg::kTo) + " " + target;
    auto cancelled = [&] {
        return target.empty()
                   ? formatText("%s. %s", {label, text(msg::kCancelledByUser)})
                   : formatText("%s(%s). %s", {label, target, text(msg::kCancelledByUser)});
    };
    for (size_t n = 1; n <= frames; ++n) {
        size_t next = buildFrame(payload, start, limit, address, sequenceByte(sequence_), frame);
        host_.progressPosition(static_cast<int>(n));
        delivered = false;
        bool linkFailed = false;
        std::string linkError;
        if (cancelRequested()) setResult(cancelled());  // no attempt at all
        for (int attempt = 1; attempt <= attempts && !cancelRequested(); ++attempt) {
            host_.status(label + ". " +
                         textf(msg::kSendingAttempt,
                               {attempt, via, static_cast<int>(frames), static_cast<int>(n)}));
            linkFailed = false;
            // A late answer to an earlier frame must not pass for this one's.
            if (link_.linkState() == LinkState::Gprs) link_.dropGprsPending();
            if (link_.send(frame, linkError)) {
                ++framesSent_;
                if (address == kBroadcastAddress) {
                    pause(100);
                    delivered = true;
                } else {
                    delivered = waitHandshake() == 1;
                }
            } else {
                if (link_.linkState() == LinkState::Tcp) link_.closeSocket();
                linkFailed = true;
            }
            if (delivered) {
                std::string ok = text(msg::kSuccessfully);
                setResult(target.empty() ? formatText("%s,%s!", {label, ok})
                                         : formatText("%s(%s),%s!", {label, target, ok}));
                break;
            }
            std::string failed = text(msg::kFailed);
            if (cancelRequested())
                setResult(cancelled());
            else if (linkFailed)
                setResult(target.empty()
                              ? formatText("%s %s(%s)!", {label, failed, linkError})
                              : formatText("%s(%s) %s(%s)!", {label, target, failed, linkError}));
            else
                setResult(target.empty() ? formatText("%s %s!", {label, failed})
                                         : formatText("%s(%s) %s!", {label, target, failed}));
            if (!repeat) break;
        }
        ++sequence_;
        if (!delivered) break;
        start = next;
    }
    if (!delivered) {
        if (frames == 0) setResult(formatText("%s %s!", {label, text(msg::kFailed)}));
        error(result_);
    }
    host_.progressPosition(0);
    pause(config_.settleMs);
    return delivered ? 1 : -1;
}

int SendSession::endSession(uint8_t address, const std::string& target) {
    const uint8_t z[] = {kEndSession};
    return transfer(z, address, textf(msg::kLabelEndSession, {address}), target, false);
}

// ---- The run ----

const std::vector<uint8_t>& SendSession::textBody(const TextFile& file) {
    auto [it, made] = bodies_.try_emplace(&file);
    if (made) encodeTextBody(file, *document_, clock_, it->second);
    return it->second;
}

bool SendSession::payloadsFit(UpdateKind kind, const OperationArgs& args) {
    bodies_.clear();
    if (!document_) return true;
    auto textFits = [&](const TextFile& f) {
        const std::vector<uint8_t>& body = textBody(f);
        if (body.size() <= kMaxSignBody) return true;
        reportFailure(
            textf(msg::kTextBodyTooLong, {f.name.str(), static_cast<long long>(body.size())}));
        return false;
    };
    auto graphicFits = [&](const GraphicFile& g) {
        if (g.width <= kMaxGraphicSide && g.height <= kMaxGraphicSide) return true;
        reportFailure(textf(msg::kGraphicTooLarge, {g.name.str(), g.width, g.height}));
        return false;
    };
    auto ticked = [&](const std::string& n) {
        return std::any_of(args.files.begin(), args.files.end(),
                           [&](const std::string& t) { return sameName(t, n); });
    };
    for (const TextFile& f : document_->textFiles) {
        if (f.kind != kTextFile) continue;
        bool sent = kind == UpdateKind::SendAll ||
                    (kind == UpdateKind::SendText && ticked(f.name.str())) ||
                    (kind == UpdateKind::SendCurrent && sameName(f.name.str(), args.current));
        if (sent && !textFits(f)) return false;
    }
    for (const GraphicFile& g : document_->graphics) {
        bool sent = kind == UpdateKind::SendAll ||
                    (kind == UpdateKind::SendGraphic && ticked(g.name.str()));
        if (sent && !graphicFits(g)) return false;
    }
    return true;
}

bool SendSession::preChecks(UpdateKind kind, const OperationArgs& args,
                            std::vector<std::string>& targets, std::vector<uint8_t>& addresses,
                            bool fileStage) {
    if ((kind == UpdateKind::SendText || kind == UpdateKind::SendGraphic) && args.files.empty()) {
        reportFailure(text(msg::kSessionSelectFiles));
        return false;
    }
    if (fileStage) {
        if (files_.empty()) {
            reportFailure(text(msg::kReadDirectoryFirst));
            return false;
        }
        if (std::none_of(files_.begin(), files_.end(), [](auto& f) { return f.ticked; })) {
            reportFailure(text(msg::kSelectReadFile));
            return false;
        }
    }
    if (!payloadsFit(kind, args)) return false;
    if (config_.alwaysDisplay && link_.linkState() == LinkState::None &&
        kind != UpdateKind::ChangeAddress && !host_.confirmConnection()) {
        setResult(text(msg::kCancelledByUser));
        return false;
    }
    targets.clear();
    if (config_.route == Route::Gprs) {
        if (!config_.gprsDevices) {
            reportFailure(textf(msg::kGprsGroupNotExist, {config_.groupName}));
            return false;
        }
        for (const std::string& d : *config_.gprsDevices)
            if (!d.empty()) targets.push_back(d);
    } else if (config_.route == Route::Tcp) {
        targets = splitTargets(config_.groupAddresses);
    } else {
        targets.push_back({});
    }
    if (int refusal = checkAddressNumbers(config_.link.address)) {
        reportFailure(text(refusal));
        return false;
    }
    addresses = parseAddressList(config_.link.address);
    if (addresses.empty()) {
        reportFailure(text(msg::kNoSignAddress));
        return false;
    }
    if (config_.route == Route::Tcp && targets.empty()) {
        reportFailure(text(msg::kNoIpAddress));
        return false;
    }
    // A group without devices would end the run at once as if it had succeeded.
    if (config_.route == Route::Gprs && targets.empty()) {
        reportFailure(textf(msg::kGprsGroupEmpty, {config_.groupName}));
        return false;
    }
    bool hasZero = std::find(addresses.begin(), addresses.end(), 0) != addresses.end();
    if (isReadKind(kind)) {
        if (targets.size() > 1) warn(text(msg::kReadFirstTarget));
        if (addresses.size() > 1) warn(text(msg::kReadFirstAddress));
        if (hasZero) {
            reportFailure(text(msg::kReadAddressZero));
            return false;
        }
    }
    if (kind == UpdateKind::TestDisplay) {
        if (config_.route != Route::Serial && targets.size() > 1) warn(text(msg::kTestFirstTarget));
        if (addresses.size() > 1) warn(text(msg::kTestFirstAddress));
    }
    return true;
}

std::string SendSession::targetLabel(const std::string& ip) const {
    if (config_.route == Route::Serial) return {};
    // A connection named for one run has no group: the host alone names it.
    if (config_.groupName.empty()) return ip;
    return textf(msg::kTargetInGroup, {ip, config_.groupName});
}

bool SendSession::connect(const std::string& target, bool endsRunOnFailure) {
    (void)endsRunOnFailure;
    if (config_.route == Route::Gprs) {
        if (link_.linkState() != LinkState::None) return true;
        if (!link_.connectGprs(this, target)) {
            reportFailure(textf(msg::kGprsClientNotConnected, {target}));
            return false;
        }
        host_.status(textf(msg::kGprsClientConnected, {target}));
        link_.setLinkState(LinkState::Gprs);
        return true;
    }
    if (config_.route == Route::Tcp) {
        if (link_.linkState() != LinkState::None) return true;
        host_.status(textf(msg::kNowConnecting, {target}));
        std::string err;
        if (!link_.connect(this, target, config_.link.tcpPort, err)) {
            setResult(err);
            error(err);
            return false;
        }
        host_.status(textf(msg::kConnectedByNetwork, {target}));
        link_.setLinkState(LinkState::Tcp);
        return true;
    }
    if (link_.linkState() != LinkState::None) return true;
    int baud = config_.serialBaud > 0 ? config_.serialBaud : config_.link.baudRate();
    bool ok = config_.serialDevice.empty()
                  ? link_.open(this, config_.link.comPort, baud)
                  : link_.openDevice(this, config_.serialDevice, config_.link.comPort, baud);
    if (!ok) {
        // The system's reason (no such device, no permission, in use) goes on
        // the status line before the message, which cannot tell them apart.
        const std::string device = config_.serialDevice.empty()
                                       ? link_.comPorts().devicePath(config_.link.comPort)
                                       : config_.serialDevice;
        const std::string& why = link_.openError();
        if (!why.empty())
            host_.status(why.find(device) != std::string::npos ? why : device + ": " + why);
        reportFailure(text(msg::kInitComportError));
        return false;
    }
    return true;
}

void SendSession::disconnect() {
    switch (link_.linkState()) {
        case LinkState::None:
            link_.close();
            break;
        case LinkState::Modem:
            if (config_.modemHangUp) {
                if (ModemDialer* dialer = link_.modemDialer()) {
                    dialer->hangUp();
                } else {
                    link_.close();
                    link_.setLinkState(LinkState::None);
                }
            }
            break;
        case LinkState::Tcp:
            if (config_.tcpHangUp) link_.closeSocket();
            break;
        case LinkState::Gprs:
            link_.disconnectGprs();
            link_.setLinkState(LinkState::None);
            break;
    }
}

bool SendSession::run(UpdateKind kind, const OperationArgs& args) {
    if (busy_) return false;
    BusyScope scope(busy_);
    bool fileStage = false;
    std::vector<std::string> targets;
    std::vector<uint8_t> addresses;
    if (!preChecks(kind, args, targets, addresses, fileStage)) return false;
    host_.progressPosition(0);  // the last run's full bar goes
    clearedNotes_.clear();
    bool allOk = true;
    bool read = isReadKind(kind);
    bool test = kind == UpdateKind::TestDisplay || kind == UpdateKind::CloseTest;
    bool hasZero = std::find(addresses.begin(), addresses.end(), 0) != addresses.end();
    for (size_t t = 0; t < targets.size(); ++t) {
        const std::string& ip = targets[t];
        std::string target = targetLabel(ip);
        // The close-test command goes over the line the test left open.
        bool keepOpen =
            kind == UpdateKind::CloseTest && link_.isOpen() && link_.linkState() == LinkState::None;
        if (!keepOpen && !connect(ip, read)) {
            allOk = false;
            if (config_.route == Route::Serial || read || test) break;
            continue;
        }
        if (kind == UpdateKind::ChangeAddress) {
            // Once per run, to the old address: after the first success there
            // is no sign left at the old address to answer a second one.
            sequence_ = 0;
            allOk =
                operate(kind, static_cast<uint8_t>(args.oldAddress), target, args, false) && allOk;
        } else {
            for (uint8_t address : addresses) {
                if (cancelRequested()) {
                    setResult(text(msg::kCancelledByUser));
                    allOk = false;
                    break;
                }
                sequence_ = 0;
                uint8_t a = hasZero ? 0 : address;
                allOk = operate(kind, a, target, args, fileStage) && allOk;
                if (hasZero || test || read) break;
            }
        }
        LinkState before = link_.linkState();
        if (kind != UpdateKind::TestDisplay) disconnect();
        if (cancelRequested()) {
            setResult(text(msg::kCancelledByUser));
            allOk = false;
            break;
        }
        if (before == LinkState::None || read || test) break;
    }
    // Signs a send all left cleared are told last, after whatever stopped it.
    if (!clearedNotes_.empty()) {
        std::string note = result_;
        for (const std::string& n : clearedNotes_)
            note += (note.empty() ? "" : " ") + n;
        setResult(note);
    }
    return finished(allOk);
}

bool SendSession::readFiles(UpdateKind kind) {
    if (busy_) return false;
    BusyScope scope(busy_);
    std::vector<std::string> targets;
    std::vector<uint8_t> addresses;
    OperationArgs none;
    if (!preChecks(kind, none, targets, addresses, true)) return false;
    host_.progressPosition(0);
    bool ok = false;
    std::string target = targetLabel(targets[0]);
    if (connect(targets[0], true)) {
        sequence_ = 0;
        ok = readFileList(kind, addresses[0], target);
        disconnect();
    }
    return finished(ok);
}

bool SendSession::finished(bool ok) {
    ok = ok && !cancelRequested();
    // Each transfer empties the bar when it ends; a run that succeeded leaves
    // it full.
    if (ok) {
        host_.progressRange(0, 1);
        host_.progressPosition(1);
    }
    return ok;
}

bool SendSession::operate(UpdateKind kind, uint8_t address, const std::string& target,
                          const OperationArgs& args, bool) {
    currentAddress_ = address;
    switch (kind) {
        case UpdateKind::SendText:
        case UpdateKind::SendGraphic:
            return sendFiles(kind, address, target, args.files, config_.sendOptions);
        case UpdateKind::SendCurrent:
            return sendFiles(kind, address, target, {args.current}, 0);
        case UpdateKind::SendAll:
            return sendAll(address, target);
        default:
            if (isReadKind(kind)) return read(kind, address, target);
            return command(kind, address, target, args);
    }
}

bool SendSession::sendFiles(UpdateKind kind, uint8_t address, const std::string& target,
                            const std::vector<std::string>& names, int options) {
    if (!document_) return false;
    auto ticked = [&](const std::string& n) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& t) { return sameName(t, n); });
    };
    std::vector<uint8_t> payload;
    payload.reserve(655360);
    bool first = true;
    bool any = false;
    bool lastOk = false;
    auto optionBytes = [&](uint8_t filesCode) {
        if (!first) return;
        first = false;
        if (options & 1) payload.push_back(code::kClearMemory);
        if (options & 2) payload.push_back(filesCode);
    };
    if (kind == UpdateKind::SendGraphic) {
        for (const GraphicFile& g : document_->graphics) {
            if (!ticked(g.name.str())) continue;
            payload.clear();
            optionBytes(code::kClearGraphics);
            const bool clears = !payload.empty() && payload.front() == code::kClearMemory;
            payload.push_back(code::kGraphicFile);
            auto body = encodeGraphicBody(g, clock_);
            payload.insert(payload.end(), body.begin(), body.end());
            any = true;
            const size_t sentBefore = framesSent_;
            lastOk =
                transfer(payload, address, textf(msg::kSendingGraphicFile, {g.name.str(), address}),
                         target, true) == 1;
            if (clears && framesSent_ > sentBefore) clearSent_ = true;
            if (lastOk) reached_.push_back(g.name.str());
            if (!lastOk) break;
        }
    } else {
        for (const TextFile& f : document_->textFiles) {
            if (f.kind != kTextFile || !ticked(f.name.str())) continue;
            payload.clear();
            if (kind == UpdateKind::SendText) optionBytes(code::kClearText);
            payload.push_back(code::kTextFile);
            const std::vector<uint8_t>& body = textBody(f);
            payload.insert(payload.end(), body.begin(), body.end());
            any = true;
            int label =
                kind == UpdateKind::SendCurrent ? msg::kSendingCurrentFile : msg::kSendingTextFile;
            lastOk = transfer(payload, address, textf(label, {f.name.str(), address}), target,
                              true) == 1;
            if (lastOk) reached_.push_back(f.name.str());
            if (!lastOk || kind == UpdateKind::SendCurrent) break;
        }
    }
    if (any && lastOk) return endSession(address, target) == 1;
    return false;
}

bool sendAllClearsMemory(const WorkArea& work) {
    return !work.graphics.empty();
}

bool SendSession::sendAll(uint8_t address, const std::string& target) {
    if (!document_) return false;
    clearSent_ = false;
    reached_.clear();
    // A stop after the clear went out leaves the sign with only what reached
    // it (dark when nothing did): the run says so at its end.
    auto stopped = [&] {
        if (!clearSent_) return false;
        std::string files;
        for (const std::string& name : reached_)
            files += (files.empty() ? "" : ", ") + name;
        clearedNotes_.push_back(files.empty()
                                    ? textf(msg::kSendAllClearedNothing, {address})
                                    : textf(msg::kSendAllClearedReached, {address, files}));
        return false;
    };
    std::vector<std::string> names;
    if (sendAllClearsMemory(*document_)) {
        for (const GraphicFile& g : document_->graphics)
            names.push_back(g.name.str());
        bool ok = sendFiles(UpdateKind::SendGraphic, address, target, names, 1);
        pause(config_.settleMs);
        if (!ok) return stopped();
    }
    names.clear();
    for (const TextFile& f : document_->textFiles)
        if (f.kind == kTextFile) names.push_back(f.name.str());
    if (!names.empty()) {
        bool ok = sendFiles(UpdateKind::SendText, address, target, names, 0);
        pause(config_.settleMs);
        if (!ok) return stopped();
    }
    if (!document_->tasks.empty()) {
        auto p = schedulePayload(document_->tasks);
        if (transfer(p, address, textf(msg::kLabelSchedule, {address}), target, true) != 1)
            return stopped();
    }
    setResult(text(msg::kSendAllDone));
    return true;
}

bool SendSession::command(UpdateKind kind, uint8_t address, const std::string& target,
                          const OperationArgs& args) {
    std::vector<uint8_t> p;
    switch (kind) {
        case UpdateKind::AdjustTime:
            p = adjustTimePayload(clock_.localNow());
            break;
        case UpdateKind::SendSchedule:
            p = schedulePayload(document_ ? document_->tasks : std::vector<ScheduleTask>{});
            break;
        case UpdateKind::ChangeAddress:
            p = changeAddressPayload(static_cast<uint8_t>(args.newAddress));
            break;
        case UpdateKind::SetDefault:
            p = setDefaultPayload(args.defaultName);
            break;
        case UpdateKind::AutoOnOff:
            p = autoOnOffPayload(config_.autoOnOff);
            break;
        case UpdateKind::ChangeBaud:
            p = changeBaudPayload(static_cast<uint8_t>(args.baudIndex));
            break;
        default:
            p = simpleCommandPayload(kind);
            break;
    }
    int r = transfer(p, address, textf(commandLabelId(kind), {address}), target, true);
    if (kind == UpdateKind::TestDisplay || kind == UpdateKind::SignOff ||
        kind == UpdateKind::SignOn || kind == UpdateKind::CloseTest)
        host_.status(result_);
    return r == 1;
}

// ---- Read-back ----

void SendSession::startReception(ReadKind kind) {
    reception_.begin();
    readKind_ = kind;
    reply_.clear();
    expected_ = 0;
    untrusted_ = false;
    firstFrameSize_ = 0;
    acceptedFrames_ = 0;
}

int SendSession::waitReply() {
    uint64_t last = clock_.tickMs();
    size_t seenFrames = acceptedFrames_;
    bool rangeSet = false;
    for (;;) {
        std::string err;
        if (!link_.poll(err, CSignLink::kPollWaitMs)) {
            setResult(formatText("%s,%s", {text(msg::kReadDataError), err}));
            return -1;
        }
        uint64_t now = clock_.tickMs();
        if (acceptedFrames_ != seenFrames) {
            seenFrames = acceptedFrames_;
            last = now;
            if (!rangeSet && expected_ != 0) {
                host_.progressRange(0, static_cast<int>(expected_));
                rangeSet = true;
            }
            host_.progressPosition(static_cast<int>(reply_.size()));
        }
        ReceptionState s = reception_.state();
        if (s == ReceptionState::Complete || s == ReceptionState::Finished ||
            s == ReceptionState::Failed) {
            if (s == ReceptionState::Complete) setResult(text(msg::kReceiveSuccessfully));
            return 1;
        }
        if (now - last > static_cast<uint64_t>(config_.replyTimeoutMs)) {
            setResult(text(msg::kReceiveTimeout));
            return -1;
        }
        if (cancelRequested()) {
            setResult(text(msg::kReceiveCancelled));
            return -1;
        }
        host_.pump();
    }
}

int SendSession::request(ReadKind kind, const std::string& name, uint8_t address,
                         const std::string& target) {
    startReception(kind);
    auto payload = readRequestPayload(kind, name);
    std::string label = (kind == ReadKind::TextFile || kind == ReadKind::GraphicFile)
                            ? textf(readLabelId(kind), {address, name})
                            : textf(readLabelId(kind), {address});
    if (transfer(payload, address, label, target, true) != 1) return kRequestFailed;
    if (kind == ReadKind::TextFile || kind == ReadKind::GraphicFile)
        host_.status(textf(msg::kReceivingFile, {name}));
    return waitReply();
}

bool SendSession::read(UpdateKind kind, uint8_t address, const std::string& target) {
    host_.status(text(readAnnouncementId(kind)));
    reception_.resetSequence();
    ReadKind rk = readKindOf(kind);
    int r = request(rk, {}, address, target);
    bool complete = r == 1 && reception_.state() == ReceptionState::Complete;
    reception_.stopReceiving();
    if (complete) {
        reception_.markFinished();
        if (endSession(address, target) != 1) {
            reportFailure(text(msg::kEndSessionError));
        }
        switch (rk) {
            case ReadKind::TextDirectory:
            case ReadKind::GraphicDirectory: {
                directory_ = parseDirectory(reply_);
                files_.clear();
                for (auto& e : directory_)
                    if (!(rk == ReadKind::TextDirectory && sameName(e.name, "DEMO")))
                        files_.push_back({e.name, false});
                host_.fileList(files_);
                setResult(text(msg::kReceiveSuccessfully));
                break;
            }
            case ReadKind::Schedule:
                tasks_ = parseScheduleReply(reply_);
                setResult(text(msg::kReceiveSuccessfully));
                break;
            default:
                setResult(replyDisplay(rk, reply_));
                break;
        }
    } else if (r != kRequestFailed) {  // else the transfer's own result text stays
        if (r == 1 && reception_.state() == ReceptionState::Failed)
            setResult(text(reception_.failureText()));
        int title = readFailureTitleId(kind);
        if (title) setResult(formatText("%s %s!", {text(title), text(msg::kFailed)}));
    }
    host_.status(result_);
    host_.progressPosition(0);
    return complete;
}

bool SendSession::readFileList(UpdateKind kind, uint8_t address, const std::string& target) {
    currentAddress_ = address;
    bool graphic = kind == UpdateKind::ReadGraphic;
    host_.status(text(readAnnouncementId(kind)));
    reception_.resetSequence();
    bool sent = false;
    bool ok = true;
    // A request that was not delivered, a reply that did not arrive whole, and
    // a link error all end the conversation without "End session".
    bool replyFailed = false;
    for (const FileEntry& f : files_) {
        if (!f.ticked) continue;
        sent = true;
        int r =
            request(graphic ? ReadKind::GraphicFile : ReadKind::TextFile, f.name, address, target);
        if (r != 1 || reception_.state() != ReceptionState::Complete) {
            if (r == 1 && reception_.state() == ReceptionState::Failed)
                setResult(text(reception_.failureText()));
            ok = false;
            replyFailed = true;
            break;
        }
        std::span<const uint8_t> body(reply_);
        body = body.subspan(std::min<size_t>(1, body.size()));
        std::string err;
        bool decoded = false;
        if (!untrusted_ && !body.empty()) {
            if (graphic) {
                GraphicFile g;
                g.name = "A";
                g.width = 160;
                g.height = 16;
                decoded = decodeGraphicBody(body, g, err);
                if (decoded) graphics_.push_back(std::move(g));
            } else {
                DecodedText d;
                // Into a document: each window comes back whole.
                TextDecodeOptions options = config_.textDecode;
                options.joinWindowAreas = true;
                decoded = decodeTextBody(body, namesInUse(), options, clock_, d, err);
                if (decoded) texts_.push_back({std::move(d.file), std::move(d.windowFiles)});
            }
        }
        if (!decoded) {
            reportFailure(err.empty() ? text(msg::kFileFormatInvalid) : err);
            ok = false;
        }
    }
    reception_.stopReceiving();
    reception_.markFinished();
    if (sent && !replyFailed && !cancelRequested()) {
        if (endSession(address, target) != 1) {
            reportFailure(text(msg::kEndSessionError));
            ok = false;
        }
    }
    host_.status(result_);
    host_.progressPosition(0);
    return ok;
}

WorkArea SendSession::namesInUse() const {
    // Only the names and the sign's size count; the files' contents are left out.
    WorkArea names;
    if (document_) {
        names.signWidth = document_->signWidth;
        names.signHeight = document_->signHeight;
    }
    auto take = [&](const TextFile& f) {
        TextFile n;
        n.kind = f.kind;
        n.name = f.name;
        names.textFiles.push_back(std::move(n));
    };
    if (document_)
        for (const TextFile& f : document_->textFiles)
            take(f);
    for (const ReceivedText& r : texts_) {
        take(r.file);
        for (const TextFile& w : r.windowFiles)
            take(w);
    }
    return names;
}

int SendSession::mergeInto(WorkArea& work) {
    if (busy_) return 0;
    int merged = 0;
    auto place = [&](const TextFile& f) {
        TextFile* existing = work.findFile(f.name.str());
        if (!existing) {
            work.textFiles.push_back(f);
            return true;
        }
        if (existing->kind == kTextFile && f.kind == kTextFile &&
            !host_.askYesNo(textf(msg::kOverwriteText, {f.name.str()}), Icon::Question))
            return false;
        *existing = f;
        return true;
    };
    for (const ReceivedText& r : texts_) {
        if (r.file.kind == kTextFile && !work.findFile(r.file.name.str()) &&
            work.textFileCount() >= 255) {
            host_.message(text(msg::kMaxTextFiles), Icon::Exclamation);
            break;
        }
        if (!place(r.file)) continue;
        ++merged;
        for (const TextFile& w : r.windowFiles)
            place(w);
    }
    for (const GraphicFile& g : graphics_) {
        GraphicFile* existing = work.findGraphic(g.name.str());
        if (!existing) {
            if (work.graphics.size() >= 255) {
                host_.message(text(msg::kMaxGraphics), Icon::Exclamation);
                break;
            }
            work.graphics.push_back(g);
        } else if (host_.askYesNo(textf(msg::kOverwriteGraphic, {g.name.str()}), Icon::Question)) {
            *existing = g;
        } else {
            continue;
        }
        ++merged;
    }
    // Texts read before their graphics get the graphics' sizes now.
    if (merged > 0) fillGraphicSizes(work);
    texts_.clear();
    graphics_.clear();
    return merged;
}

}  // namespace lumavox

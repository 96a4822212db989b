#include "NVSOCXCtrl.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdlib>

#include "ControlProtocol.h"
#include "NVSOCX.h"
#include "Texts.h"

namespace lumavox::nvs {

Timings timingsFromEnvironment() {
    Timings t;
    const char* env = std::getenv("NVSOCX_TEST_TIMINGS");
    if (!env) return t;
    int values[3] = {t.allocPauseMs, t.replyLimitMs, t.connectLimitMs};
    const char* p = env;
    for (int i = 0; i < 3 && *p; ++i) {
        char* end = nullptr;
        long v = std::strtol(p, &end, 10);
        if (end == p) break;
        if (v >= 0 && v <= 600000) values[i] = static_cast<int>(v);
        p = *end == ',' ? end + 1 : end;
    }
    t.allocPauseMs = values[0];
    t.replyLimitMs = values[1];
    t.connectLimitMs = values[2];
    return t;
}

CNVSOCXCtrl::CNVSOCXCtrl()
    : timings_(timingsFromEnvironment()),
      engine_([this](int kind, int code, const std::string& text, bool more) {
          notifyFromThread(kind, code, text, more);
      }) {
    eventFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CNVSOCXCtrl::~CNVSOCXCtrl() {
    engine_.stop();
    if (eventFd_ >= 0) ::close(eventFd_);
}

namespace {

// The control whose events this thread is dispatching, if any.
thread_local const CNVSOCXCtrl* tDispatching = nullptr;

}  // namespace

void CNVSOCXCtrl::post(Message m, bool more) {
    if (m.text.size() > kMaxNotifyText) m.text.resize(kMaxNotifyText);
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(messagesLock_);
        // The host is woken once per batch: a queue that already holds messages
        // has had its wake-up, and a dispatch running on this very thread takes
        // the message before it returns. A wake-up held back for a message that
        // another follows at once is made with that one.
        const bool needed = (messages_.empty() || heldWake_) && tDispatching != this;
        if (more) {
            heldWake_ = needed;
        } else {
            wake = needed;
            heldWake_ = false;
        }
        messages_.push_back(std::move(m));
    }
    if (wake) {
        uint64_t one = 1;
        (void)!::write(eventFd_, &one, sizeof one);
    }
}

void CNVSOCXCtrl::notifyFromThread(int kind, int code, const std::string& text, bool more) {
    Message m{Message::Notify, static_cast<int16_t>(kind), code, text};
    post(std::move(m), more);
}

void CNVSOCXCtrl::raiseResult(int16_t id, int16_t result, const std::string& text) {
    post(Message{Message::Result, id, result, text});
}

void CNVSOCXCtrl::raisePrompt(const std::string& text) {
    post(Message{Message::Prompt, 0, 0, text});
}

void CNVSOCXCtrl::raiseProgress(int16_t type, int32_t step) {
    post(Message{Message::Progress, type, step, {}});
}

void CNVSOCXCtrl::setEventHandlers(const EventHandlers& h) {
    handlers_ = h;
}

int CNVSOCXCtrl::dispatchEvents() {
    uint64_t count = 0;
    (void)!::read(eventFd_, &count, sizeof count);
    // Set for the loop below (a callback may dispatch again, or dispatch
    // another control, so the outer value comes back afterwards).
    struct Dispatching {
        const CNVSOCXCtrl* outer;
        explicit Dispatching(const CNVSOCXCtrl* self) : outer(tDispatching) { tDispatching = self; }
        ~Dispatching() { tDispatching = outer; }
    } dispatching(this);
    // Bounded, so that a host calling from a callback, or a thread that keeps
    // posting, cannot hold the host here for ever.
    constexpr int kMaxPerCall = 4096;
    int handled = 0;
    for (; handled < kMaxPerCall; ++handled) {
        Message m;
        {
            std::lock_guard<std::mutex> lock(messagesLock_);
            if (messages_.empty()) break;
            m = std::move(messages_.front());
            messages_.pop_front();
        }
        switch (m.type) {
            case Message::Notify:
                windowProc(m);
                break;
            case Message::Result:
                if (handlers_.onResult)
                    handlers_.onResult(handlers_.user, m.a, static_cast<int16_t>(m.b),
                                       m.text.c_str());
                break;
            case Message::Prompt:
                if (handlers_.onPrompt) handlers_.onPrompt(handlers_.user, m.text.c_str());
                break;
            case Message::Progress:
                if (handlers_.onProgress) handlers_.onProgress(handlers_.user, m.a, m.b);
                break;
        }
    }
    std::lock_guard<std::mutex> lock(messagesLock_);
    if (!messages_.empty()) {
        uint64_t one = 1;
        (void)!::write(eventFd_, &one, sizeof one);
    }
    return handled;
}

void CNVSOCXCtrl::windowProc(const Message& m) {
    int kind = m.a, code = m.b;
    switch (kind) {
        case 1:
            raiseResult(1, static_cast<int16_t>(code), m.text);
            break;
        case 2:
            if (code == 0 || code == 4 || code == 5 || code == 6) {
                endTransmission();
                raiseResult(2, static_cast<int16_t>(code), m.text);
            } else if (code == 1) {
                raiseResult(2, 1, m.text);
            } else if (code == 2) {
                handNextPiece();
            } else if (code == 3) {
                raisePrompt(m.text);
                handNextPiece();
            }
            break;
        case 3:
            endTransmission();
            raiseResult(3, static_cast<int16_t>(code), m.text);
            break;
        case 4:
            raiseResult(4, static_cast<int16_t>(code), m.text);
            break;
        case kNotifyPieceWritten:
            raiseProgress(2, code);
            break;
        default:
            break;
    }
}

int16_t CNVSOCXCtrl::SetCommuMode(int16_t mode) {
    if (mode < 0 || mode > 3) return 0;
    commuMode_ = mode;
    return 1;
}

int16_t CNVSOCXCtrl::SetIPAndPort(const char* ip, int32_t port) {
    ip_ = ip ? ip : "";
    port_ = port;
    return 1;
}

int16_t CNVSOCXCtrl::SetComport(int16_t comport) {
    if (comport < 1 || comport > 254) return 0;
    comport_ = comport;
    return 1;
}

int16_t CNVSOCXCtrl::SetBaudRate(int32_t baud) {
    baud_ = baud;
    return 1;
}

int16_t CNVSOCXCtrl::StartSend(int32_t handle) {
    if (engine_.running()) return NVSOCX_START_RUNNING;
    {
        std::lock_guard<std::mutex> lock(jobsLock_);
        building_.clear();
        sending_.clear();
        current_ = 0;
    }
    if (handle != -1) {
        commuMode_ = kHostHandle;
        hostFd_ = handle;
    }
    EngineSettings s;
    s.mode = commuMode_;
    s.comport = comport_;
    s.baud = baud_;
    s.ip = ip_;
    s.port = port_;
    s.hostFd = hostFd_;
    // A thread that ended by itself (its connection failed) is cleaned up here,
    // so that a new StartSend really starts one.
    engine_.start(s, timings_);
    return 1;
}

int16_t CNVSOCXCtrl::StopSend() {
    engine_.stop();
    hostFd_ = -1;
    {
        // What the stopped thread still reported belongs to a transmission that
        // no longer exists.
        std::lock_guard<std::mutex> lock(messagesLock_);
        std::deque<Message> keep;
        for (auto& m : messages_)
            if (m.type != Message::Notify) keep.push_back(std::move(m));
        messages_.swap(keep);
    }
    std::lock_guard<std::mutex> lock(jobsLock_);
    building_.clear();
    sending_.clear();
    current_ = 0;
    return 1;
}

int16_t CNVSOCXCtrl::IsInSending() {
    std::lock_guard<std::mutex> lock(jobsLock_);
    return engine_.running() && !sending_.empty() ? 1 : 0;
}

size_t CNVSOCXCtrl::buildingJobs() {
    std::lock_guard<std::mutex> lock(jobsLock_);
    return building_.size();
}

size_t CNVSOCXCtrl::sendingJobs() {
    std::lock_guard<std::mutex> lock(jobsLock_);
    return sending_.size();
}

std::deque<SendJob> CNVSOCXCtrl::buildingQueue() {
    std::lock_guard<std::mutex> lock(jobsLock_);
    return building_;
}

std::string CNVSOCXCtrl::describe(const char* fmt, const std::string& a,
                                  const std::string& b) const {
    std::string d = format(fmt, a.c_str(), b.c_str());
    if (!ip_.empty()) d += std::string(text::kInIp) + ip_;
    return d;
}

int16_t CNVSOCXCtrl::queueCommand(const char* address, int kind, const std::string& command,
                                  const char* description, bool atOnce) {
    if (atOnce && !engine_.running()) return NVSOCX_QUEUE_NO_THREAD;
    if (!parseAddressString(address)) return NVSOCX_QUEUE_INVALID;
    std::lock_guard<std::mutex> lock(jobsLock_);
    // A transmission in progress is never cut into: its conversation would be
    // mixed with this one on the line.
    if (atOnce && (!building_.empty() || !sending_.empty())) return NVSOCX_QUEUE_BUSY;
    currentAddress_ = address;
    SendJob job;
    job.sequence = nextSequence_++;
    job.kind = kind;
    job.bytes = openConversation(address) + command + kCloseConversation;
    job.description = describe(text::kDescCommand, description, address);
    job.replyExpected = expectsReply(address);
    building_.push_back(std::move(job));
    if (atOnce) startTransmission();
    return NVSOCX_QUEUED;
}

int16_t CNVSOCXCtrl::ClearSignMemory(const char* address, int16_t atOnce) {
    return queueCommand(address, kJobClear, clearMemoryCommand(), text::kDescClear, atOnce != 0);
}

int16_t CNVSOCXCtrl::AdjustTime(const char* address, int16_t atOnce) {
    if (atOnce && !engine_.running()) return NVSOCX_QUEUE_NO_THREAD;
    CalendarTime t = clock_->localNow();
    return queueCommand(
        address, kJobTime,
        dateTimeCommands(t.year, t.month, t.day, t.weekday, t.hour, t.minute, t.second),
        text::kDescTime, atOnce != 0);
}

int16_t CNVSOCXCtrl::ChangeSignAddress(int32_t oldAddress, int32_t newAddress) {
    // An address is one byte: values past FF cannot be written as one.
    if (oldAddress <= 0 || newAddress <= 0 || oldAddress > 0xFF || newAddress > 0xFF ||
        oldAddress == newAddress)
        return NVSOCX_QUEUE_BAD_ADDRESSES;
    std::string old = format("%X", static_cast<unsigned>(oldAddress));
    return queueCommand(old.c_str(), kJobAddress,
                        changeAddressCommand(static_cast<uint8_t>(newAddress)), text::kDescAddress,
                        true);
}

int16_t CNVSOCXCtrl::TurnPowerOn(const char* address) {
    return queueCommand(address, kJobPowerOn, powerCommand(true), text::kDescPowerOn, true);
}

int16_t CNVSOCXCtrl::TurnPowerOff(const char* address) {
    return queueCommand(address, kJobPowerOff, powerCommand(false), text::kDescPowerOff, true);
}

int16_t CNVSOCXCtrl::SetRunSequence(const char* address, const char* sequence, int16_t atOnce) {
    if (atOnce && !engine_.running()) return NVSOCX_QUEUE_NO_THREAD;
    // The sequence goes into the command as given; bytes that would end the
    // command early make it invalid.
    std::string seq = sequence ? sequence : "";
    if (!safeSequence(seq)) return NVSOCX_QUEUE_INVALID;
    return queueCommand(address, kJobRunSequence, runSequenceCommand(seq), text::kDescRunSequence,
                        atOnce != 0);
}

int16_t CNVSOCXCtrl::SendFiles(const char* address, int16_t clear, int16_t atOnce) {
    if (atOnce && !engine_.running()) return NVSOCX_QUEUE_NO_THREAD;
    if (!parseAddressString(address)) return NVSOCX_QUEUE_INVALID;
    std::unique_lock<std::mutex> lock(jobsLock_);
    if (atOnce && !sending_.empty()) return NVSOCX_QUEUE_BUSY;
    if (!content_.hasBuiltFile()) return NVSOCX_QUEUE_NO_TEXT_FILE;
    for (const auto& f : content_.files())
        if (content_.bodyLength(f) > kWorkAreaBytes) return NVSOCX_QUEUE_BODY_TOO_LARGE;
    std::string addr = address;
    while (!addr.empty() && addr.front() == ' ')
        addr.erase(addr.begin());
    while (!addr.empty() && addr.back() == ' ')
        addr.pop_back();
    currentAddress_ = addr;
    bool opened = false;
    auto add = [&](int kind, std::string bytes, std::string description, bool reply) {
        SendJob job;
        job.sequence = nextSequence_++;
        job.kind = kind;
        if (!opened) bytes = openConversation(addr) + bytes;
        opened = true;
        job.bytes = std::move(bytes);
        job.description = std::move(description);
        job.replyExpected = reply;
        building_.push_back(std::move(job));
    };
    if (clear)
        add(kJobClear, clearMemoryCommand(), describe(text::kDescCommand, text::kDescClear, addr),
            false);
    std::string sequence;
    for (const auto& f : content_.files()) {
        std::string body = content_.body(f);
        if (f.kind == kBuiltFile) {
            add(kJobAlloc, allocTextCommand(f.name, body.size()),
                describe(text::kDescAllocText, f.name, addr), false);
            add(kJobTextData, textDataCommand(body), describe(text::kDescText, f.name, addr),
                false);
            sequence += "$" + f.name + "$";
        } else {
            add(kJobAlloc, allocDiskCommand(f.name, body.size()),
                describe(text::kDescAllocDisk, f.name, addr), false);
            add(kJobDiskData, diskDataCommand(body), describe(text::kDescDisk, f.name, addr),
                false);
        }
    }
    add(kJobRunSequence, runSequenceCommand(sequence) + kCloseConversation,
        describe(text::kDescCommand, text::kDescRunSequence, addr), expectsReply(addr.c_str()));
    if (atOnce) {
        size_t total = 0;
        for (const auto& j : building_)
            total += j.bytes.size();
        raiseProgress(1, static_cast<int32_t>(std::min<size_t>(total, INT32_MAX)));
        startTransmission();
    }
    return NVSOCX_QUEUED;
}

// Called with jobsLock_ held.
void CNVSOCXCtrl::startTransmission() {
    sending_.clear();
    current_ = 0;
    while (!building_.empty()) {
        sending_.push_back(std::move(building_.front()));
        building_.pop_front();
    }
    if (sending_.empty()) {
        raiseResult(2, 0, text::kNoData);
        return;
    }
    // handNextPiece takes the lock itself; the caller's lock is released first.
    jobsLock_.unlock();
    handNextPiece();
    jobsLock_.lock();
}

void CNVSOCXCtrl::endTransmission() {
    std::lock_guard<std::mutex> lock(jobsLock_);
    sending_.clear();
    current_ = 0;
}

void CNVSOCXCtrl::handNextPiece() {
    Piece piece;
    {
        std::lock_guard<std::mutex> lock(jobsLock_);
        // A late notification after the transmission ended has nothing to hand on.
        if (sending_.empty()) return;
        if (current_ >= sending_.size()) {
            sending_.clear();
            current_ = 0;
            std::string done = ip_.empty()
                                   ? format(text::kAllSent, currentAddress_.c_str())
                                   : format(text::kAllSentIp, currentAddress_.c_str(), ip_.c_str());
            raiseResult(100, 0, done);
            return;
        }
        SendJob& job = sending_[current_];
        if (job.bytesSent >= job.bytes.size()) {
            raiseResult(2, 0, text::kNoFile);
            sending_.clear();
            current_ = 0;
            return;
        }
        if (job.bytesSent == 0) {
            raisePrompt(format(text::kPleaseWait, job.description.c_str()));
            raiseProgress(3, static_cast<int32_t>(std::min<size_t>(job.bytes.size(), INT32_MAX)));
        }
        size_t n = std::min<size_t>(128, job.bytes.size() - job.bytesSent);
        piece.bytes = job.bytes.substr(job.bytesSent, n);
        piece.description = job.description;
        piece.jobKind = job.kind;
        job.bytesSent += n;
        piece.lastPiece = job.bytesSent == job.bytes.size();
        piece.awaitReply = piece.lastPiece && job.replyExpected;
        if (piece.lastPiece) ++current_;
    }
    engine_.handPiece(std::move(piece));
}

}  // namespace lumavox::nvs

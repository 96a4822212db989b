#include "transport/ModemDialer.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "strings/ModemTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "transport/SignLink.h"

namespace lumavox {

namespace {

std::vector<uint8_t> bytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

bool contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

std::string trimmedNumber(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// Counts the dialer's own waits, during which it reads the line.
class WaitScope {
  public:
    explicit WaitScope(int& n) : n_(n) { ++n_; }
    ~WaitScope() { --n_; }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

  private:
    int& n_;
};

}  // namespace

ModemDialer::ModemDialer(CSignLink& link, ModemHost& host, const Clock& clock, ModemTimings timings)
    : link_(link), host_(host), clock_(clock), timings_(timings) {
    link_.setModemDialer(this);
}

ModemDialer::~ModemDialer() {
    if (dialing_ && link_.linkState() != LinkState::Modem) {
        dialing_ = false;
        link_.close();
    }
    if (link_.modemDialer() == this) link_.setModemDialer(nullptr);
    if (link_.receiver() == this) link_.setReceiver(nullptr);
}

// ---- Waits ----

template <class Done>
ModemDialer::WaitEnd ModemDialer::waitUntil(int limitMs, Done done, std::string* error) {
    WaitScope scope(waiting_);
    uint64_t start = clock_.tickMs();
    for (;;) {
        if (done()) return WaitEnd::Done;
        uint64_t elapsed = clock_.tickMs() - start;
        if (elapsed >= static_cast<uint64_t>(std::max(limitMs, 0))) return WaitEnd::TimedOut;
        unsigned wait = static_cast<unsigned>(
            std::min<uint64_t>(CSignLink::kPollWaitMs, static_cast<uint64_t>(limitMs) - elapsed));
        if (link_.isOpen()) {
            std::string e;
            if (!link_.poll(e, wait)) {
                if (error) *error = e;
                return WaitEnd::Failed;
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        }
        if (done()) return WaitEnd::Done;
        host_.pump();
    }
}

void ModemDialer::pause(int ms) {
    host_.pump();
    if (ms > 0) waitUntil(ms, [] { return false; });
}

ModemCode ModemDialer::command(const std::string& line, int limitMs) {
    collector_.clear();
    lastCode_ = ModemCode::None;
    std::string e;
    if (!link_.write(bytesOf(line), e)) return ModemCode::None;
    waitUntil(limitMs,
              [this] { return lastCode_ == ModemCode::Ok || lastCode_ == ModemCode::Error; });
    return lastCode_;
}

void ModemDialer::onLinkBytes(std::span<const uint8_t> bytes, bool) {
    for (const ModemLine& line : collector_.feed(bytes, inCheck_)) {
        if (line.code != ModemCode::None) lastCode_ = line.code;
        if (inCheck_) continue;
        // Empty lines (the line feeds around each result word) say nothing.
        if (line.text.empty()) continue;
        host_.connectStatus(formatText("%s(%s)", {text(modemCodeTextId(line.code)), line.text}));
        switch (line.code) {
            case ModemCode::Connect:
                link_.setLinkState(LinkState::Modem);
                dialing_ = false;
                break;
            case ModemCode::NoCarrier:
            case ModemCode::Error:
            case ModemCode::NoDialtone:
            case ModemCode::Busy:
                link_.setLinkState(LinkState::None);
                dialing_ = false;
                break;
            default:
                break;
        }
    }
}

// ---- GSM check ----

bool ModemDialer::openPort(const ModemTarget& target) {
    if (target.comPort <= 0) {
        host_.message(text(msg::kModemPortError), Icon::Error);
        return false;
    }
    if (!link_.open(this, target.comPort, target.baud)) {
        host_.message(text(msg::kInitComportError), Icon::Error);
        return false;
    }
    return true;
}

bool ModemDialer::checkGsm(const ModemTarget& target) {
    if (link_.linkState() == LinkState::Modem) return true;
    if (dialing_) return false;
    host_.buttonsEnabled(false);
    dialing_ = true;
    inCheck_ = true;
    host_.modemStatus(text(msg::kModemStatusUnknown));
    host_.gsmStatus(text(msg::kGsmStatusUnknown));
    host_.connectStatus(text(msg::kModemChecking));
    bool ok = openPort(target) && gsmSteps();
    inCheck_ = false;
    dialing_ = false;
    collector_.clear();
    checkFailed_ = !ok;
    host_.buttonsEnabled(true);
    return ok;
}

bool ModemDialer::gsmSteps() {
    const ModemTimings& t = timings_;
    auto notGsm = [this] {
        gsmLines_ = text(msg::kModemNotGsm);
        host_.gsmStatus(gsmLines_);
        link_.close();
        return false;
    };
    gsmLines_.clear();
    alive_ = false;
    command("AT E0\r", t.commandWaitMs);
    if (command("AT Q0 V1 S7=90 X4\r", t.commandWaitMs) != ModemCode::Ok) {
        host_.modemStatus(text(msg::kModemNotAlive));
        return notGsm();
    }
    alive_ = true;
    host_.modemStatus(text(msg::kModemAlive));

    // PIN
    bool pinAccepted = false;
    if (command("AT+CPIN?\r", t.pinWaitMs) != ModemCode::Ok) return notGsm();
    if (contains(collector_.text(), "READY")) {
        gsmLines_ += text(msg::kPinNeededNo) + "\n";
    } else {
        std::string pin;
        for (;;) {
            pin.clear();
            if (!host_.askPin(pin)) {
                gsmLines_ += text(msg::kPinNeededCancelled) + "\n";
                host_.gsmStatus(gsmLines_);
                link_.close();
                return false;
            }
            if (!pin.empty() && pin.find_first_of("\r\n") == std::string::npos) break;
            host_.message(text(msg::kPinCodeBlank), Icon::Error);
        }
        pinAccepted = command("AT+CPIN=" + pin + "\r", t.pinWaitMs) == ModemCode::Ok;
        gsmLines_ += text(pinAccepted ? msg::kPinNeededYes : msg::kPinNeededError) + "\n";
        command("AT+CPIN?\r", t.pinWaitMs);
    }

    // Registration: once, or until registered within the retry time after a
    // PIN was accepted (the modem needs a moment to find its network).
    uint64_t first = clock_.tickMs();
    bool registered = false;
    for (;;) {
        ModemCode c = command("AT+CREG?\r", t.registrationWaitMs);
        registered = c != ModemCode::Error && gsmRegistered(collector_.text());
        if (registered || !pinAccepted) break;
        if (clock_.tickMs() - first >= static_cast<uint64_t>(t.registrationRetryMs)) break;
        pause(10);
    }
    gsmLines_ += text(registered ? msg::kRegisteredYes : msg::kRegisteredNo) + "\n";

    // Signal
    ModemCode c = command("AT+CSQ\r", t.commandWaitMs);
    gsmLines_ += c == ModemCode::Error ? gsmSignalLine("ERROR") : gsmSignalLine(collector_.text());

    host_.gsmStatus(gsmLines_);
    host_.connectStatus(text(msg::kModemCheckOver));
    checked_ = true;
    return true;
}

// ---- Dial ----

bool ModemDialer::dial(const std::string& rawNumber, const ModemTarget& target) {
    if (dialing_) {
        host_.message(text(msg::kModemDialing), Icon::Information);
        return false;
    }
    if (target.model.empty()) {
        host_.message(text(msg::kSelectModemFirst), Icon::Error);
        return false;
    }
    switch (link_.linkState()) {
        case LinkState::Modem:
            host_.message(text(msg::kModemLineUp), Icon::Information);
            return true;
        case LinkState::Tcp:
            host_.message(text(msg::kModemLineOnNetwork), Icon::Information);
            return false;
        case LinkState::Gprs:
            host_.message(text(msg::kModemLineOnGprs), Icon::Information);
            return false;
        case LinkState::None:
            break;
    }
    if (checkFailed_ && !alive_) {
        host_.message(text(msg::kModemNotAlive), Icon::Error);
        return false;
    }
    // A number goes to the modem as one command line: nothing that would end
    // it early or start another.
    std::string number = trimmedNumber(rawNumber);
    if (number.empty() || number.size() > 64 ||
        number.find_first_not_of("0123456789+*#,;WwPpTt!@ ()-") != std::string::npos) {
        host_.message(text(msg::kModemBadNumber), Icon::Error);
        return false;
    }
    dialing_ = true;
    host_.numberDialed(number);
    host_.connectStatus(text(msg::kModemDialing));
    if (!link_.isOpen()) {
        if (!openPort(target)) {
            dialing_ = false;
            return false;
        }
        if (!checked_) {
            command("ATZ\r", timings_.commandWaitMs);
            command("AT E0\r", timings_.commandWaitMs);
            command("AT Q0 V1 S7=90 X4\r", timings_.commandWaitMs);
        }
    } else {
        link_.setReceiver(this);
    }
    command("ATDT" + number + "\r", timings_.commandWaitMs);

    std::string error;
    WaitEnd end = waitUntil(
        timings_.dialLimitMs, [this] { return link_.linkState() == LinkState::Modem || !dialing_; },
        &error);
    if (link_.linkState() == LinkState::Modem) {
        pause(timings_.connectedPauseMs);
        return true;
    }
    if (end == WaitEnd::Failed) {
        host_.connectStatus(formatText("%s,%s", {text(msg::kReceiveCharError), error}));
        dialing_ = false;
        link_.close();
        return false;
    }
    if (end == WaitEnd::TimedOut) {
        link_.setLinkState(LinkState::None);
        dialing_ = false;
        link_.close();
        host_.connectStatus(text(msg::kModemDialTimeOut));
        return false;
    }
    // A failure word or a cancel cleared the flag with no line.
    link_.close();
    return false;
}

// ---- Hang up and close ----

void ModemDialer::hangUp() {
    if (link_.linkState() != LinkState::Modem) return;
    WaitScope scope(waiting_);
    std::string e;
    pause(timings_.guardBeforeMs);
    link_.write(bytesOf("+++"), e);
    pause(timings_.guardAfterMs);
    command("ATH0\r", timings_.hangUpWaitMs);
    link_.close();
    link_.setLinkState(LinkState::None);
    dialing_ = false;
    host_.connectStatus(text(msg::kModemDisconnected));
}

void ModemDialer::close() {
    if (dialing_ && link_.linkState() != LinkState::Modem) {
        if (inCheck_) return;  // the check cannot be closed while it runs
        WaitScope scope(waiting_);
        pause(timings_.cancelPauseMs);
        command("ATH0\r", timings_.hangUpWaitMs);
        host_.connectStatus(text(msg::kModemDialCancelled));
        link_.setLinkState(LinkState::None);
        dialing_ = false;
        link_.close();
    } else if (link_.linkState() != LinkState::Modem) {
        dialing_ = false;
        link_.close();
    }
}

}  // namespace lumavox

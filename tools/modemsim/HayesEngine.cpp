#include "HayesEngine.h"

#include <cctype>

namespace lumavox::modemsim {

namespace {

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

constexpr size_t kMaxLine = 256;  // a longer command line is an error

}  // namespace

void HayesEngine::result(const std::string& word) {
    log_ += "> " + word + "\n";
    if (!quiet_) toPc_ += "\r\n" + word + "\r\n";
}

void HayesEngine::info(const std::string& line) {
    log_ += "> " + line + "\n";
    toPc_ += "\r\n" + line + "\r\n";
}

std::string HayesEngine::takeToPc() {
    std::string s;
    s.swap(toPc_);
    return s;
}

std::string HayesEngine::takeToSign() {
    std::string s;
    s.swap(toSign_);
    return s;
}

std::string HayesEngine::takeLog() {
    std::string s;
    s.swap(log_);
    return s;
}

void HayesEngine::fromPc(const std::string& bytes, uint64_t nowMs) {
    if (o_.dead) return;
    for (char c : bytes) {
        switch (state_) {
            case State::Online:
                onlineByte(c, nowMs);
                break;
            case State::Dialing:
                // Any character aborts a call attempt, as on a real modem.
                state_ = State::Command;
                result("NO CARRIER");
                break;
            default:
                commandByte(c, nowMs);
                break;
        }
    }
}

void HayesEngine::onlineByte(char c, uint64_t nowMs) {
    bool quietBefore = !anyPcByte_ || nowMs - lastPcByte_ >= static_cast<uint64_t>(o_.guardMs);
    if (c == '+' && (pluses_ > 0 ? pluses_ < 3 : quietBefore)) {
        ++pluses_;
    } else {
        if (pluses_ > 0) toSign_.append(static_cast<size_t>(pluses_), '+');
        pluses_ = 0;
        toSign_.push_back(c);
    }
    lastPcByte_ = nowMs;
    anyPcByte_ = true;
}

void HayesEngine::fromSign(const std::string& bytes) {
    if (state_ == State::Online) toPc_ += bytes;
}

void HayesEngine::commandByte(char c, uint64_t nowMs) {
    if (echo_) toPc_.push_back(c);
    if (c == '\r') {
        std::string line;
        line.swap(line_);
        commandLine(line, nowMs);
    } else if (c == '\n') {
    } else if (c == 8 || c == 127) {
        if (!line_.empty()) line_.pop_back();
    } else if (line_.size() <= kMaxLine) {
        line_.push_back(c);
    }
}

void HayesEngine::commandLine(const std::string& raw, uint64_t nowMs) {
    std::string line = trimmed(raw);
    if (line.empty()) return;
    log_ += "< " + line + "\n";
    if (line.size() > kMaxLine) {
        result("ERROR");
        return;
    }
    std::string u = upper(line);
    if (u.rfind("AT", 0) != 0) return;  // not a command: a modem ignores it
    // Endless: the first command is answered, then the modem only talks.
    if (talking_) return;
    if (o_.endless) talking_ = true;
    if (o_.garbage) {
        info("\x01#?~ !!");
        return;
    }
    bool replied = false;
    if (!runCommands(u.substr(2), nowMs, replied)) {
        result("ERROR");
        return;
    }
    if (!replied) result("OK");
}

bool HayesEngine::runCommands(const std::string& rest, uint64_t nowMs, bool& replied) {
    size_t i = 0;
    auto digits = [&] {
        std::string d;
        while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])))
            d.push_back(rest[i++]);
        return d;
    };
    while (i < rest.size()) {
        char c = rest[i++];
        if (c == ' ' || c == ';') continue;
        switch (c) {
            case 'Z':
                digits();
                echo_ = true;
                quiet_ = false;
                break;
            case 'E':
                echo_ = digits() != "0";
                break;
            case 'Q':
                quiet_ = digits() == "1";
                break;
            case 'V':
            case 'X':
            case 'L':
            case 'M':
            case 'I':
                digits();
                break;
            case '&':
                if (i >= rest.size()) return false;
                ++i;
                digits();
                break;
            case 'S': {
                if (digits().empty() || i >= rest.size()) return false;
                if (rest[i] == '?') {
                    ++i;
                    info("000");
                } else if (rest[i] == '=') {
                    ++i;
                    digits();
                } else {
                    return false;
                }
                break;
            }
            case 'H':
                digits();
                if (callUp_) endCall();
                state_ = State::Command;
                break;
            case 'O':
                digits();
                if (state_ != State::OnlineCommand || !callUp_) return false;
                result("CONNECT 9600");
                replied = true;
                state_ = State::Online;
                anyPcByte_ = false;
                return true;
            case 'D': {
                std::string number = rest.substr(i);
                if (!number.empty() && (number[0] == 'T' || number[0] == 'P')) number.erase(0, 1);
                number = trimmed(number);
                replied = true;
                if (number.empty() || callUp_) {
                    result("ERROR");
                    return true;
                }
                if ((!o_.pin.empty() && !pinOk_) || (o_.creg != 1 && o_.creg != 5)) {
                    result("NO CARRIER");
                    return true;
                }
                if (o_.dialFault == DialFault::NoDialtone) {
                    result("NO DIALTONE");
                    return true;
                }
                log_ += "* dialling " + number + "\n";
                state_ = State::Dialing;
                dialAt_ = nowMs;
                return true;
            }
            case '+':
                replied = extended(rest.substr(i - 1));
                return true;
            default:
                return false;
        }
    }
    return true;
}

// "+CPIN?", "+CPIN=code", "+CREG?", "+CSQ": the rest of the line is one
// extended command; it replies itself, result word included.
bool HayesEngine::extended(const std::string& cmd) {
    if (cmd == "+CPIN?") {
        if (pinFailures_ >= 3)
            info("+CPIN: SIM PUK");
        else
            info(o_.pin.empty() || pinOk_ ? "+CPIN: READY" : "+CPIN: SIM PIN");
        result("OK");
    } else if (cmd.rfind("+CPIN=", 0) == 0) {
        std::string code = cmd.substr(6);
        if (code.size() >= 2 && code.front() == '"' && code.back() == '"')
            code = code.substr(1, code.size() - 2);
        if (!o_.pin.empty() && !pinOk_ && pinFailures_ < 3 && code == o_.pin) {
            pinOk_ = true;
            result("OK");
        } else {
            if (!o_.pin.empty() && !pinOk_) ++pinFailures_;
            result("ERROR");
        }
    } else if (cmd == "+CREG?") {
        int status = (!o_.pin.empty() && !pinOk_) ? 0 : o_.creg;
        info("+CREG: 0," + std::to_string(status));
        result("OK");
    } else if (cmd == "+CSQ") {
        info("+CSQ: " + std::to_string(o_.csq) + "," + std::to_string(o_.ber));
        result("OK");
    } else {
        result("ERROR");
    }
    return true;
}

void HayesEngine::tick(uint64_t nowMs) {
    if (state_ == State::Dialing && !answerPending_ &&
        nowMs - dialAt_ >= static_cast<uint64_t>(o_.connectMs)) {
        switch (o_.dialFault) {
            case DialFault::Busy:
                state_ = State::Command;
                result("BUSY");
                break;
            case DialFault::NoCarrier:
                state_ = State::Command;
                result("NO CARRIER");
                break;
            case DialFault::NoAnswer:
                break;  // rings for ever; the caller gives up
            default:
                answerPending_ = true;
                break;
        }
    }
    if (state_ == State::Online && pluses_ == 3 &&
        nowMs - lastPcByte_ >= static_cast<uint64_t>(o_.guardMs)) {
        pluses_ = 0;
        state_ = State::OnlineCommand;
        log_ += "* escape\n";
        result("OK");
    }
    if (talking_ && nowMs - lastTalk_ >= 5) {
        lastTalk_ = nowMs;
        toPc_ += "+NOISE 0123456789 ";
    }
}

void HayesEngine::callAnswered(bool signReached) {
    answerPending_ = false;
    if (state_ != State::Dialing) return;
    if (!signReached) {
        state_ = State::Command;
        result("NO CARRIER");
        return;
    }
    callUp_ = true;
    state_ = State::Online;
    anyPcByte_ = false;
    pluses_ = 0;
    result("CONNECT 9600");
}

void HayesEngine::signLost() {
    if (!callUp_) return;
    callUp_ = false;
    callEnded_ = true;
    state_ = State::Command;
    result("NO CARRIER");
}

void HayesEngine::lineDropped() {
    log_ += "* line closed by the PC\n";
    if (callUp_) endCall();
    state_ = State::Command;
    answerPending_ = false;
    line_.clear();
    pluses_ = 0;
    toPc_.clear();
}

void HayesEngine::endCall() {
    callUp_ = false;
    callEnded_ = true;
    log_ += "* hung up\n";
}

}  // namespace lumavox::modemsim

// The modem dialer: checks a GSM modem (alive, PIN, network registration,
// signal strength), dials a number, watches the result words and hangs up.
// It works on the serial channel of the sign link and drives LinkState Modem.
//
// While its dialing flag is set (checking, dialing, waiting for the call) and
// during its own waits, the link hands received bytes to the dialer instead of
// the send session. Every wait polls the port at most 10 ms at a time and runs
// the host's pump, so the window stays alive; all durations are measured on
// the injected clock, so tests pass them without sleeping.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "content/Prompter.h"
#include "platform/Clock.h"
#include "transport/LinkReceiver.h"
#include "transport/ModemResult.h"

namespace lumavox {

class CSignLink;

// The waits and pauses of the dialogue, in milliseconds.
struct ModemTimings {
    int commandWaitMs = 500;  // "AT E0", "AT Q0 V1 S7=90 X4", "ATZ", "ATDT", "AT+CSQ"
    int pinWaitMs = 2000;     // "AT+CPIN?", "AT+CPIN=..."
    int registrationWaitMs = 1000;
    int registrationRetryMs = 5000;  // repeated queries after a PIN was accepted
    int dialLimitMs = 60000;         // no line within this: "Dial time out!"
    int connectedPauseMs = 500;
    int guardBeforeMs = 1000;  // silence before "+++"
    int guardAfterMs = 2000;   // silence after it
    int hangUpWaitMs = 300;    // the result of "ATH0"
    int cancelPauseMs = 100;   // before "ATH0" when a call attempt is abandoned
};

// What the dial window shows and asks; the command line and the tests answer
// it themselves. Messages go through the Prompter part.
class ModemHost : public Prompter {
  public:
    // The window's status text ("Connect Status:\r...").
    virtual void connectStatus(const std::string&) {}
    // "Modem is alive" and the like.
    virtual void modemStatus(const std::string&) {}
    // The GSM status box: the collected status lines.
    virtual void gsmStatus(const std::string&) {}
    // "Dial up", "Close" and the window's close command, off while checking.
    virtual void buttonsEnabled(bool) {}
    // The "Pin Code" dialog: false on Cancel. An empty code is refused by the
    // dialer and asked for again.
    virtual bool askPin(std::string& pin) {
        (void)pin;
        return false;
    }
    // A number was dialled (the window adds it to its phone list).
    virtual void numberDialed(const std::string&) {}
    virtual void pump() {}
    bool askYesNo(const std::string&, Icon) override { return false; }
};

// The modem to use: its model (empty: none selected), COM port (0: none
// found) and the line speed the port is opened at.
struct ModemTarget {
    std::string model;
    int comPort = 0;
    int baud = 9600;
};

class ModemDialer final : public LinkReceiver {
  public:
    ModemDialer(CSignLink& link, ModemHost& host, const Clock& clock = SystemClock::instance(),
                ModemTimings timings = {});
    // Destroyed while a call is being attempted: the flag is cleared and the
    // port closed. A line that is up stays up.
    ~ModemDialer() override;
    ModemDialer(const ModemDialer&) = delete;
    ModemDialer& operator=(const ModemDialer&) = delete;

    // The GSM check. Skipped (true) when a modem line is up. True when every
    // step ran; the port then stays open for the dial.
    bool checkGsm(const ModemTarget& target);
    // Dials `number`; true once the line is up (LinkState Modem).
    bool dial(const std::string& number, const ModemTarget& target);
    // Ends a modem line: guard pause, "+++", guard pause, "ATH0", port closed,
    // LinkState None. Does nothing without a line.
    void hangUp();
    // The window's "Close": abandons a call attempt ("ATH0", "Dial up cancelled
    // by user!") or, with no line up, releases the port.
    void close();

    bool dialing() const { return dialing_; }
    // True while the dialer reads the line: its flag is set or it waits.
    bool ownsLine() const { return dialing_ || waiting_ > 0; }
    bool alive() const { return alive_; }
    bool checked() const { return checked_; }
    // The status lines of the last GSM check.
    const std::string& gsmLines() const { return gsmLines_; }
    const ModemTimings& timings() const { return timings_; }
    void setTimings(const ModemTimings& t) { timings_ = t; }

    // LinkReceiver
    void onLinkBytes(std::span<const uint8_t> bytes, bool handshakeAwaited) override;
    bool cancelRequested() const override { return false; }
    void pump() override { host_.pump(); }

  private:
    enum class WaitEnd { Done, TimedOut, Failed };
    // Polls (at most 10 ms at a time) and pumps until done() or limitMs.
    template <class Done>
    WaitEnd waitUntil(int limitMs, Done done, std::string* error = nullptr);
    void pause(int ms);
    // Clears the collected text, sends the command and waits for OK or ERROR.
    ModemCode command(const std::string& line, int limitMs);
    bool openPort(const ModemTarget& target);
    bool gsmSteps();

    CSignLink& link_;
    ModemHost& host_;
    const Clock& clock_;
    ModemTimings timings_;
    ModemResultCollector collector_;
    ModemCode lastCode_ = ModemCode::None;
    bool dialing_ = false;
    bool inCheck_ = false;
    bool alive_ = false;
    bool checked_ = false;
    bool checkFailed_ = false;
    int waiting_ = 0;
    std::string gsmLines_;
};

}  // namespace lumavox

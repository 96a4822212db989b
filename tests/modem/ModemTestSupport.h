// Helpers of the modem tests: modemsim as a child process, a dial-window host
// that records what the window would show, and a link whose COM 12 is the
// modem's pseudo-terminal.
#pragma once

#include <sys/types.h>

#include <functional>

#include <string>
#include <vector>

#include "transport/ModemDialer.h"
#include "transport/SignLink.h"

namespace lumavox::test {

// A running modemsim --pty with the given extra arguments. Stopped when it
// goes out of scope.
class Modemsim {
  public:
    explicit Modemsim(std::vector<std::string> args);
    ~Modemsim();
    Modemsim(const Modemsim&) = delete;
    Modemsim& operator=(const Modemsim&) = delete;
    bool started() const { return !pty_.empty(); }
    const std::string& ptyPath() const { return pty_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pty_;
};

// Runs modemsim with the arguments to its end; the exit status.
int runModemsim(const std::vector<std::string>& args);

class RecordingModemHost : public ModemHost {
  public:
    void connectStatus(const std::string& t) override { statuses.push_back(t); }
    void modemStatus(const std::string& t) override { modem = t; }
    void gsmStatus(const std::string& t) override { gsm = t; }
    void buttonsEnabled(bool on) override { buttons.push_back(on); }
    bool askPin(std::string& pin) override {
        ++pinAsks;
        if (pins.empty()) return false;
        pin = pins.front();
        pins.erase(pins.begin());
        return true;
    }
    void numberDialed(const std::string& n) override { dialed.push_back(n); }
    void message(const std::string& t, Icon icon) override {
        boxes.push_back(promptTitle(icon) + ": " + t);
    }
    void pump() override {
        ++pumps;
        if (onPump) onPump(pumps);
    }
    bool sawStatus(const std::string& s) const;

    std::vector<std::string> statuses, boxes, dialed, pins;
    std::vector<bool> buttons;
    std::string modem, gsm;
    int pinAsks = 0;
    int pumps = 0;
    std::function<void(int)> onPump;
};

// The modem "GSM" on COM 12 at 9600 baud.
ModemTarget comTwelve();
// Short guard times and waits, for a modemsim started with --guard-ms 50.
ModemTimings quickTimings();

}  // namespace lumavox::test

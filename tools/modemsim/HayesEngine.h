// The modem's behaviour, without any I/O: bytes from the PC and from the sign
// go in with the time they arrived, and what the modem says to the PC and
// passes to the sign comes out. The program around it moves the bytes and
// opens the sign's connection when a call is answered.
#pragma once

#include <cstdint>
#include <string>

#include "ModemOptions.h"

namespace lumavox::modemsim {

class HayesEngine {
  public:
    enum class State { Command, Dialing, Online, OnlineCommand };

    explicit HayesEngine(ModemOptions options) : o_(std::move(options)) {}

    void fromPc(const std::string& bytes, uint64_t nowMs);
    void fromSign(const std::string& bytes);
    // Time passes: dial answers, the escape's closing guard time, endless talk.
    void tick(uint64_t nowMs);

    // The dial has been answered: the program connects the sign and reports
    // whether that worked (CONNECT, or NO CARRIER).
    bool answerPending() const { return answerPending_; }
    void callAnswered(bool signReached);
    // The PC closed the line: a call ends, a dial is abandoned, the modem
    // returns to its command state.
    void lineDropped();
    // The sign closed the connection during a call.
    void signLost();
    // The call has ended (ATH, failure): the program closes the sign's connection.
    bool callEnded() {
        bool e = callEnded_;
        callEnded_ = false;
        return e;
    }

    std::string takeToPc();
    std::string takeToSign();
    State state() const { return state_; }
    // The dialogue as lines ("< AT+CSQ", "> OK"), for --verbose.
    std::string takeLog();

  private:
    void commandByte(char c, uint64_t nowMs);
    void commandLine(const std::string& line, uint64_t nowMs);
    // Runs the commands after "AT"; false when one is not understood.
    bool runCommands(const std::string& rest, uint64_t nowMs, bool& replied);
    bool extended(const std::string& cmd);
    void result(const std::string& word);
    void info(const std::string& line);
    void endCall();
    void onlineByte(char c, uint64_t nowMs);

    ModemOptions o_;
    State state_ = State::Command;
    bool echo_ = true;
    bool quiet_ = false;
    bool pinOk_ = false;
    int pinFailures_ = 0;
    std::string line_;
    std::string toPc_, toSign_, log_;
    uint64_t dialAt_ = 0;
    bool answerPending_ = false;
    bool callEnded_ = false;
    bool callUp_ = false;
    bool talking_ = false;
    uint64_t lastTalk_ = 0;
    // Escape detection while online.
    uint64_t lastPcByte_ = 0;
    bool anyPcByte_ = false;
    int pluses_ = 0;
};

}  // namespace lumavox::modemsim

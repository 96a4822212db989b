// What the virtual sign shows: the bodies it holds decoded with the editor's
// content decoders, the file its schedule or default file selects at the
// sign's own time, played by the preview player and written as an animated
// GIF per sign address.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ConversationLog.h"
#include "SignState.h"
#include "content/Model.h"
#include "content/TextBody.h"
#include "platform/Clock.h"

namespace lumavox::sim {

struct ShowSettings {
    std::filesystem::path fontDir;  // holds the font files
    int width = 160;
    int height = 16;
    bool singleColour = false;
    SignMode mode = SignMode::KV2;
    int dot = 4;
    uint64_t durationMs = 30000;
    std::string defaultFontName = "SS7";
    uint32_t seed = 1;  // of the random effects, as `lumavox-cli preview --seed`
};

// The stored texts and graphics as a work area of the sign's size. Bodies the
// decoders refuse are left out, each with a line in `problems`.
WorkArea decodeSignContent(const SignState& state, const ShowSettings& settings,
                           const TextDecodeOptions& decode, const CalendarTime& now,
                           std::vector<std::string>& problems);

// The text files the sign runs at `now`: the file of the enabled schedule task
// in force with the highest priority (the first such task on a tie), else the
// default file, else every stored text file in turn. Only stored files count.
std::vector<std::string> filesToRun(const WorkArea& work, const SignState& state,
                                    const CalendarTime& now);

// True when the task covers `now`: its dates (a zero date is no bound), its
// times of day and its weekdays (a range may wrap past Saturday).
bool taskInForce(const ScheduleTask& task, const CalendarTime& now);

// Plays what the sign shows at `now` for the settings' duration into GIF
// bytes: dark when off, the test pattern while testing, else the running
// files. False with the reason when nothing could be drawn (no fonts).
bool renderSignGif(const SignState& state, const ShowSettings& settings, const CalendarTime& now,
                   std::vector<uint8_t>& gif, std::vector<std::string>& problems,
                   std::string& error);

// The sign's clock: stands at a fixed time when one is given (tests and
// demonstrations), else runs from the PC's time; "Adjust Time" sets it, and a
// fixed clock then stands at the time set.
class SignClock {
  public:
    explicit SignClock(std::optional<CalendarTime> fixed) : fixed_(fixed) {}
    CalendarTime now(const SignState& state, uint64_t nowMs);

  private:
    std::optional<CalendarTime> fixed_;
    std::map<uint8_t, std::pair<std::array<uint8_t, 6>, uint64_t>> setAt_;  // by address
};

// Writes DIR/sign-<address>.gif atomically whenever the sign has ended a
// conversation or changed what it shows. Refused bodies and write failures go
// to standard error and the log, each problem once.
class SignDisplay {
  public:
    SignDisplay(std::filesystem::path gifDir, ShowSettings settings,
                std::optional<CalendarTime> fixedClock, ConversationLog& log)
        : dir_(std::move(gifDir)), settings_(std::move(settings)), clock_(fixedClock), log_(log) {}
    void update(const SignState& state, uint64_t nowMs);
    std::filesystem::path gifPath(uint8_t address) const;

  private:
    void report(uint64_t nowMs, const std::string& text);

    std::filesystem::path dir_;
    ShowSettings settings_;
    SignClock clock_;
    ConversationLog& log_;
    std::set<std::string> reported_;
};

}  // namespace lumavox::sim

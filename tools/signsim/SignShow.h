// What the virtual sign shows: the bodies it holds decoded with the editor's
// content decoders, the file its schedule or default file selects at the
// sign's own time, played by the preview player and written as an animated
// GIF per sign address.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ConversationLog.h"
#include "NvsEngine.h"
#include "SignState.h"
#include "content/Model.h"
#include "content/TextBody.h"
#include "platform/Clock.h"
#include "render/FontSet.h"

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

// What a sign shows, decoded once when its content changes: dark, the test
// pattern, or its files, of which the run sequence, the schedule or the
// default file choose the ones that play at the sign's time. Read-only once
// made, so that a window's player thread may play it while the line goes on.
struct SignScene {
    enum class Show { Dark, TestPattern, Files };
    uint8_t address = 1;
    size_t position = 0;  // the sign's place on the line, from 0
    Show show = Show::Dark;
    SignMode mode = SignMode::KV2;
    WorkArea work;  // at the sign's size, with its schedule tasks
    std::string defaultFile;
    std::vector<std::string> runSequence;  // names as the sign holds them
    CalendarTime now;                      // the sign's time when the scene was made
    bool clockRuns = false;                // false: the sign's clock stands at `now`
    std::shared_ptr<const FontSet> fonts;  // null when none could be loaded
    int defaultFont = 1;                   // font index where nothing else names one

    // The text files that play, in turn, at the sign's time `at`.
    std::vector<std::string> filesAt(const CalendarTime& at) const;
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
// The same for any sign: a run sequence, when one is given, names the files
// (letter case aside) in the order they play unless a task is in force.
std::vector<std::string> filesToRun(const WorkArea& work, const std::string& defaultFile,
                                    const std::vector<std::string>& runSequence,
                                    const CalendarTime& now);

// The content a sign of the NVS family holds: text bodies decoded from the
// control's language, BMP disk files as graphics. Bodies and disk files that
// cannot be decoded are left out, each with a line in `problems`.
WorkArea decodeNvsContent(const NvsSignState& sign, const ShowSettings& settings,
                          uint8_t defaultFont, const CalendarTime& now,
                          std::vector<std::string>& problems);

// The scenes of the two families at the sign's time `now`. Without fonts a
// sign with files to show shows them dark and says so in `problems`.
SignScene makeScene(const SignState& state, const ShowSettings& settings,
                    std::shared_ptr<const FontSet> fonts, const CalendarTime& now,
                    std::vector<std::string>& problems);
SignScene makeScene(const NvsSignState& sign, const ShowSettings& settings,
                    std::shared_ptr<const FontSet> fonts, const CalendarTime& now,
                    std::vector<std::string>& problems);

// Plays the scene for the settings' duration into GIF bytes (virtual time).
bool renderSceneGif(const SignScene& scene, const ShowSettings& settings, std::vector<uint8_t>& gif,
                    std::string& error);

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
    // An NVS sign: "Adjust Time" sets its date "MMDDYYYYW" and time "HHMMSS".
    CalendarTime now(const NvsSignState& sign, uint64_t nowMs);
    bool runs() const { return !fixed_; }

  private:
    // The time `set` (when valid) running on from the moment the setting
    // `key` was first seen at this address.
    CalendarTime from(uint8_t address, const std::string& key, std::optional<CalendarTime> set,
                      uint64_t nowMs);

    std::optional<CalendarTime> fixed_;
    std::map<uint8_t, std::pair<std::string, uint64_t>> setAt_;  // by address
};

// Makes a sign's scene whenever it has ended a conversation or changed what it
// shows, writes DIR/sign-<address>.gif atomically when a GIF folder is given,
// and hands the scene to the windows when they are shown. Refused bodies and
// write failures go to standard error and the log, each problem once.
class SignDisplay {
  public:
    using SceneSink = std::function<void(std::shared_ptr<const SignScene>)>;

    SignDisplay(std::filesystem::path gifDir, ShowSettings settings,
                std::optional<CalendarTime> fixedClock, ConversationLog& log);
    // Called on the line's thread with every new scene.
    void setSceneSink(SceneSink sink) { sink_ = std::move(sink); }
    // `position`: the sign's place on the line, which its window keeps.
    void update(const SignState& state, uint64_t nowMs, size_t position = 0);
    void update(const NvsSignState& sign, uint64_t nowMs, size_t position = 0);
    std::filesystem::path gifPath(uint8_t address) const;

  private:
    void show(SignScene scene, size_t position, const std::vector<std::string>& problems,
              uint64_t nowMs);
    void report(uint64_t nowMs, const std::string& text);

    std::filesystem::path dir_;
    ShowSettings settings_;
    SignClock clock_;
    ConversationLog& log_;
    std::shared_ptr<const FontSet> fonts_;
    std::string fontError_;
    SceneSink sink_;
    std::set<std::string> reported_;
};

}  // namespace lumavox::sim

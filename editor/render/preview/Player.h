// The player of the display simulation: plays a text file screen after
// screen the way the sign does, each screen brought in with its move-in
// effect, held for its pause time and taken out with its move-out effect,
// with beeps, called text files and window areas followed recursively.
//
// The player runs on the caller's thread (the preview window's worker, or the
// GIF export) and draws into its own images; it reports every step through
// the host and waits through the host's Wait, so real time and virtual time
// play the same. The work area and the fonts must stay unchanged while it
// plays: the window plays a copy of the document.
#pragma once

#include <cstdint>
#include <string_view>

#include "content/Model.h"
#include "platform/Clock.h"
#include "render/FontSet.h"
#include "render/Image.h"
#include "render/Layout.h"
#include "render/SignStills.h"
#include "render/preview/Effects.h"
#include "render/preview/PreviewHost.h"
#include "strings/DateNames.h"

namespace lumavox {

enum class PlayMode { Top = 0, Called = 1, WindowArea = 2 };

struct PlayerSettings {
    SignMode mode = SignMode::KV2;
    int defaultFont = 1;             // font index used where nothing else names one
    int defaultColour = 1;           // the colour code that code 0 stands for
    int alignment = kSignAlignment;  // of the whole sign: centred both ways
    CalendarTime now;                // sample time of dates, times and counters
    // When set, the sample time is read from it at the start of every pass.
    const Clock* clock = nullptr;
    DateNames names = DateNames::load();
    // Passes of the top-level file before play returns; 0 plays until stopped.
    int passes = 0;
};

// The largest sign the simulation draws (its images hold every dot twice).
constexpr int64_t kMaxPreviewDots = int64_t{1} << 24;
bool previewableSign(const WorkArea& work);

// A top-level pass that shows nothing, or this many screens in a row laid out
// without any time passing (files that only call each other), ends the play
// instead of spinning.
constexpr int kMaxScreensWithoutTime = 100000;

class PreviewPlayer : private EffectSteps {
  public:
    // The sign must be previewable (previewableSign).
    PreviewPlayer(const WorkArea& work, const FontSet& fonts, const PlayerSettings& settings,
                  PreviewHost& host, PreviewFlags& flags, RandomSource& random);

    // Plays the named text file over the whole sign at the top level until the
    // stop flag is set (or the passes are done). Clears the finished flag on
    // entry and sets it on return.
    void play(std::string_view fileName);

    // Plays one file in a rectangle of the sign. Mode Called plays a called
    // file, WindowArea a window area with the caller's speed, pause and
    // move-in; both return at the end of their file. The depth of nested
    // playbacks is counted across calls: at the limit of 20 the call returns
    // and the nesting message is shown (once per play).
    void PlayFile(std::string_view name, Rect rect, int alignment, PlayMode mode,
                  const ScreenState* caller);

    // The player's images; read them only on the player's thread (or after
    // play has returned). The window copies the displayed image in frameReady.
    const RgbImage& displayed() const { return displayed_; }
    const RgbImage& newScreen() const { return fresh_; }
    int depth() const { return depth_; }
    // Refreshes so far, and the sign time waited, in milliseconds.
    uint64_t frames() const { return frames_; }
    uint64_t elapsedMs() const { return elapsed_; }

  private:
    bool stopped() const override;
    bool refresh() override;
    bool hold(int ms) override;
    uint32_t random(uint32_t bound) override { return random_.below(bound); }

    void playLevel(const TextFile& file, Rect rect, int alignment, PlayMode mode,
                   const ScreenState* caller);
    int effect(int number, EffectRun& run);
    void playAreas(const WindowControl& windows, const ScreenState& caller);

    const WorkArea& work_;
    const FontSet& fonts_;
    PlayerSettings settings_;
    PreviewHost& host_;
    PreviewFlags& flags_;
    RandomSource& random_;
    RgbImage fresh_;      // the new-screen image
    RgbImage displayed_;  // what the sign shows
    Rgb spriteColour_;
    int depth_ = 0;
    uint64_t frames_ = 0;
    uint64_t elapsed_ = 0;
    int screensWithoutTime_ = 0;
    bool ending_ = false;  // nothing more can be shown: every level returns
    bool nestingShown_ = false;
};

}  // namespace lumavox

// A small sign and its document for the player's tests: fonts whose every
// glyph is a block of lit dots, a document builder, and a host in virtual
// time that logs what the player does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "content/Model.h"
#include "render/FontSet.h"
#include "render/preview/Player.h"
#include "render/preview/PreviewTime.h"

namespace lumavox::test {

// Font 0: 5 rows, every glyph 4 dots wide and fully lit.
const FontSet& blockFonts();

// Builds a text file item by item; done() adds the end-of-text marker.
class FileBuilder {
  public:
    explicit FileBuilder(std::string_view name, uint8_t kind = kTextFile);
    FileBuilder& text(std::string_view s, uint8_t colour = 1);
    FileBuilder& move(int in, int out = 0);
    FileBuilder& speed(int code);
    FileBuilder& pause(int code);
    FileBuilder& beep(int code);
    FileBuilder& lf();
    FileBuilder& call(std::string_view name);
    FileBuilder& windows(const WindowControl& control);
    TextFile done();

  private:
    TextFile file_;
};

// A window area of the given rectangle calling `name`.
WindowArea area(int x, int y, int width, int height, std::string_view name, int alignment = 4);

class LoggingHost : public PreviewHost {
  public:
    explicit LoggingHost(PreviewFlags& flags, uint64_t limitMs = UINT64_MAX)
        : time(flags.stop, limitMs), flags_(flags) {}
    bool Wait(int ms) override;
    void frameReady(const RgbImage& displayed) override;
    void beep(int count) override { log.push_back("beep " + std::to_string(count)); }
    void message(const std::string& text) override {
        log.push_back("message");
        messages.push_back(text);
    }
    void effectStarting(int effect, bool moveOut) override {
        log.push_back((moveOut ? "out " : "in ") + std::to_string(effect));
    }

    // The effects logged, in order ("in 2", "out 5", ...), nothing else.
    std::vector<std::string> effects() const;

    VirtualTimeline time;
    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::vector<int> waits;
    std::vector<RgbImage> pictures;
    int stopAfterWaits = -1;  // sets the stop flag in that wait

  private:
    PreviewFlags& flags_;
};

// Plays `file` of `work` in virtual time: `passes` passes of the top level.
struct PlayRun {
    PlayRun(WorkArea work, int passes = 1, SignMode mode = SignMode::KV2);
    void play(std::string_view file = "MAIN");

    WorkArea work;
    PreviewFlags flags;
    LoggingHost host{flags};
    SeededRandom random{3};
    PlayerSettings settings;
    std::unique_ptr<PreviewPlayer> player;
};

}  // namespace lumavox::test

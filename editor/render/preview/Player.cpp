#include "render/preview/Player.h"

#include <algorithm>
#include <memory>

#include "content/WindowLayout.h"
#include "render/ScreenPainter.h"
#include "render/SignStills.h"
#include "render/preview/EffectTiming.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

// One file laid out in one rectangle: the layout options its measurements
// refer to, the measurements, the screen cutter and the painter.
struct LevelLayout {
    LevelLayout(const TextFile& file, const FontSet& fonts, LayoutOptions opts, Rect rect,
                int alignment, const DrawOptions& draw)
        : options(std::move(opts)),
          measured(file, fonts, options),
          layout(measured, rect, alignment),
          painter(measured, draw) {}
    LayoutOptions options;
    MeasuredFile measured;
    ScreenLayout layout;
    ScreenPainter painter;
};

}  // namespace

bool previewableSign(const WorkArea& work) {
    return work.signWidth >= 1 && work.signHeight >= 1 &&
           int64_t{work.signWidth} * work.signHeight <= kMaxPreviewDots;
}

PreviewPlayer::PreviewPlayer(const WorkArea& work, const FontSet& fonts,
                             const PlayerSettings& settings, PreviewHost& host, PreviewFlags& flags,
                             RandomSource& random)
    : work_(work),
      fonts_(fonts),
      settings_(settings),
      host_(host),
      flags_(flags),
      random_(random),
      fresh_(std::max(work.signWidth, 1), std::max(work.signHeight, 1)),
      displayed_(fresh_.width(), fresh_.height()),
      spriteColour_(spriteColour(work.colourType)) {}

void PreviewPlayer::play(std::string_view fileName) {
    flags_.finished = false;
    ending_ = false;
    nestingShown_ = false;
    screensWithoutTime_ = 0;
    PlayFile(fileName, {0, 0, displayed_.width(), displayed_.height()}, settings_.alignment,
             PlayMode::Top, nullptr);
    flags_.finished = true;
}

bool PreviewPlayer::stopped() const {
    return ending_ || flags_.stop.load(std::memory_order_relaxed);
}

bool PreviewPlayer::refresh() {
    if (stopped()) return false;
    ++frames_;
    host_.frameReady(displayed_);
    return !stopped();
}

bool PreviewPlayer::hold(int ms) {
    if (stopped()) return false;
    ms = std::max(ms, 0);
    if (ms > 0) screensWithoutTime_ = 0;
    elapsed_ += static_cast<uint64_t>(ms);
    return host_.Wait(ms) && !stopped();
}

int PreviewPlayer::effect(int number, EffectRun& run) {
    if (stopped()) return kEffectStopped;
    if (number < kFirstEffect || number > kLastEffect) return kEffectDone;
    host_.effectStarting(number, run.moveOut);
    return runEffect(number, run);
}

void PreviewPlayer::PlayFile(std::string_view name, Rect rect, int alignment, PlayMode mode,
                             const ScreenState* caller) {
    const TextFile* file = work_.findFile(name);
    if (!file) return;  // a missing file is skipped
    if (depth_ >= kMaxPlayDepth) {
        // Once per play: a nest that comes back every pass would otherwise
        // put up the same box again and again.
        if (!nestingShown_) host_.message(text(msg::kPreviewRecursion));
        nestingShown_ = true;
        return;
    }
    ++depth_;
    if (mode == PlayMode::Top) flags_.finished = false;
    playLevel(*file, rect, alignment, mode, caller);
    --depth_;
    if (mode == PlayMode::Top) flags_.finished = true;
}

void PreviewPlayer::playLevel(const TextFile& file, Rect rect, int alignment, PlayMode mode,
                              const ScreenState* caller) {
    rect = intersect(rect, {0, 0, fresh_.width(), fresh_.height()});
    if (rect.width <= 0 || rect.height <= 0) return;
    DrawOptions draw;
    draw.defaultColour = settings_.defaultColour;
    draw.work = &work_;
    auto lay = [&] {
        LayoutOptions options;
        options.mode = settings_.mode;
        options.defaultFont = settings_.defaultFont;
        options.now = settings_.clock ? settings_.clock->localNow() : settings_.now;
        options.names = settings_.names;
        return std::make_unique<LevelLayout>(file, fonts_, std::move(options), rect, alignment,
                                             draw);
    };
    std::unique_ptr<LevelLayout> level = lay();
    ScreenState state;
    if (mode == PlayMode::WindowArea && caller) {
        state.speed = caller->speed;
        state.pause = caller->pause;
        state.moveIn = caller->moveIn;
    }
    AutoEffects autos;
    Screen screen;
    int passes = 0;
    uint64_t passStart = elapsed_;
    while (!stopped()) {
        if (level->layout.atEnd()) {
            if (mode != PlayMode::Top) return;
            ++passes;
            if (settings_.passes > 0 && passes >= settings_.passes) return;
            if (elapsed_ == passStart) {
                ending_ = true;  // a whole pass showed nothing: it never will
                return;
            }
            passStart = elapsed_;
            level = lay();
            state = ScreenState{};
        }
        if (++screensWithoutTime_ > kMaxScreensWithoutTime) {
            ending_ = true;
            return;
        }
        level->layout.next(screen, state);
        fresh_.fill(rect, colours::kBlack);
        level->painter.draw(fresh_, screen);
        if (!state.include.empty()) {
            PlayFile(state.include, rect, alignment, PlayMode::Called, &state);
            continue;
        }
        if (state.beep != -1) host_.beep(state.beep + 1);
        EffectRun run{
            displayed_,           fresh_,           rect,          state, alignment, false,
            pauseMs(state.pause), state.pause == 0, spriteColour_, *this};
        if (effect(autos.moveIn(settings_.mode, state.moveIn), run) == kEffectStopped) return;
        if (!holdsOwnPause(state.moveIn) && !hold(pauseMs(state.pause))) return;
        if (!leavesScreen(state.moveOut)) {
            // The old screen leaves and black comes in.
            fresh_.fill(rect, colours::kBlack);
            run.moveOut = true;
            if (effect(autos.moveOut(settings_.mode, state.moveOut), run) == kEffectStopped) return;
        }
        for (const WindowControl* windows : state.windows)
            playAreas(*windows, state);
    }
}

void PreviewPlayer::playAreas(const WindowControl& windows, const ScreenState& caller) {
    // As the sign plays them (playedAreas); an area outside the sign is skipped.
    for (const PlayedArea& p : playedAreas(windows, fresh_.width(), fresh_.height())) {
        if (stopped()) return;
        const Rect inside = intersect(
            {p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top},
            {0, 0, fresh_.width(), fresh_.height()});
        if (inside.width <= 0 || inside.height <= 0) continue;
        PlayFile(p.area->name.str(), inside, p.area->byteE % 9, PlayMode::WindowArea, &caller);
    }
}

}  // namespace lumavox

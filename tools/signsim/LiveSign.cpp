#include "LiveSign.h"

#include <algorithm>

#include "content/Vocabulary.h"
#include "render/preview/Player.h"

namespace lumavox::sim {

// Waits in real time (or not at all) and counts the sign time waited, which
// is what moves the sign's clock on while a scene plays.
class LiveSign::Host final : public PreviewHost, public Clock {
  public:
    Host(LiveSign& sign, const SignScene& scene)
        : sign_(sign), scene_(scene), real_(sign.flags_.stop) {}
    bool Wait(int ms) override {
        const bool passed = sign_.pace_ == Pace::RealTime
                                ? real_.wait(ms)
                                : (std::this_thread::yield(), !sign_.flags_.stop.load());
        if (passed) waitedMs_ += static_cast<uint64_t>(std::max(ms, 0));
        return passed;
    }
    void frameReady(const RgbImage& displayed) override { sign_.publish(displayed); }
    CalendarTime localNow() const override {
        return scene_.clockRuns ? addSeconds(scene_.now, static_cast<int64_t>(waitedMs_ / 1000))
                                : scene_.now;
    }
    uint64_t tickMs() const override { return waitedMs_; }

  private:
    LiveSign& sign_;
    const SignScene& scene_;
    RealTimeWait real_;
    uint64_t waitedMs_ = 0;
};

LiveSign::LiveSign(uint8_t address, int width, int height, uint32_t seed, Pace pace)
    : address_(address), width_(width), height_(height), seed_(seed), pace_(pace) {
    buffer_.publish(RgbImage(width_, height_));
    worker_ = std::thread([this] { run(); });
}

LiveSign::~LiveSign() {
    {
        std::lock_guard guard(lock_);
        quit_ = true;
        flags_.stop = true;
    }
    wake_.notify_all();
    worker_.join();
}

void LiveSign::show(std::shared_ptr<const SignScene> scene) {
    if (!scene) return;
    {
        std::lock_guard guard(lock_);
        pending_ = std::move(scene);
        handed_.fetch_add(1);
        flags_.stop = true;
    }
    wake_.notify_all();
}

void LiveSign::publish(const RgbImage& picture) {
    buffer_.publish(picture);
    pictured_ = playing_;
}

void LiveSign::run() {
    for (;;) {
        std::shared_ptr<const SignScene> scene;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [&] { return quit_ || pending_; });
            if (quit_) return;
            scene = std::move(pending_);
            playing_ = handed_.load();
            flags_.stop = false;
        }
        started_.fetch_add(1);
        play(*scene);
        // A scene that ends by itself (dark, or nothing to play) stays on
        // show until the next one comes.
    }
}

void LiveSign::play(const SignScene& scene) {
    Host host(*this, scene);
    const bool drawable = scene.work.signWidth == width_ && scene.work.signHeight == height_ &&
                          previewableSign(scene.work);
    if (scene.show == SignScene::Show::TestPattern) {
        // Every dot lit, one colour a second in turn.
        const Rgb tri[] = {colours::kRed, colours::kGreen, colours::kYellow};
        const int count = scene.work.colourType == 1 ? 1 : 3;
        for (int i = 0;; ++i) {
            publish(RgbImage(width_, height_, tri[i % count]));
            if (!host.Wait(1000)) return;
        }
    }
    if (scene.show != SignScene::Show::Files || !scene.fonts || !drawable) {
        publish(RgbImage(width_, height_));
        return;
    }
    SeededRandom random(seed_);
    PlayerSettings settings;
    settings.mode = scene.mode;
    settings.defaultFont = scene.defaultFont;
    settings.defaultColour = defaultColour(scene.mode);
    settings.now = scene.now;
    settings.clock = &host;
    settings.passes = 1;
    while (!flags_.stop) {
        const auto files = scene.filesAt(host.localNow());
        const uint64_t roundStart = host.tickMs();
        if (files.empty()) publish(RgbImage(width_, height_));
        for (const auto& name : files) {
            if (flags_.stop) return;
            PreviewPlayer player(scene.work, *scene.fonts, settings, host, flags_, random);
            player.play(name);
        }
        // Nothing that takes time to show: look again a second later (the
        // schedule may choose a file then).
        if (host.tickMs() == roundStart && !host.Wait(1000)) return;
    }
}

}  // namespace lumavox::sim

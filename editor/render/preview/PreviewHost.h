// What the player needs from whoever shows it: the wait between steps, the
// refresh after each step, beeps and messages, and a random generator. The
// preview window answers with real time and its worker thread; the GIF export
// and the tests with virtual time.
#pragma once

#include <atomic>
#include <cstdint>
#include <random>
#include <string>

#include "render/Image.h"

namespace lumavox {

// The two flags shared by the window thread and the player's worker. The
// window sets `stop`; the player clears `finished` when the top level starts
// and sets it when the top level has returned.
struct PreviewFlags {
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{true};
};

class PreviewHost {
  public:
    virtual ~PreviewHost() = default;
    // Waits `ms` milliseconds of sign time. Returns true when the time has
    // passed, false as soon as the stop flag is seen (0 ms returns at once).
    virtual bool Wait(int ms) = 0;
    // The displayed image has changed; called on the player's thread after
    // every step. The image stays the player's: copy what is needed.
    virtual void frameReady(const RgbImage& displayed) = 0;
    // The sign's beep, `count` times.
    virtual void beep(int count) { (void)count; }
    // A message the window shows in a box (the nesting limit).
    virtual void message(const std::string& text) { (void)text; }
    // An effect (1..43) starts bringing a screen in, or taking it out.
    virtual void effectStarting(int effect, bool moveOut) {
        (void)effect;
        (void)moveOut;
    }
};

// Uniform random numbers for the random effects.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // A number in 0 .. bound - 1; 0 when bound is 0.
    virtual uint32_t below(uint32_t bound) = 0;
};

// The generator the window and the export use: seeded once, reproducible.
class SeededRandom final : public RandomSource {
  public:
    explicit SeededRandom(uint32_t seed) : engine_(seed) {}
    uint32_t below(uint32_t bound) override {
        if (bound == 0) return 0;
        return std::uniform_int_distribution<uint32_t>(0, bound - 1)(engine_);
    }

  private:
    std::mt19937 engine_;
};

}  // namespace lumavox

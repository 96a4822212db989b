// Runs one effect on pictures whose every dot says where it came from: the
// old screen's dots carry their column and row with blue 0, the new screen's
// with blue 1 (and the column's high bits), so a frame can be checked dot by
// dot against the rules. Every step is recorded with the wait that follows it.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <random>
#include <vector>

#include "render/Image.h"
#include "render/Layout.h"
#include "render/preview/EffectTiming.h"
#include "render/preview/Effects.h"

namespace lumavox::test {

inline Rgb oldDot(int x, int y) {
    return {static_cast<uint8_t>(1 + x % 250), static_cast<uint8_t>(y), 0};
}
inline Rgb newDot(int x, int y) {
    return {static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(y),
            static_cast<uint8_t>(1 + (x >> 8))};
}
// What lies outside the rectangle in both pictures; no effect may touch it.
constexpr Rgb kOutside{255, 0, 255};

struct Step {
    RgbImage picture;  // the rectangle after the step
    int waitMs = 0;    // waited after it (before the next step)
};

class RecordingSteps : public EffectSteps {
  public:
    bool stopped() const override { return stop; }
    bool refresh() override;
    bool hold(int ms) override;
    uint32_t random(uint32_t bound) override;

    // The rectangle's picture is recorded from this image.
    const RgbImage* shown = nullptr;
    Rect rect;
    std::vector<Step> steps;
    std::vector<int> holdsWithoutStep;  // waits before the first step
    bool stop = false;
    int stopAfterSteps = -1;  // sets `stop` once this many steps were shown
    // Random numbers to hand out (taken modulo the bound); a seeded generator
    // when empty.
    std::deque<uint32_t> script;
    std::mt19937 engine{7};
};

class EffectHarness {
  public:
    // A `imageWidth` x `imageHeight` display with the effect rectangle `rect`.
    EffectHarness(int imageWidth, int imageHeight, Rect rect, int speed);
    explicit EffectHarness(Rect rect, int speed = 0)
        : EffectHarness(rect.right() + 3, rect.bottom() + 2, rect, speed) {}

    int run(int effect, bool moveOut = false);

    int w() const { return rect.width; }
    int h() const { return rect.height; }
    const std::vector<Step>& steps() const { return rec.steps; }
    // The dot at rectangle position (x, y) after step `index`.
    Rgb at(size_t index, int x, int y) const { return rec.steps.at(index).picture.at(x, y); }
    // True when every dot outside the rectangle is untouched.
    bool outsideUntouched() const;

    RgbImage shown;
    RgbImage fresh;
    Rect rect;
    ScreenState state;
    RecordingSteps rec;
    int alignment = 0;
    int pauseMs = 150;
    bool pauseZero = true;
};

// Checks a step dot by dot: `expect(x, y)` gives the colour, or nullopt where
// any colour will do. Reports the first few differences.
template <typename Expect>
::testing::AssertionResult stepMatches(const EffectHarness& h, size_t index, Expect expect) {
    if (index >= h.steps().size())
        return ::testing::AssertionFailure() << "no step " << index << " of " << h.steps().size();
    int wrong = 0;
    auto failure = ::testing::AssertionFailure();
    for (int y = 0; y < h.h(); ++y)
        for (int x = 0; x < h.w(); ++x) {
            std::optional<Rgb> want = expect(x, y);
            if (!want) continue;
            Rgb got = h.at(index, x, y);
            if (got == *want) continue;
            if (wrong++ < 4)
                failure << "step " << index << " dot (" << x << "," << y << "): got (" << int(got.r)
                        << "," << int(got.g) << "," << int(got.b) << ") want (" << int(want->r)
                        << "," << int(want->g) << "," << int(want->b) << ")\n";
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return failure << wrong << " dots differ";
}

}  // namespace lumavox::test

// The move effects: each brings the new-screen image into a rectangle of the
// displayed image step by step (or, as a move-out, brings in black), the way
// the sign does it, with the step delays of its timing table.
#pragma once

#include <cstdint>

#include "render/Image.h"
#include "render/Layout.h"

namespace lumavox {

// How an effect shows its steps; the player implements it.
class EffectSteps {
  public:
    virtual ~EffectSteps() = default;
    virtual bool stopped() const = 0;
    // Refreshes the window with the displayed image; false when stopped.
    virtual bool refresh() = 0;
    // Waits `ms` of sign time; false when stopped.
    virtual bool hold(int ms) = 0;
    virtual uint32_t random(uint32_t bound) = 0;
    // One step: refresh, then wait the step delay.
    bool show(int delayMs) { return refresh() && hold(delayMs); }
};

struct EffectRun {
    RgbImage& shown;  // the displayed image
    RgbImage& fresh;  // the new-screen image (scroll and rotate clear it for their way out)
    Rect rect;        // inside both images
    const ScreenState& state;
    int alignment = 0;      // of the area: the rotate effect places its lines by it
    bool moveOut = false;   // the screen leaves and black comes in
    int pauseMs = 150;      // the screen's pause time
    bool pauseZero = true;  // the screen's pause code is 0
    Rgb spriteColour = colours::kYellow;
    EffectSteps& steps;
};

enum EffectResult : int { kEffectStopped = -1, kEffectDone = 1 };

// Runs effect 1..43 (any other number does nothing and is done). Returns
// kEffectStopped as soon as the stop flag is seen, at once when it is set
// already.
int runEffect(int effect, EffectRun& run);

// The 8 x 8 sprites, one byte a row from the top, bit 7 leftmost.
using Sprite = uint8_t[8];
extern const Sprite kExplosionSprites[5];
extern const Sprite kPacmanRightOpen;
extern const Sprite kPacmanRightClosed;
extern const Sprite kPacmanLeftOpen;
extern const Sprite kPacmanLeftClosed;

// Lit dots of the sprites: yellow on a tri-colour sign (ColourType 0), red on
// a single-colour one.
Rgb spriteColour(int colourType);

}  // namespace lumavox

// The display simulation without a window: a text file played in virtual
// time and written as an animated GIF. What `lumavox-cli preview` writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "content/Model.h"
#include "content/Prompter.h"
#include "platform/Clock.h"

namespace lumavox {

// The longest animation: ten minutes of sign time.
constexpr uint64_t kMaxPreviewMs = 10 * 60 * 1000;

struct PreviewExportRequest {
    std::filesystem::path programDir;  // holds the font files
    std::string fileName;              // empty: the first text file
    SignMode mode = SignMode::KV2;
    int dot = 4;
    // Sign time to play; 0 plays one full pass of the file. Both are capped at
    // kMaxPreviewMs.
    uint64_t durationMs = 0;
    std::string defaultFontName = "SS7";
    CalendarTime now;
    uint32_t seed = 1;  // of the random effects
};

struct PreviewExportResult {
    uint64_t signMs = 0;   // sign time the animation lasts
    uint64_t steps = 0;    // steps the player showed
    size_t gifFrames = 0;  // frames stored in the file
};

// Plays the file and writes the GIF atomically. On failure returns false with
// the message to show and leaves any old file as it was. Messages the window
// would show in a box (the nesting limit) go to the prompter, each text once;
// a font file that cannot be read whole is a failure (loadWholeSignFonts).
bool exportPreviewGif(const WorkArea& work, const PreviewExportRequest& request,
                      const std::filesystem::path& gifPath, PreviewExportResult& result,
                      std::string& error, Prompter* prompter);

}  // namespace lumavox

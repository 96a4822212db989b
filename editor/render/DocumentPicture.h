// A text file of a document drawn as a picture: the font file its sign height
// needs, the default font, every screen as the sign shows it, as dots of N x N
// pixels. What `lumavox-cli render` writes.
#pragma once

#include <filesystem>
#include <string>

#include "content/Model.h"
#include "content/Prompter.h"
#include "render/FontSet.h"
#include "render/Image.h"
#include "strings/DateNames.h"

namespace lumavox {

struct PictureRequest {
    std::filesystem::path programDir;  // holds the font files
    std::string fileName;              // empty: the first text file
    SignMode mode = SignMode::KV2;
    int dot = 4;
    std::string defaultFontName = "SS7";
    CalendarTime now;
};

// The text file of that name, or the first text file when the name is empty;
// nullptr when there is none.
const TextFile* pictureTextFile(const WorkArea& work, const std::string& name);

// Loads the font file the sign height needs from the program directory; on
// failure returns false with the message to show. A file cut short keeps the
// fonts before the cut (the loader's message goes to the prompter).
bool loadSignFonts(const std::filesystem::path& programDir, int signHeight, FontSet& fonts,
                   std::string& error, Prompter* prompter);
// The same for a picture that is written out: only the whole font file will
// do, and a file that could not be read to its end is a failure whose error
// holds the loader's messages.
bool loadWholeSignFonts(const std::filesystem::path& programDir, int signHeight, FontSet& fonts,
                        std::string& error, Prompter* prompter);

// Draws the picture with the whole font file (loadWholeSignFonts); on failure
// returns false with the message to show.
bool renderDocumentPicture(const WorkArea& work, const PictureRequest& request, RgbImage& picture,
                           std::string& error, Prompter* prompter);

}  // namespace lumavox

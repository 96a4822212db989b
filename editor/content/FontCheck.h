// The font files of the program directory: which one a sign height needs, and
// whether it is there and starts as a font file should. Only the header is
// looked at here; loading the fonts is the renderer's. The document reader
// and the renderer both choose and check their font file through these.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lumavox {

class Prompter;

// The first bytes of every font file.
constexpr std::string_view kFontMagic = "KRVFONTS";

// "KV2fnt.bin" up to 16 rows, "KV3fnt.bin" for 17-24, "KV4fnt.bin" above.
const char* fontFileNameForHeight(int signHeight);

// True when the file can be opened and is at least 9 bytes long, starting with
// kFontMagic. A failure is shown through the prompter (when given) as a plain
// message naming the cause: "Can't open font file-fileNotFound", ..., or the
// bytes found where the magic should be.
bool checkFontFileHeader(const std::filesystem::path& path, Prompter* prompter = nullptr);

enum class FontFileStatus { Ok = 1, Missing = -1, Invalid = -2 };

struct FontFileCheck {
    FontFileStatus status = FontFileStatus::Missing;
    std::filesystem::path path;  // set in every case
};

// Looks for the font file of the height in the program directory: Missing when
// there is no such file (a directory of that name does not count), Invalid when
// its header check fails (shown through the prompter when given), else Ok.
FontFileCheck checkFontFile(const std::filesystem::path& programDir, int signHeight,
                            Prompter* prompter = nullptr);

// The message for a failed check ("isn't exist" / "is not a validate font file").
std::string fontFileCheckMessage(const FontFileCheck& check);

}  // namespace lumavox

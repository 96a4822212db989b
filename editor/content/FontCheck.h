// Which font file a sign height needs, and whether it is there and valid.
// Only the file's header is looked at here; loading the fonts is the renderer's.
#pragma once

#include <filesystem>
#include <string>

namespace lumavox {

// "KV2fnt.bin" up to 16 rows, "KV3fnt.bin" for 17-24, "KV4fnt.bin" above.
const char* fontFileNameForHeight(int signHeight);

enum class FontFileStatus { Ok = 1, Missing = -1, Invalid = -2 };

struct FontFileCheck {
    FontFileStatus status = FontFileStatus::Missing;
    std::filesystem::path path;
};

// Looks for the font file of the height in the program directory (a directory of
// that name does not count) and checks its header: at least 9 bytes, starting with
// the 8-byte magic "KRVFONTS".
FontFileCheck checkFontFile(const std::filesystem::path& programDir, int signHeight);

// The message for a failed check ("isn't exist" / "is not a validate font file").
std::string fontFileCheckMessage(const FontFileCheck& check);

}  // namespace lumavox

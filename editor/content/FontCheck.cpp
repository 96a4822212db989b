#include "content/FontCheck.h"

#include <cstring>
#include <fstream>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

const char* fontFileNameForHeight(int signHeight) {
    if (signHeight <= 16) return "KV2fnt.bin";
    if (signHeight <= 24) return "KV3fnt.bin";
    return "KV4fnt.bin";
}

FontFileCheck checkFontFile(const std::filesystem::path& programDir, int signHeight) {
    FontFileCheck check;
    check.path = programDir / fontFileNameForHeight(signHeight);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(check.path, ec)) {
        check.status = FontFileStatus::Missing;
        return check;
    }
    char head[9] = {};
    std::ifstream in(check.path, std::ios::binary);
    in.read(head, sizeof head);
    bool valid = in.gcount() == sizeof head && std::memcmp(head, "KRVFONTS", 8) == 0;
    check.status = valid ? FontFileStatus::Ok : FontFileStatus::Invalid;
    return check;
}

std::string fontFileCheckMessage(const FontFileCheck& check) {
    switch (check.status) {
        case FontFileStatus::Missing:
            return textf(msg::kFontFileMissing, {check.path.string()});
        case FontFileStatus::Invalid:
            return textf(msg::kFontFileInvalid, {check.path.string()});
        default:
            return {};
    }
}

}  // namespace lumavox

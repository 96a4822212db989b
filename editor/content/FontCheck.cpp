#include "content/FontCheck.h"

#include "render/FontSet.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

// The font file's own rules (file names, header check) live with the font set;
// this is the document reader's view of them.
const char* fontFileNameForHeight(int signHeight) {
    return FontSet::FontFileName(signHeight);
}

FontFileCheck checkFontFile(const std::filesystem::path& programDir, int signHeight) {
    FontFileCheck check;
    switch (FontSet::ChooseFontFile(signHeight, programDir, check.path)) {
        case kFontFileOk:
            check.status = FontFileStatus::Ok;
            break;
        case kFontFileInvalid:
            check.status = FontFileStatus::Invalid;
            break;
        default:
            check.status = FontFileStatus::Missing;
            break;
    }
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

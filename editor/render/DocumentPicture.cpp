#include "render/DocumentPicture.h"

#include "content/Vocabulary.h"
#include "render/FontSet.h"
#include "render/SignStills.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {
constexpr int kFallbackFont = 1;  // "SS7"
}

int defaultFontIndex(const FontSet& fonts, std::string_view name) {
    int index = fonts.FindFont(name);
    return index >= 0 ? index : kFallbackFont;
}

bool renderDocumentPicture(const WorkArea& work, const PictureRequest& request, RgbImage& picture,
                           std::string& error, Prompter* prompter) {
    const TextFile* file = nullptr;
    if (!request.fileName.empty()) {
        file = work.findFile(request.fileName);
    } else {
        for (const TextFile& f : work.textFiles)
            if (f.kind == kTextFile && !file) file = &f;
    }
    if (!file) {
        error = "no such text file";
        return false;
    }
    std::filesystem::path fontPath;
    switch (FontSet::ChooseFontFile(work.signHeight, request.programDir, fontPath, prompter)) {
        case kFontFileMissing:
            error = textf(msg::kFontFileMissing, {fontPath.string()});
            return false;
        case kFontFileInvalid:
            error = textf(msg::kFontFileInvalid, {fontPath.string()});
            return false;
        default:
            break;
    }
    FontSet fonts;
    fonts.Load(fontPath, prompter);
    StillOptions options;
    options.mode = request.mode;
    options.defaultFont = defaultFontIndex(fonts, request.defaultFontName);
    options.defaultColour = defaultColour(request.mode);
    options.now = request.now;
    std::vector<RgbImage> stills = renderStills(work, *file, fonts, options);
    if (stills.empty()) stills.emplace_back(work.signWidth, work.signHeight);
    picture = dotPicture(stills, request.dot);
    return true;
}

}  // namespace lumavox

#include "render/DocumentPicture.h"

#include "content/FontCheck.h"
#include "content/Vocabulary.h"
#include "render/FontSet.h"
#include "render/SignStills.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

const TextFile* pictureTextFile(const WorkArea& work, const std::string& name) {
    if (!name.empty()) return work.findFile(name);
    for (const TextFile& f : work.textFiles)
        if (f.kind == kTextFile) return &f;
    return nullptr;
}

namespace {

bool loadFonts(const std::filesystem::path& programDir, int signHeight, FontSet& fonts,
               std::string& error, Prompter* prompter, bool whole) {
    FontFileCheck check = checkFontFile(programDir, signHeight, prompter);
    if (check.status != FontFileStatus::Ok) {
        error = fontFileCheckMessage(check);
        return false;
    }
    // The whole file's messages become the error, shown once by the caller.
    fonts.Load(check.path, whole ? nullptr : prompter);
    if (!whole || (fonts.IsLoaded() && fonts.problems().empty())) return true;
    error.clear();
    for (const std::string& problem : fonts.problems())
        error += (error.empty() ? "" : "\n") + problem;
    if (error.empty()) error = textf(msg::kFontOpenFailed, {check.path.string()});
    return false;
}

}  // namespace

bool loadSignFonts(const std::filesystem::path& programDir, int signHeight, FontSet& fonts,
                   std::string& error, Prompter* prompter) {
    return loadFonts(programDir, signHeight, fonts, error, prompter, false);
}

bool loadWholeSignFonts(const std::filesystem::path& programDir, int signHeight, FontSet& fonts,
                        std::string& error, Prompter* prompter) {
    return loadFonts(programDir, signHeight, fonts, error, prompter, true);
}

bool renderDocumentPicture(const WorkArea& work, const PictureRequest& request, RgbImage& picture,
                           std::string& error, Prompter* prompter) {
    const TextFile* file = pictureTextFile(work, request.fileName);
    if (!file) {
        error = "no such text file";
        return false;
    }
    FontSet fonts;
    if (!loadWholeSignFonts(request.programDir, work.signHeight, fonts, error, prompter))
        return false;
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

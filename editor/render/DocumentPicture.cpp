#include "render/DocumentPicture.h"

#include "content/FontCheck.h"
#include "content/Vocabulary.h"
#include "render/FontSet.h"
#include "render/SignStills.h"

namespace lumavox {

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
    FontFileCheck check = checkFontFile(request.programDir, work.signHeight, prompter);
    if (check.status != FontFileStatus::Ok) {
        error = fontFileCheckMessage(check);
        return false;
    }
    FontSet fonts;
    fonts.Load(check.path, prompter);
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

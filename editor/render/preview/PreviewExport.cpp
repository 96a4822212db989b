#include "render/preview/PreviewExport.h"

#include <set>

#include "content/Vocabulary.h"
#include "platform/Files.h"
#include "render/DocumentPicture.h"
#include "render/FontSet.h"
#include "render/preview/GifAnimation.h"
#include "render/preview/Player.h"
#include "render/preview/PreviewTime.h"

namespace lumavox {

namespace {

// Virtual time; every step becomes a frame of the animation.
class RecordingHost final : public PreviewHost {
  public:
    RecordingHost(PreviewFlags& flags, uint64_t limitMs, GifAnimation& gif, Prompter* prompter)
        : time_(flags.stop, limitMs), gif_(gif), prompter_(prompter) {}
    bool Wait(int ms) override { return time_.wait(ms); }
    void frameReady(const RgbImage& displayed) override { gif_.add(displayed, time_.nowMs()); }
    void message(const std::string& text) override {
        if (prompter_ && shown_.insert(text).second) prompter_->message(text, Icon::Exclamation);
    }
    uint64_t nowMs() const { return time_.nowMs(); }

  private:
    VirtualTimeline time_;
    GifAnimation& gif_;
    Prompter* prompter_;
    std::set<std::string> shown_;
};

}  // namespace

bool exportPreviewGif(const WorkArea& work, const PreviewExportRequest& request,
                      const std::filesystem::path& gifPath, PreviewExportResult& result,
                      std::string& error, Prompter* prompter) {
    if (!previewableSign(work)) {
        error = "the sign is too large to preview";
        return false;
    }
    const TextFile* file = pictureTextFile(work, request.fileName);
    if (!file) {
        error = "no such text file";
        return false;
    }
    FontSet fonts;
    if (!loadWholeSignFonts(request.programDir, work.signHeight, fonts, error, prompter))
        return false;
    GifAnimation gif(work.signWidth, work.signHeight, request.dot);
    const uint64_t limit = request.durationMs == 0
                               ? kMaxPreviewMs
                               : std::min<uint64_t>(request.durationMs, kMaxPreviewMs);
    PreviewFlags flags;
    RecordingHost host(flags, limit, gif, prompter);
    SeededRandom random(request.seed);
    PlayerSettings settings;
    settings.mode = request.mode;
    settings.defaultFont = defaultFontIndex(fonts, request.defaultFontName);
    settings.defaultColour = defaultColour(request.mode);
    settings.now = request.now;
    settings.passes = request.durationMs == 0 ? 1 : 0;
    PreviewPlayer player(work, fonts, settings, host, flags, random);
    player.play(file->name.str());
    // A fixed length lasts that long even when the play ended early.
    const uint64_t end = request.durationMs == 0 ? host.nowMs() : limit;
    std::vector<uint8_t> bytes;
    if (!gif.finish(end, bytes, error)) return false;
    if (!writeFileAtomically(gifPath, bytes, error)) return false;
    result.signMs = end;
    result.steps = player.frames();
    result.gifFrames = gif.frames();
    return true;
}

}  // namespace lumavox

#include "GifReader.h"

#include <gif_lib.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace lumavox::test {

namespace {

struct Source {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int length) {
    auto* src = static_cast<Source*>(gif->UserData);
    const size_t n = std::min(static_cast<size_t>(length), src->bytes->size() - src->at);
    std::memcpy(out, src->bytes->data() + src->at, n);
    src->at += n;
    return static_cast<int>(n);
}

}  // namespace

int GifMovie::totalCs() const {
    int total = 0;
    for (const GifFrame& f : frames)
        total += f.delayCs;
    return total;
}

bool readGif(const std::filesystem::path& path, GifMovie& movie, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path.string();
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    return readGif(bytes, movie, error);
}

bool readGif(const std::vector<uint8_t>& bytes, GifMovie& movie, std::string& error) {
    Source source{&bytes};
    int status = 0;
    GifFileType* gif = DGifOpen(&source, readBytes, &status);
    if (!gif) {
        error = GifErrorString(status);
        return false;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &status);
        return false;
    }
    movie = {};
    movie.width = gif->SWidth;
    movie.height = gif->SHeight;
    RgbImage canvas(gif->SWidth, gif->SHeight);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0)
                movie.loops = true;
        }
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const GifColorType c = map->Colors[image.RasterBits[y * d.Width + x]];
                if (canvas.contains(d.Left + x, d.Top + y))
                    canvas.set(d.Left + x, d.Top + y, {c.Red, c.Green, c.Blue});
            }
        movie.frames.push_back({canvas, control.DelayTime});
    }
    DGifCloseFile(gif, &status);
    return true;
}

}  // namespace lumavox::test

// What a sign of the NVS family shows comes from bytes a peer sent: text
// bodies in the control's language and BMP pictures. Both decoders must refuse
// anything malformed without reading out of bounds, and what they accept must
// be whole (every text ends with its marker, every picture has all its dots).
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "NvsContent.h"
#include "content/GraphicBmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumavox::GraphicFile graphic;
    std::string error;
    if (lumavox::decodeGraphicBmp(std::span<const uint8_t>(data, size), graphic, error) &&
        graphic.pixels.size() != static_cast<size_t>(graphic.width) * graphic.height)
        __builtin_trap();

    const std::vector<lumavox::GraphicFile> graphics{graphic};
    lumavox::sim::NvsDecodeContext context;
    context.graphics = &graphics;
    std::set<std::string> used;
    lumavox::sim::NvsDecodedText text;
    if (lumavox::sim::decodeNvsTextBody(std::string_view(reinterpret_cast<const char*>(data), size),
                                        context, used, text, error)) {
        if (text.file.items.empty() || !text.file.items.back().isCharCode(lumavox::kCR))
            __builtin_trap();
        for (const auto& w : text.windowFiles)
            if (w.items.empty() || !used.count(w.name.str())) __builtin_trap();
    }
    return 0;
}

// Feeds arbitrary bytes to the text body decoder, as a sign's read-back would.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/TextBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox;
    static const FixedClock clock;
    static const WorkArea work = [] {
        WorkArea w;
        TextFile taken;
        taken.kind = kWindowFile;
        taken.name = "*F000000";
        w.textFiles.push_back(taken);
        return w;
    }();
    TextDecodeOptions options;
    // The first byte picks the font end code so both sides of it get explored.
    if (size > 0) options.font1EndCode = 96 + data[0];
    DecodedText out;
    std::string error;
    decodeTextBody({data, size}, work, options, clock, out, error);
    if (size > 0) decodeTextBody({data + 1, size - 1}, work, options, clock, out, error);
    return 0;
}

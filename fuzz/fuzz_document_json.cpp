// Feeds arbitrary text to the JSON reader of work areas, and checks that what
// it accepts is printed and read back to the same work area and document bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "content/Document.h"
#include "content/DocumentJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox;
    static const FixedClock clock;
    const SignMode mode = size > 0 && (data[0] & 1) ? SignMode::NVS : SignMode::KV2;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    WorkAreaFromJson made;
    std::string error;
    if (!readWorkAreaJson(text, mode, made, error)) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    std::ostringstream out;
    dumpWorkAreaJson(made.work, made.mode, 1202, {}, out, made.documentMode);
    WorkAreaFromJson again;
    if (!readWorkAreaJson(out.str(), mode, again, error) || !(again.work == made.work))
        std::abort();
    if (serializeDocument(again.work, again.documentMode, clock) !=
        serializeDocument(made.work, made.documentMode, clock))
        std::abort();
    return 0;
}

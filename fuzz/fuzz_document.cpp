// Feeds arbitrary bytes to the document reader, and re-reads what it saves of
// every document it accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "content/Document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox;
    static const FixedClock clock;
    OpenOptions options;
    options.mode = size > 0 && (data[size - 1] & 1) ? SignMode::NVS : SignMode::KV2;
    OpenResult r = readDocument({data, size}, options);
    if (!r.ok) return 0;
    // Whatever was accepted must save and read back to the same work area.
    std::vector<uint8_t> saved = serializeDocument(r.work, options.mode, clock);
    OpenResult again = readDocument(saved, options);
    if (!again.ok || !(again.work == r.work)) std::abort();
    return 0;
}

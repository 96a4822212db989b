// Replies of read requests as a sign could send them: the first byte picks the
// read kind, the rest is the reply. The completion rule and every display must
// stay inside the bytes given.
#include <cstddef>
#include <cstdint>
#include <span>

#include "session/ReadBack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    auto kind = static_cast<lumavox::ReadKind>(data[0] % 11 + 1);
    std::span<const uint8_t> r(data + 1, size - 1);
    for (size_t first = 0; first <= r.size() && first < 4; ++first)
        (void)lumavox::replyLength(kind, r.first(first), first);
    (void)lumavox::replyLength(kind, r, r.size());
    (void)lumavox::replyDisplay(kind, r);
    (void)lumavox::memoryInfoText(r);
    (void)lumavox::signInfoText(r);
    (void)lumavox::serialNumberText(r);
    (void)lumavox::configWordText(r);
    return 0;
}

// Directory and schedule replies: an announced count larger or smaller than
// what follows must give only the whole entries that are there.
#include <cstddef>
#include <cstdint>
#include <span>

#include "session/ReadBack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> r(data, size);
    auto entries = lumavox::parseDirectory(r);
    if (entries.size() * 17 + 2 > size && !entries.empty()) __builtin_trap();
    auto tasks = lumavox::parseScheduleReply(r);
    if (tasks.size() * 22 + 2 > size && !tasks.empty()) __builtin_trap();
    return 0;
}

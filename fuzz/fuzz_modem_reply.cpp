// Feeds arbitrary bytes as a modem's replies to the result-word collector (in
// both of its modes, in two pieces) and to the GSM status readers, and as a
// key store to the modem enumeration: bounded text, known codes, no crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/Profile.h"
#include "transport/ModemRegistry.h"
#include "transport/ModemResult.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox;
    std::span<const uint8_t> bytes(data, size);
    for (bool keep : {false, true}) {
        ModemResultCollector c;
        size_t half = size / 2;
        for (auto piece : {bytes.first(half), bytes.subspan(half)})
            for (const ModemLine& line : c.feed(piece, keep)) {
                int code = static_cast<int>(line.code);
                if (code < -1 || code > 7 || code == 5) std::abort();
            }
        if (c.text().size() > ModemResultCollector::kMaxText) std::abort();
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    (void)gsmRegistered(text);
    std::string line = gsmSignalLine(text);
    if (line.empty() || line.back() != '\n') std::abort();
    RegistryEx registry(Profile::parse(text));
    ModemList list = enumerateModems(registry);
    if (list.modems.size() > static_cast<size_t>(kMaxModems)) std::abort();
    for (const ModemEntry& e : list.modems)
        if (e.port < 0 || e.port > 255 || e.speed < 0 || e.speed > 230400) std::abort();
    return 0;
}

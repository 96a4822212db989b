// A DTU's answers on the configuration line: arbitrary bytes collected in the
// 3072-byte ring, the recognition rule applied after every read, replies read
// as parameter values, and the full parameter list walked to its end.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ByteRing.h"
#include "ConfigText.h"
#include "Gprslink.h"

using namespace lumavox::gateway;

namespace {

void copyOut(const std::string& s) {
    if (s.size() + 1 > DTU_CONFIG_TEXT_SIZE) std::abort();
    auto out = std::make_unique<char[]>(DTU_CONFIG_TEXT_SIZE);
    std::memcpy(out.get(), s.data(), s.size());
    out[s.size()] = '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t control = data[0];
    ++data;
    --size;
    static const char* const names[] = {"APN", "X", "BEATDATA", ""};
    const std::string name = names[control & 3];
    const bool listMode = control & 4;
    const bool enter = control & 8;
    const size_t chunk = 1 + (control >> 4) * 37;
    const std::string command = enter      ? std::string(config::kEnter)
                                : listMode ? std::string(config::kList)
                                           : readCommand(name);

    ByteRing ring;
    ring.reset(3072);
    for (size_t offset = 0; offset < size; offset += chunk) {
        size_t n = std::min(chunk, size - offset);
        ring.write(data + offset, n);
        std::string text = ring.snapshot();
        if (text.size() > 3072) std::abort();
        auto reply = recogniseReply(text, listMode, command);
        if (!reply) continue;
        ring.clear();
        if (reply->size() > text.size() && !(reply->size() == 4 && *reply == "OK\r\n"))
            std::abort();
        std::string value;
        int r = interpretReadReply(*reply, command, value);
        if (r < -2 || r > 1) std::abort();
        if (r == 1) copyOut(value);
        r = interpretWriteReply(*reply);
        if (r < -2 || r > 0) std::abort();

        ConfigList list;
        list.assign(*reply);
        std::string key, val;
        for (size_t guard = 0; list.next(key, val); ++guard) {
            if (guard > reply->size()) std::abort();  // the cursor always moves on
            copyOut(key);
            copyOut(val);
        }
    }
    return 0;
}

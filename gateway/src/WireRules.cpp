#include "WireRules.h"

namespace lumavox::gateway {

bool needsEscaping(std::string_view deviceType) {
    return deviceType == kEscapingDeviceType;
}

std::vector<uint8_t> escapeFe(const uint8_t* data, size_t n) {
    std::vector<uint8_t> out;
    out.reserve(n + n / 8 + 1);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFE) out.push_back(0x03);
    }
    return out;
}

size_t originalBytesSent(const uint8_t* data, size_t n, size_t sent) {
    size_t used = 0;
    size_t whole = 0;
    for (size_t i = 0; i < n; ++i) {
        used += data[i] == 0xFE ? 2 : 1;
        if (used > sent) break;
        whole = i + 1;
    }
    return whole;
}

}  // namespace lumavox::gateway

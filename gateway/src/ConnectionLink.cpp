#include "ConnectionLink.h"

#include <algorithm>

#include "WireRules.h"

namespace lumavox::gateway {

void ConnectionLink::deliverLocked(const uint8_t* data, size_t n, bool firstOfStep) {
    // A transparent DTU's chunk that starts with 0xFE carries that byte for the
    // DTU's own link, not for the sign.
    if (firstOfStep && protocolType_ == 0 && n > 0 && data[0] == kBurstMark) {
        ++data;
        --n;
    }
    budget_.store(*this, data, n, kRingStep, kRingLimit);
}

ConnectionLink::~ConnectionLink() {
    budget_.leave(*this);
}

long ConnectionLink::writeToDtu(const uint8_t* data, size_t n) {
    if (!escaping_) return send(data, n);
    std::vector<uint8_t> escaped = escapeFe(data, n);
    long sent = send(escaped.data(), escaped.size());
    if (sent < 0) return sent;
    return static_cast<long>(std::min(n, originalBytesSent(data, n, static_cast<size_t>(sent))));
}

}  // namespace lumavox::gateway

#include "protocol/HandshakeDetector.h"

#include "protocol/Frame.h"

namespace lumavox {

void HandshakeDetector::arm() {
    armed_ = true;
    seen_ = false;
    countdown_ = 3;
}

bool HandshakeDetector::feed(std::span<const uint8_t> bytes) {
    if (!armed_) return seen_;
    for (uint8_t b : bytes) {
        if (b != kHandshakeByte) {
            countdown_ = 3;
            continue;
        }
        if (--countdown_ == 0) {
            seen_ = true;
            countdown_ = 3;
        }
    }
    return seen_;
}

}  // namespace lumavox

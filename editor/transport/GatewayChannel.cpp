#include "transport/GatewayChannel.h"

#include "strings/StringTable.h"

namespace lumavox {

bool GatewayChannel::send(std::span<const uint8_t> bytes, std::string& error) {
    if (!peer_) {
        error = text(msg::kNoGprsDevice);
        return false;
    }
    return peer_->send(bytes, error);
}

bool GatewayChannel::poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) {
    if (!peer_) {
        error = text(msg::kNoGprsDevice);
        return false;
    }
    return peer_->poll(waitMs, out, error);
}

}  // namespace lumavox

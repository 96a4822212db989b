#include "transport/GatewayChannel.h"

#include <chrono>
#include <thread>

#include "strings/StringTable.h"

namespace lumavox {

namespace {
// How often a wait looks at what the gateway holds: the gateway has no way to
// wake a waiter, and a handshake is answered within a fraction of a
// millisecond on a fast link.
constexpr int kRecheckUs = 50;
}  // namespace

bool GatewayChannel::select(const std::string& name) {
    deselect();
    if (!devices_ || name.empty() || !devices_->isRegistered(name)) return false;
    name_ = name;
    return true;
}

void GatewayChannel::dropPending() {
    if (isOpen()) devices_->dropPending(name_);
}

bool GatewayChannel::send(std::span<const uint8_t> bytes, std::string& error) {
    if (!isOpen()) {
        error = text(msg::kNoGprsDevice);
        return false;
    }
    return devices_->send(name_, bytes, error);
}

bool GatewayChannel::poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) {
    if (!isOpen()) {
        error = text(msg::kNoGprsDevice);
        return false;
    }
    const size_t before = out.size();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (!devices_->receive(name_, out, error)) return false;
        if (out.size() != before || std::chrono::steady_clock::now() >= until) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(kRecheckUs));
    }
}

}  // namespace lumavox

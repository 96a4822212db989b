#include "transport/GatewayChannel.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "strings/StringTable.h"

namespace lumavox {

namespace {
// How often a wait looks at what the gateway holds: the gateway has no way to
// wake a waiter. A handshake is answered within a fraction of a millisecond on
// a fast link, so the first 5 ms are looked at every 50 microseconds; after
// that the pause doubles up to 2 ms, so that a long wait (a silent device, the
// whole reply limit) does not keep a processor busy.
constexpr std::chrono::microseconds kFirstRecheck{50};
constexpr std::chrono::milliseconds kQuickPhase{5};
constexpr std::chrono::microseconds kLongestRecheck{2000};
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
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + std::chrono::milliseconds(waitMs);
    std::chrono::microseconds pause = kFirstRecheck;
    for (;;) {
        if (!devices_->receive(name_, out, error)) return false;
        const auto now = std::chrono::steady_clock::now();
        if (out.size() != before || now >= until) return true;
        if (now - start >= kQuickPhase) pause = std::min(pause * 2, kLongestRecheck);
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, until - now));
    }
}

}  // namespace lumavox

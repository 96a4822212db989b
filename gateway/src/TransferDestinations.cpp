#include "TransferDestinations.h"

#include <algorithm>

#include "GatewayClock.h"

namespace lumavox::gateway {

void DestinationLink::deliverLocked(const uint8_t* data, size_t n, bool) {
    if (auto owner = owner_.lock()) owner->writeToDtu(data, n);
}

void TransferDestinations::add(const std::string& address, uint16_t port) {
    std::lock_guard lock(mutex_);
    for (const auto& d : list_)
        if (d.address == address && d.port == port) return;
    auto link = std::make_shared<DestinationLink>(loop_, owner_);
    list_.push_back({address, port, link});
    link->connectTo(address, port);
}

void TransferDestinations::remove(const std::string& address, uint16_t port) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(list_.begin(), list_.end(), [&](const Destination& d) {
        return d.address == address && d.port == port;
    });
    if (it == list_.end()) return;
    it->link->close();
    list_.erase(it);
}

void TransferDestinations::clear() {
    std::lock_guard lock(mutex_);
    for (auto& d : list_)
        d.link->close();
    list_.clear();
}

void TransferDestinations::relay(const uint8_t* data, size_t n) {
    std::lock_guard lock(mutex_);
    for (auto& d : list_) {
        if (d.link->state() != TcpLink::kNotConnected)
            d.link->send(data, n);
        else
            d.link->connectTo(d.address, d.port);  // retried now; these bytes are not sent
    }
}

void TransferDestinations::closeIdle(uint64_t limitMs) {
    if (limitMs == 0) return;
    std::lock_guard lock(mutex_);
    if (list_.empty()) return;
    const uint64_t now = nowMs();
    for (auto& d : list_) {
        if (d.link->state() == TcpLink::kNotConnected) continue;
        if (static_cast<int64_t>(now - d.link->lastActivity()) >= static_cast<int64_t>(limitMs))
            d.link->close();
    }
}

size_t TransferDestinations::size() const {
    std::lock_guard lock(mutex_);
    return list_.size();
}

int TransferDestinations::stateOf(const std::string& address, uint16_t port) const {
    std::lock_guard lock(mutex_);
    for (const auto& d : list_)
        if (d.address == address && d.port == port) return d.link->state();
    return -1;
}

}  // namespace lumavox::gateway

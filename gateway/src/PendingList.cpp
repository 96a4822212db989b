#include "PendingList.h"

#include <algorithm>
#include <chrono>

#include "Descriptors.h"
#include "GatewayClock.h"
#include "NetConnectionPort.h"
#include "NetServerPort.h"
#include "Registration.h"

namespace lumavox::gateway {

PendingList::PendingList(IoLoop& loop) : timer_(loop.context()), limit_(descriptorShare()) {}

void PendingList::add(std::shared_ptr<NetServerPort> server,
                      std::shared_ptr<NetConnectionPort> conn) {
    std::lock_guard lock(mutex_);
    // The host may have changed its descriptor limit since the last look.
    if (!limitFixed_) limit_ = descriptorShare();
    if (std::none_of(servers_.begin(), servers_.end(), [&](const auto& s) {
            return !s.owner_before(server) && !server.owner_before(s);
        }))
        servers_.push_back(server);
    if (entries_.size() >= limit_) {
        passLocked();
        if (entries_.size() >= limit_) {
            entries_.front().conn->close();
            entries_.erase(entries_.begin());
        }
    }
    entries_.push_back({std::move(server), std::move(conn), nowMs()});
    if (!timerStarted_) {
        timerStarted_ = true;
        armTimer();
    }
}

void PendingList::armTimer() {
    timer_.expires_after(std::chrono::milliseconds(kPassIntervalMs));
    timer_.async_wait([this](const asio::error_code& ec) {
        if (ec) return;
        runPass();
        armTimer();
    });
}

void PendingList::runPass() {
    std::lock_guard lock(mutex_);
    passLocked();
}

void PendingList::passLocked() {
    sweepQueuesLocked();
    if (entries_.empty()) return;
    const uint64_t now = nowMs();
    for (size_t i = entries_.size(); i-- > 0;) {
        Entry& e = entries_[i];
        const size_t have = e.conn->available();
        if (have >= kRecordWireSize) {
            uint8_t wire[kRecordWireSize] = {};
            // Exactly the record: whatever the DTU sent after it stays in the
            // ring as its first data.
            if (e.conn->read(wire, kRecordWireSize) == kRecordWireSize) {
                RegistrationRecord record = normaliseRecord(wire);
                if (passwordAccepted(e.server->password(), record)) {
                    e.conn->storeRecord(record);
                    e.server->addNewClient(e.conn);
                } else {
                    e.conn->close();
                }
            } else {
                e.conn->close();
            }
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        const bool gone = e.conn->link().state() == TcpLink::kNotConnected;
        if (gone ||
            static_cast<int64_t>(now - e.acceptedAt) >= static_cast<int64_t>(kRecordTimeoutMs)) {
            e.conn->close();
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void PendingList::sweepQueuesLocked() {
    std::erase_if(servers_, [](const std::weak_ptr<NetServerPort>& w) {
        auto server = w.lock();
        if (server) server->dropGone();
        return !server;
    });
}

bool PendingList::dropOldest() {
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return false;
    entries_.front().conn->close();
    entries_.erase(entries_.begin());
    return true;
}

void PendingList::removeServer(const NetServerPort* server) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](Entry& e) {
        if (e.server.get() != server) return false;
        e.conn->close();
        return true;
    });
}

void PendingList::clear() {
    std::lock_guard lock(mutex_);
    for (auto& e : entries_)
        e.conn->close();
    entries_.clear();
}

size_t PendingList::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

size_t PendingList::limit() const {
    std::lock_guard lock(mutex_);
    return limit_;
}

void PendingList::setLimit(size_t limit) {
    std::lock_guard lock(mutex_);
    limitFixed_ = limit > 0;
    limit_ = limitFixed_ ? limit : descriptorShare();
}

}  // namespace lumavox::gateway

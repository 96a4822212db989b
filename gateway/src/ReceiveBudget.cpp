#include "ReceiveBudget.h"

#include <algorithm>

#include "ConnectionLink.h"

namespace lumavox::gateway {

void ReceiveBudget::store(ConnectionLink& link, const uint8_t* data, size_t n, size_t step,
                          size_t ringLimit) {
    ByteRing& ring = link.ring();
    if (n == 0 || data == nullptr) return;
    // Most chunks fit: they never touch the budget's lock.
    if (ring.writeWithoutGrowing(data, n, ringLimit)) return;
    {
        std::lock_guard lock(mutex_);
        ring.allocate();
        // Only this lock changes a counted ring's size, so the sizes read here
        // stay true until it is released.
        while (ring.freeSpace() < n && ring.capacity() < ringLimit && step > 0) {
            const size_t grow = std::min(step, ringLimit - ring.capacity());
            if (used_ + grow > limit_) {
                ConnectionLink* victim = largestOther(link);
                if (!victim || victim->budgeted_ <= link.budgeted_) break;
                const size_t freed = victim->ring().shrinkBy(std::min(grow, victim->budgeted_));
                if (freed == 0) break;
                victim->budgeted_ -= freed;
                used_ -= freed;
                if (victim->budgeted_ == 0) grown_.erase(victim);
                continue;
            }
            ring.grow(grow);
            link.budgeted_ += grow;
            used_ += grow;
            grown_.insert(&link);
        }
    }
    ring.write(data, n);
}

void ReceiveBudget::leave(ConnectionLink& link) {
    std::lock_guard lock(mutex_);
    used_ -= link.budgeted_;
    link.budgeted_ = 0;
    grown_.erase(&link);
}

ConnectionLink* ReceiveBudget::largestOther(const ConnectionLink& except) const {
    ConnectionLink* best = nullptr;
    for (ConnectionLink* l : grown_)
        if (l != &except && (!best || l->budgeted_ > best->budgeted_)) best = l;
    return best;
}

size_t ReceiveBudget::used() const {
    std::lock_guard lock(mutex_);
    return used_;
}

size_t ReceiveBudget::limit() const {
    std::lock_guard lock(mutex_);
    return limit_;
}

void ReceiveBudget::setLimit(size_t bytes) {
    std::lock_guard lock(mutex_);
    limit_ = bytes == 0 ? kDefaultLimit : bytes;
}

}  // namespace lumavox::gateway

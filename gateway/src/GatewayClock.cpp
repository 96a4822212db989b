#include "GatewayClock.h"

#include <atomic>

namespace lumavox::gateway {

namespace {
std::atomic<const Clock*> installed{nullptr};
}

uint64_t nowMs() {
    const Clock* c = installed.load(std::memory_order_acquire);
    return c ? c->tickMs() : SystemClock::instance().tickMs();
}

void setGatewayClock(const Clock* clock) {
    installed.store(clock, std::memory_order_release);
}

}  // namespace lumavox::gateway

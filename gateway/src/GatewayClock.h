// The millisecond tick that ages connections: when a waiting connection was
// accepted, when a socket was last active, when a destination went idle.
//
// It is the system's steady clock unless a test installs its own, so that
// time-outs of 100 seconds can be checked without waiting for them. Waits for
// replies and frames always use the real steady clock.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace lumavox::gateway {

uint64_t nowMs();
// Installs the clock that nowMs() reads; null restores the system clock. The
// clock must outlive its installation.
void setGatewayClock(const Clock* clock);

}  // namespace lumavox::gateway

// Entry points for the library's own tests: they let a test fix the clock,
// run an identification pass at a moment of its choosing and look at state
// that the exported functions do not show. Not exported from the shared
// library.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Gprslink.h"
#include "platform/Clock.h"

namespace lumavox::gateway::testhooks {

// The clock that ages connections (null: the system clock again).
void setClock(const Clock* clock);
// Runs one identification pass now, on the calling thread.
void runIdentificationPass();
size_t pendingCount();
// Identified connections of a server not yet fetched by the host.
size_t queuedCount(DTU_HANDLE server);
// Device names (record field B) of those connections, oldest first.
std::vector<std::string> queuedNames(DTU_HANDLE server);
// Bytes received from DTUs held for all connections beyond their first
// kilobyte, as the receive budget counts them.
size_t bufferedBytes();
// The receive budget (0: the working value again).
void setReceiveBudget(size_t bytes);
// The bound on a server's identified connections not yet fetched (0: follow
// the descriptor limit again).
void setQueueLimit(DTU_HANDLE server, size_t limit);
// The bound on connections waiting for identification (0: follow the
// descriptor limit again).
void setPendingLimit(size_t limit);
size_t pendingLimit();
// State of a client's transfer destination (0, 1, 2) or -1 when there is none.
int destinationState(DTU_HANDLE client, const std::string& address, int port);
size_t destinationCount(DTU_HANDLE client);

}  // namespace lumavox::gateway::testhooks

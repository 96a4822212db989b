#include "TestHooks.h"

#include "GatewayClock.h"
#include "NetConnectionPort.h"
#include "NetServerPort.h"
#include "Runtime.h"

namespace lumavox::gateway::testhooks {

void setClock(const Clock* clock) {
    setGatewayClock(clock);
}

void runIdentificationPass() {
    Runtime::get().pending().runPass();
}

size_t pendingCount() {
    return Runtime::get().pending().size();
}

size_t queuedCount(DTU_HANDLE server) {
    auto d = Runtime::get().handles().find(server);
    NetServerPort* s = d ? d->server() : nullptr;
    return s ? s->queuedCount() : 0;
}

void setPendingLimit(size_t limit) {
    Runtime::get().pending().setLimit(limit);
}

size_t pendingLimit() {
    return Runtime::get().pending().limit();
}

int destinationState(DTU_HANDLE client, const std::string& address, int port) {
    auto d = Runtime::get().handles().find(client);
    NetConnectionPort* c = d ? d->connection() : nullptr;
    return c ? c->destinations().stateOf(address, static_cast<uint16_t>(port)) : -1;
}

size_t destinationCount(DTU_HANDLE client) {
    auto d = Runtime::get().handles().find(client);
    NetConnectionPort* c = d ? d->connection() : nullptr;
    return c ? c->destinations().size() : 0;
}

}  // namespace lumavox::gateway::testhooks

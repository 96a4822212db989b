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

std::vector<std::string> queuedNames(DTU_HANDLE server) {
    auto d = Runtime::get().handles().find(server);
    NetServerPort* s = d ? d->server() : nullptr;
    return s ? s->queuedNames() : std::vector<std::string>{};
}

size_t bufferedBytes() {
    return Runtime::get().budget().used();
}

void setReceiveBudget(size_t bytes) {
    Runtime::get().budget().setLimit(bytes);
}

void setQueueLimit(DTU_HANDLE server, size_t limit) {
    auto d = Runtime::get().handles().find(server);
    if (NetServerPort* s = d ? d->server() : nullptr) s->setQueueLimit(limit);
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

// The library's process-wide state: the I/O thread, the connections waiting
// for identification, the handles and the budget for received bytes. Made at the first call, torn
// down when the library is unloaded: the I/O thread stops first, then the handles and waiting
// connections are closed, then the event loop goes.
#pragma once

#include "HandleTable.h"
#include "IoLoop.h"
#include "PendingList.h"
#include "ReceiveBudget.h"

namespace lumavox::gateway {

class Runtime {
  public:
    static Runtime& get();
    ~Runtime();

    IoLoop& io() { return io_; }
    PendingList& pending() { return pending_; }
    HandleTable& handles() { return handles_; }
    ReceiveBudget& budget() { return budget_; }

  private:
    Runtime() : pending_(io_) {}

    // First made, last gone: connections still held by the event loop's
    // handlers give their bytes back to it when they go.
    ReceiveBudget budget_;
    IoLoop io_;
    PendingList pending_;
    HandleTable handles_;
};

}  // namespace lumavox::gateway

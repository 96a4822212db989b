// The library's process-wide state: the I/O thread, the connections waiting
// for identification and the handles. Made at the first call, torn down when
// the library is unloaded: the I/O thread stops first, then the handles and
// waiting connections are closed, then the event loop goes.
#pragma once

#include "HandleTable.h"
#include "IoLoop.h"
#include "PendingList.h"

namespace lumavox::gateway {

class Runtime {
  public:
    static Runtime& get();
    ~Runtime();

    IoLoop& io() { return io_; }
    PendingList& pending() { return pending_; }
    HandleTable& handles() { return handles_; }

  private:
    Runtime() : pending_(io_) {}

    IoLoop io_;
    PendingList pending_;
    HandleTable handles_;
};

}  // namespace lumavox::gateway

// The gateway's share of the process's file descriptors.
//
// Connections the library holds for nobody yet (waiting for identification, or
// identified and not fetched by the host) may each use at most a quarter of
// the descriptor limit, so together they leave at least half of it to the host
// and its client handles. A spare descriptor lets a server take a connection
// off its accept queue even when the process has none left.
#pragma once

#include <cstddef>

namespace lumavox::gateway {

// A quarter of the process's descriptor limit, at least 16 and at most 4096.
// Read anew at each call: the host may change its limit.
size_t descriptorShare();

// One descriptor held in reserve (on /dev/null).
class SpareDescriptor {
  public:
    SpareDescriptor();
    ~SpareDescriptor();
    SpareDescriptor(const SpareDescriptor&) = delete;
    SpareDescriptor& operator=(const SpareDescriptor&) = delete;

    // Accepts one connection from the listening socket `listener` and closes it
    // at once, using the reserve for it when no descriptor is free; the peer
    // sees its connection end. False when nothing was taken off the queue.
    bool refuseOne(int listener);

  private:
    int fd_ = -1;
};

}  // namespace lumavox::gateway

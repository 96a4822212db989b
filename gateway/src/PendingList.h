// Connections waiting for identification, for all servers of the process.
//
// Every 200 ms (on the I/O thread) each waiting connection is looked at: once
// 52 bytes have arrived they are taken as its registration record; the server's
// password decides whether the connection is queued for the host or closed. A
// connection without a record after 100,000 ms, or whose peer is gone before
// sending one, is closed.
//
// The list is bounded (descriptorShare()): when it is full, a pass runs at
// once, and if that frees nothing the oldest waiting connection is closed, so a
// flood of silent connections cannot use up the process's descriptors.
//
// Each pass also drops, from the queues of the servers it has seen, the
// identified connections whose DTU left before the host fetched them.
#pragma once

#include <asio/steady_timer.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "IoLoop.h"

namespace lumavox::gateway {

class NetConnectionPort;
class NetServerPort;

class PendingList {
  public:
    static constexpr uint64_t kPassIntervalMs = 200;
    static constexpr uint64_t kRecordTimeoutMs = 100000;

    explicit PendingList(IoLoop& loop);

    // I/O thread: a server accepted this connection.
    void add(std::shared_ptr<NetServerPort> server, std::shared_ptr<NetConnectionPort> conn);
    // Closes and forgets the waiting connections of this server.
    void removeServer(const NetServerPort* server);
    // Closes and forgets the oldest waiting connection; false when none waits.
    bool dropOldest();
    // One identification pass; the timer runs it, tests may call it directly.
    void runPass();
    void clear();

    size_t size() const;
    size_t limit() const;
    // Fixes the limit (tests); 0 makes it follow the descriptor limit again.
    void setLimit(size_t limit);

  private:
    struct Entry {
        std::shared_ptr<NetServerPort> server;
        std::shared_ptr<NetConnectionPort> conn;
        uint64_t acceptedAt;
    };
    void passLocked();
    // Drops the gone connections from the queues of the servers seen so far.
    void sweepQueuesLocked();
    void armTimer();

    asio::steady_timer timer_;  // I/O thread only
    bool timerStarted_ = false;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    // Servers whose queues each pass sweeps.
    std::vector<std::weak_ptr<NetServerPort>> servers_;
    size_t limit_;
    bool limitFixed_ = false;
};

}  // namespace lumavox::gateway

// The listening server: accepts DTU connections, hands them to the pending
// list for identification, and queues the identified ones for the host.
//
// The queue is bounded (descriptorShare()): when it is full, the oldest
// identified connection not yet fetched is closed to make room. When the
// process runs out of descriptors, the server makes room by closing the oldest
// connection the library holds for nobody (waiting for identification, then
// queued); when there is none, it takes the next connection with its spare
// descriptor and closes it, so the accept queue never stalls.
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Descriptors.h"
#include "IoLoop.h"
#include "NetDtuPort.h"

namespace lumavox::gateway {

class NetConnectionPort;
class PendingList;
class ReceiveBudget;

class NetServerPort final : public NetDtuPort, public std::enable_shared_from_this<NetServerPort> {
  public:
    // The system's largest accept queue. A queue of 5 overflows as soon as a
    // few dozen DTUs connect within one scheduling delay of the I/O thread;
    // the kernel then drops their SYNs and they retry only after 1, 3, 7...
    // seconds, so a fleet reconnecting after a restart would trickle in.
    static constexpr int kBacklog = asio::socket_base::max_listen_connections;

    NetServerPort(IoLoop& loop, PendingList& pending, ReceiveBudget& budget,
                  std::string localAddress, int port, std::string password);
    ~NetServerPort() override;

    // Listens; true when listening afterwards.
    bool open() override;
    // Stops accepting and forgets the connections still waiting for
    // identification. Identified connections stay queued.
    void close() override;
    bool isOpen() const override { return open_; }
    // A server carries no data of its own.
    long write(const uint8_t*, size_t) override { return 0; }
    size_t available() override { return 0; }
    size_t read(uint8_t*, size_t) override { return 0; }
    void purge() override {}
    void waitReadable(int ms) override;

    const std::string& password() const { return password_; }
    // The oldest identified connection, or null.
    std::shared_ptr<NetConnectionPort> takeNewClient();
    // Queues an identified connection, closing the oldest when the queue is full.
    void addNewClient(std::shared_ptr<NetConnectionPort> connection);
    // Closes and drops the identified connections not yet fetched.
    void dropQueued();
    // Closes and drops the queued connections whose DTU has gone.
    void dropGone();
    // Closes and drops the oldest queued connection; false when none is queued.
    bool dropOldestQueued();
    size_t queuedCount();
    size_t queueLimit();
    // Fixes the queue's bound (tests); 0 makes it follow the descriptor limit.
    void setQueueLimit(size_t limit);
    // Device names of the queued connections, oldest first.
    std::vector<std::string> queuedNames();

  private:
    void acceptNext(uint64_t generation);  // I/O thread
    void onAccepted(asio::ip::tcp::socket socket);
    // I/O thread, out of descriptors: frees one and accepts again.
    void makeRoom(uint64_t generation);
    void acceptLater(uint64_t generation, int ms);

    IoLoop& loop_;
    PendingList& pending_;
    ReceiveBudget& budget_;
    std::string password_;
    asio::ip::tcp::acceptor acceptor_;  // I/O thread only
    asio::steady_timer retry_;          // I/O thread only
    uint64_t generation_ = 0;           // I/O thread only: bumped at each open
    std::atomic<bool> open_{false};
    SpareDescriptor spare_;  // I/O thread only
    std::mutex queueMutex_;
    std::deque<std::shared_ptr<NetConnectionPort>> queue_;
    size_t queueLimit_ = 0;  // 0: descriptorShare()
};

}  // namespace lumavox::gateway

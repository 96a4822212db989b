// The relay destinations of one DTU connection.
//
// Every byte the host reads from the DTU is also sent to each connected
// destination; a destination found disconnected at a relay is closed and
// connected anew, and misses that relay's bytes. Bytes a destination sends go
// to the DTU. Destinations idle for the configured time are disconnected when
// the host finds nothing to read.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ConnectionLink.h"
#include "TcpLink.h"

namespace lumavox::gateway {

class DestinationLink final : public TcpLink {
  public:
    DestinationLink(IoLoop& loop, std::weak_ptr<ConnectionLink> owner)
        : TcpLink(loop), owner_(std::move(owner)) {}

  protected:
    void deliverLocked(const uint8_t* data, size_t n, bool firstOfStep) override;

  private:
    std::weak_ptr<ConnectionLink> owner_;
};

class TransferDestinations {
  public:
    TransferDestinations(IoLoop& loop, std::weak_ptr<ConnectionLink> owner)
        : loop_(loop), owner_(std::move(owner)) {}
    ~TransferDestinations() { clear(); }

    // Adds and starts connecting unless one with the same address text and
    // port exists.
    void add(const std::string& address, uint16_t port);
    void remove(const std::string& address, uint16_t port);
    void clear();
    void relay(const uint8_t* data, size_t n);
    // Closes every destination whose last activity is at least limitMs ago
    // (limitMs 0: never).
    void closeIdle(uint64_t limitMs);

    size_t size() const;
    // The link state of a destination, or -1 when there is none.
    int stateOf(const std::string& address, uint16_t port) const;

  private:
    struct Destination {
        std::string address;
        uint16_t port;
        std::shared_ptr<DestinationLink> link;
    };

    IoLoop& loop_;
    std::weak_ptr<ConnectionLink> owner_;
    mutable std::mutex mutex_;
    std::vector<Destination> list_;
};

}  // namespace lumavox::gateway

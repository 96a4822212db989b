// One DTU's TCP connection: accepted by a server, waiting for identification,
// then queued for the host and finally owned by a client handle.
#pragma once

#include <asio/ip/tcp.hpp>
#include <atomic>
#include <memory>
#include <string>

#include "ConnectionLink.h"
#include "IoLoop.h"
#include "NetDtuPort.h"
#include "Registration.h"
#include "TransferDestinations.h"

namespace lumavox::gateway {

class NetConnectionPort final : public NetDtuPort {
  public:
    // I/O thread: wraps an accepted socket; the connection is open and
    // receiving from then on.
    static std::shared_ptr<NetConnectionPort> accept(IoLoop& loop, ReceiveBudget& budget,
                                                     asio::ip::tcp::socket socket,
                                                     const NetDtuPort& server);
    ~NetConnectionPort() override;

    // An accepted connection cannot be opened again once closed.
    bool open() override { return open_; }
    void close() override;
    bool isOpen() const override { return open_; }
    long write(const uint8_t* data, size_t n) override;
    // Pulls what the socket holds, then gives the ring's count; with nothing
    // to read, idle destinations are disconnected.
    size_t available() override;
    // Takes bytes from the ring and relays them to the destinations.
    size_t read(uint8_t* buffer, size_t capacity) override;
    void purge() override;
    void waitReadable(int ms) override;

    void storeRecord(const RegistrationRecord& record);
    const RegistrationRecord& record() const { return record_; }
    int protocolType() const { return link_->protocolType(); }
    std::string deviceType() const { return record_.deviceType(); }
    const std::string& peerAddress() const { return peerAddress_; }
    int peerPort() const { return peerPort_; }

    // 1 while connected and not silent for longer than the limit; a
    // connection found silent too long is closed.
    bool isClientAvailable();
    void setSilenceLimit(int64_t ms) { silenceLimit_ = ms; }
    void setDestinationIdleLimit(uint64_t ms) { idleLimit_ = ms; }
    TransferDestinations& destinations() { return destinations_; }

    // For waits on framed replies: see TcpLink.
    ConnectionLink& link() { return *link_; }

  private:
    NetConnectionPort(IoLoop& loop, ReceiveBudget& budget, const NetDtuPort& server);

    std::shared_ptr<ConnectionLink> link_;
    std::string peerAddress_;
    int peerPort_ = 0;
    RegistrationRecord record_;
    std::atomic<bool> open_{false};
    std::atomic<int64_t> silenceLimit_{-1};
    std::atomic<uint64_t> idleLimit_{0};
    TransferDestinations destinations_;
};

}  // namespace lumavox::gateway

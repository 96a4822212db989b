// The network channel of the sign link: a TCP client towards a sign's network
// adapter, by host name or dotted IPv4 address.
//
// Connecting (platform/TcpConnect.h) is non-blocking with a 15-second limit;
// the wait looks at the socket in slices of at most 10 ms, keeping the user
// interface alive through the pump and giving up at once when the cancel flag
// is set. The connected socket is blocking, with 8092-byte buffers.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "transport/LinkChannel.h"

namespace lumavox {

class TcpChannel final : public LinkChannel {
  public:
    static constexpr int kSocketBuffer = 8092;
    static constexpr uint64_t kConnectLimitMs = 15000;  // 150 waits of 100 ms
    static constexpr unsigned kWaitSliceMs = 10;

    struct Hooks {
        std::function<bool()> cancelled;
        std::function<void()> pump;
    };

    TcpChannel() = default;
    ~TcpChannel() override;
    TcpChannel(const TcpChannel&) = delete;
    TcpChannel& operator=(const TcpChannel&) = delete;

    // Connects to host:port. On failure the socket is closed and `error` holds
    // the text for the user.
    bool connect(const std::string& host, int port, const Hooks& hooks, const Clock& clock,
                 std::string& error);
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Sends all bytes. A peer that has gone gives "Client closed connection" and
    // closes the socket (closedByPeer() tells).
    bool send(std::span<const uint8_t> bytes, std::string& error) override;
    // Waits up to waitMs for bytes, then appends what has arrived to `out`. A
    // peer that closed gives "Client closed connection" and closes the socket.
    bool poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) override;
    bool closedByPeer() const { return closedByPeer_; }
    // A socket that is not open (closed by a failure, or never connected)
    // carries no TCP connection.
    bool connectionLost() const override { return fd_ < 0; }

  private:
    bool fail(std::string& error, std::string text);
    int fd_ = -1;
    bool closedByPeer_ = false;
};

}  // namespace lumavox

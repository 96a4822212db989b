// The socket of one DTU's connection and the bytes received from it.
//
// Received bytes go to a ring that the host drains. The ring grows in steps of
// 32 KiB as needed up to kRingLimit (1 MiB, far more than any transfer a sign
// sends back); a host that stops reading loses the oldest bytes, never memory.
#pragma once

#include <atomic>
#include <memory>

#include "ByteRing.h"
#include "TcpLink.h"

namespace lumavox::gateway {

class ConnectionLink final : public TcpLink {
  public:
    static constexpr size_t kRingStep = 32768;
    static constexpr size_t kRingLimit = size_t{1} << 20;

    explicit ConnectionLink(IoLoop& loop) : TcpLink(loop) {}

    ByteRing& ring() { return ring_; }
    // Set once identification knows the DTU.
    void setProtocolType(int type) { protocolType_ = type; }
    int protocolType() const { return protocolType_.load(); }
    void setEscaping(bool on) { escaping_ = on; }

    // Sends to the DTU, escaping 0xFE for the device type that needs it. The
    // count is of the caller's bytes that went out (or were queued) whole;
    // negative when the connection is down.
    long writeToDtu(const uint8_t* data, size_t n);

  protected:
    void deliverLocked(const uint8_t* data, size_t n, bool firstOfStep) override;

  private:
    ByteRing ring_;
    std::atomic<int> protocolType_{0};
    std::atomic<bool> escaping_{false};
};

}  // namespace lumavox::gateway

// The socket of one DTU's connection and the bytes received from it.
//
// Received bytes go to a ring that the host drains. The ring grows in steps of
// 32 KiB as needed up to kRingLimit (1 MiB, far more than any transfer a sign
// sends back) and as far as the process-wide receive budget allows; a host
// that stops reading loses the oldest bytes, never memory.
#pragma once

#include <atomic>
#include <memory>

#include "ByteRing.h"
#include "ReceiveBudget.h"
#include "TcpLink.h"

namespace lumavox::gateway {

class ConnectionLink final : public TcpLink {
  public:
    static constexpr size_t kRingStep = 32768;
    static constexpr size_t kRingLimit = size_t{1} << 20;

    ConnectionLink(IoLoop& loop, ReceiveBudget& budget) : TcpLink(loop), budget_(budget) {}
    ~ConnectionLink() override;

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
    friend class ReceiveBudget;

    ReceiveBudget& budget_;
    size_t budgeted_ = 0;  // what the ring grew beyond its first kilobyte; under the budget's lock
    ByteRing ring_;
    std::atomic<int> protocolType_{0};
    std::atomic<bool> escaping_{false};
};

}  // namespace lumavox::gateway

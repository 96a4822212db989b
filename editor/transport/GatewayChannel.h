// The GPRS route of the sign link: the device the gateway binding selected,
// reached through the gateway library.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "transport/LinkChannel.h"

namespace lumavox {

// The GPRS device the link talks to while LinkState is Gprs; supplied by the
// gateway binding.
class GatewayPeer {
  public:
    virtual ~GatewayPeer() = default;
    virtual bool send(std::span<const uint8_t> bytes, std::string& error) = 0;
    // Waits up to waitMs, then appends whatever the gateway holds for the device.
    virtual bool poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) = 0;
};

// The selected device as a channel. Without a device every send and poll fails
// with "no GPRS device". Closing leaves the selection alone: the gateway keeps
// the device's connection, and the session drops the selection itself.
class GatewayChannel final : public LinkChannel {
  public:
    void select(GatewayPeer* peer) { peer_ = peer; }
    GatewayPeer* selected() const { return peer_; }

    bool send(std::span<const uint8_t> bytes, std::string& error) override;
    bool poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) override;
    void close() override {}
    bool isOpen() const override { return peer_ != nullptr; }

  private:
    GatewayPeer* peer_ = nullptr;
};

}  // namespace lumavox

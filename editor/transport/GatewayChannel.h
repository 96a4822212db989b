// The GPRS route of the sign link: one device connected to the gateway,
// reached by its name through the registry of connected devices.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "transport/LinkChannel.h"

namespace lumavox {

// The devices connected to the gateway, by name (names compare without regard
// to letter case). Every call looks the device up anew, so a device that
// reconnected is reached through its new connection.
class GprsDevices {
  public:
    virtual ~GprsDevices() = default;
    // Whether a device of that name is registered now.
    virtual bool isRegistered(const std::string& name) const = 0;
    // Sends all bytes to the device; false with the text for the user.
    virtual bool send(const std::string& name, std::span<const uint8_t> bytes,
                      std::string& error) = 0;
    // Appends what the gateway holds for the device; nothing is no failure.
    virtual bool receive(const std::string& name, std::vector<uint8_t>& out,
                         std::string& error) = 0;
    // Reads and discards what the gateway holds for the device.
    virtual void dropPending(const std::string& name) = 0;
};

// The selected device as a channel. Without a device every send and poll fails
// with "no GPRS device". Closing forgets the selection (the gateway keeps the
// device's connection), and the link leaves LinkState Gprs.
class GatewayChannel final : public LinkChannel {
  public:
    void setDevices(GprsDevices* devices) { devices_ = devices; }
    GprsDevices* devices() const { return devices_; }
    // Selects a registered device; false (nothing selected) when it is not.
    bool select(const std::string& name);
    void deselect() {
        name_.clear();
        closed_ = false;
    }
    const std::string& selected() const { return name_; }
    void dropPending();

    bool send(std::span<const uint8_t> bytes, std::string& error) override;
    // The gateway receives on its own thread; the wait looks at what it holds
    // (every 50 microseconds at first, less often as the wait goes on) until
    // something is there or waitMs has passed.
    bool poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) override;
    void close() override {
        closed_ = !name_.empty();
        name_.clear();
    }
    bool isOpen() const override { return devices_ && !name_.empty(); }
    bool connectionLost() const override { return closed_; }

  private:
    GprsDevices* devices_ = nullptr;
    std::string name_;
    bool closed_ = false;
};

}  // namespace lumavox

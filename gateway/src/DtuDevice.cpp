#include "DtuDevice.h"

#include <climits>

#include "FramedDtuDevice.h"
#include "NetConnectionPort.h"
#include "NetServerPort.h"

namespace lumavox::gateway {

namespace {

int clampToInt(long v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

class ServerDevice final : public DtuDevice {
  public:
    explicit ServerDevice(std::shared_ptr<NetServerPort> port)
        : DtuDevice(port), server_(std::move(port)) {}
    ~ServerDevice() override {
        uninit();
        server_->dropQueued();
    }
    NetServerPort* server() override { return server_.get(); }

  private:
    std::shared_ptr<NetServerPort> server_;
};

class ClientDevice final : public DtuDevice {
  public:
    explicit ClientDevice(std::shared_ptr<NetConnectionPort> port)
        : DtuDevice(port), connection_(std::move(port)) {}
    NetConnectionPort* connection() override { return connection_.get(); }

  private:
    std::shared_ptr<NetConnectionPort> connection_;
};

}  // namespace

std::shared_ptr<DtuDevice> makeServerDevice(std::shared_ptr<NetServerPort> port) {
    return std::make_shared<ServerDevice>(std::move(port));
}

std::shared_ptr<DtuDevice> makeClientDevice(std::shared_ptr<NetConnectionPort> port) {
    if (port->protocolType() == 1) return std::make_shared<FramedDtuDevice>(std::move(port));
    return std::make_shared<ClientDevice>(std::move(port));
}

DtuDevice::DtuDevice(std::shared_ptr<DtuPort> port) : port_(std::move(port)) {}

DtuDevice::~DtuDevice() {
    std::lock_guard lock(opMutex_);
    uninitLocked();
}

int DtuDevice::init() {
    return port_->open() ? 1 : 0;
}

void DtuDevice::uninitLocked() {
    config_.stopReader();
    config_.setActive(false);
    port_->close();
}

int DtuDevice::uninit() {
    std::lock_guard lock(opMutex_);
    uninitLocked();
    return 1;
}

int DtuDevice::sendData(const uint8_t* data, size_t n) {
    if (inConfig() || !port_->isOpen()) return 0;
    return clampToInt(port_->write(data, n));
}

int DtuDevice::receiveData(uint8_t* buffer, size_t capacity) {
    if (inConfig()) return 0;
    return clampToInt(static_cast<long>(port_->read(buffer, capacity)));
}

int DtuDevice::receiveDataCount() {
    return clampToInt(static_cast<long>(port_->available()));
}

}  // namespace lumavox::gateway

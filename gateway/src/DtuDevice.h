// What a handle stands for: a device reached through one port.
//
// DtuDevice is the transparent kind (serial device, server, or a DTU whose
// bytes pass unchanged); FramedDtuDevice speaks the framed protocol. The
// virtual operations are those whose behaviour differs between the kinds; the
// configuration dialogue is common to both.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "ConfigSession.h"
#include "DtuPort.h"

namespace lumavox::gateway {

class NetConnectionPort;
class NetServerPort;

class DtuDevice {
  public:
    explicit DtuDevice(std::shared_ptr<DtuPort> port);
    virtual ~DtuDevice();
    DtuDevice(const DtuDevice&) = delete;
    DtuDevice& operator=(const DtuDevice&) = delete;

    virtual int enterConfig();
    virtual int uninit();
    int init();
    virtual int receiveData(uint8_t* buffer, size_t capacity);
    virtual int sendData(const uint8_t* data, size_t n);
    virtual int sendDataEx(const uint8_t*, size_t, bool /*wantAck*/, int /*timeoutMs*/) {
        return 0;
    }
    virtual int receiveStateData(uint8_t*, size_t) { return 0; }
    virtual int sendStateData(const uint8_t*, size_t, bool /*wantAck*/, int /*timeoutMs*/) {
        return 0;
    }
    // Reset, disconnect, stop and start I/O: remote commands of the framed kind.
    virtual int remoteCommand(std::string_view /*text*/, int /*timeoutMs*/) { return 0; }

    int receiveDataCount();

    int exitConfig(bool waitReply);
    int configRead(std::string_view name, std::string& value);
    int configWrite(std::string_view name, std::string_view value);
    int getAllConfig();
    bool getConfig(std::string& name, std::string& value);

    // The TCP roles of the port, or null.
    virtual NetServerPort* server() { return nullptr; }
    virtual NetConnectionPort* connection() { return nullptr; }

  protected:
    // Leaves configuration mode and closes the port; the caller holds opMutex_.
    void uninitLocked();
    bool inConfig() const { return config_.active(); }

    std::shared_ptr<DtuPort> port_;
    ConfigSession config_;
    // Serialises the operations that talk and wait on the port.
    std::mutex opMutex_;
};

// Helpers to make the three kinds of handle.
std::shared_ptr<DtuDevice> makeServerDevice(std::shared_ptr<NetServerPort> port);
std::shared_ptr<DtuDevice> makeClientDevice(std::shared_ptr<NetConnectionPort> port);

}  // namespace lumavox::gateway

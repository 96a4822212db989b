// A DTU connection that speaks the framed protocol.
//
// Raw bytes stay in the connection until the host calls in; every framed
// operation first runs a receive pass: complete frames are taken from the raw
// bytes, their payloads go to the data or state ring (each up to 100 KiB, the
// oldest bytes overwritten beyond), acknowledgements and replies are noted, and
// frames that ask for an answer get one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ByteRing.h"
#include "DtuDevice.h"
#include "FrameCodec.h"

namespace lumavox::gateway {

class NetConnectionPort;

class FramedDtuDevice final : public DtuDevice {
  public:
    static constexpr size_t kRingStep = 10240;
    static constexpr size_t kRingLimit = 102400;
    static constexpr int kEnterConfigTimeoutMs = 10000;

    explicit FramedDtuDevice(std::shared_ptr<NetConnectionPort> port);
    ~FramedDtuDevice() override;

    int enterConfig() override;
    int uninit() override;
    int receiveData(uint8_t* buffer, size_t capacity) override;
    int sendData(const uint8_t* data, size_t n) override;
    int sendDataEx(const uint8_t* data, size_t n, bool wantAck, int timeoutMs) override;
    int receiveStateData(uint8_t* buffer, size_t capacity) override;
    int sendStateData(const uint8_t* data, size_t n, bool wantAck, int timeoutMs) override;
    int remoteCommand(std::string_view text, int timeoutMs) override;
    NetConnectionPort* connection() override { return connection_.get(); }

  private:
    // Takes complete frames from the connection and sends the answer one of
    // them asked for.
    void receivePassLocked();
    void dispatch(uint8_t code, const uint8_t* payload, size_t size);
    // Writes one frame; with wait, waits for an acknowledgement or a reply.
    int sendFrameLocked(uint8_t code, const uint8_t* payload, size_t size, bool wait,
                        int timeoutMs);
    void resetFrameState();

    std::shared_ptr<NetConnectionPort> connection_;
    FrameCollector collector_;
    ByteRing dataRing_;
    ByteRing stateRing_;
    bool acknowledged_ = false;
    bool replyArrived_ = false;
    uint8_t pendingAnswer_ = 0;
    std::string replyText_;
};

}  // namespace lumavox::gateway

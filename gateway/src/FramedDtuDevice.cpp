#include "FramedDtuDevice.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "ConfigText.h"
#include "Gprslink.h"
#include "NetConnectionPort.h"

namespace lumavox::gateway {

using Steady = std::chrono::steady_clock;

FramedDtuDevice::FramedDtuDevice(std::shared_ptr<NetConnectionPort> port)
    : DtuDevice(port), connection_(std::move(port)) {}

FramedDtuDevice::~FramedDtuDevice() {
    std::lock_guard lock(opMutex_);
    uninitLocked();
    resetFrameState();
    dataRing_.release();
    stateRing_.release();
}

void FramedDtuDevice::resetFrameState() {
    collector_.reset();
    acknowledged_ = false;
    replyArrived_ = false;
    pendingAnswer_ = 0;
    replyText_.clear();
}

int FramedDtuDevice::uninit() {
    std::lock_guard lock(opMutex_);
    uninitLocked();
    resetFrameState();
    return 1;
}

void FramedDtuDevice::dispatch(uint8_t code, const uint8_t* payload, size_t size) {
    switch (code) {
        case frame::kAck:
            acknowledged_ = true;
            break;
        case frame::kData:
        case frame::kDataAck:
            dataRing_.writeGrowing(payload, size, kRingStep, kRingLimit);
            if (code == frame::kDataAck) pendingAnswer_ = frame::kAck;
            break;
        case frame::kState:
        case frame::kStateAck:
            stateRing_.writeGrowing(payload, size, kRingStep, kRingLimit);
            if (code == frame::kStateAck) pendingAnswer_ = frame::kAck;
            break;
        case frame::kAnswer14:
            pendingAnswer_ = frame::kAnswer14;
            break;
        case frame::kCommand:
            replyText_.assign(reinterpret_cast<const char*>(payload), size);
            replyArrived_ = true;
            break;
        default:
            break;
    }
}

void FramedDtuDevice::receivePassLocked() {
    replyArrived_ = false;
    pendingAnswer_ = 0;
    size_t waiting = connection_->available();
    if (collector_.shouldTake(waiting)) {
        std::vector<uint8_t> chunk(std::min(waiting, size_t{64 * 1024}));
        while (waiting > 0) {
            size_t got = connection_->read(chunk.data(), std::min(waiting, chunk.size()));
            if (got == 0) break;
            waiting -= got;
            collector_.feed(chunk.data(), got, [this](uint8_t code, const uint8_t* p, size_t n) {
                dispatch(code, p, n);
            });
        }
    }
    if (pendingAnswer_ != 0) {
        auto answer = buildFrame(pendingAnswer_, nullptr, 0);
        connection_->write(answer.data(), answer.size());
    }
}

int FramedDtuDevice::sendFrameLocked(uint8_t code, const uint8_t* payload, size_t size, bool wait,
                                     int timeoutMs) {
    if (inConfig() || size > frame::kMaxPayload) return 0;
    receivePassLocked();
    // Only an acknowledgement that arrives after this frame answers it.
    if (wait) acknowledged_ = false;
    std::vector<uint8_t> f = buildFrame(code, payload, size);
    long written = connection_->write(f.data(), f.size());
    if (!wait || written < 1) return written > 0 ? 1 : 0;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    ConnectionLink& link = connection_->link();
    while (Steady::now() < deadline) {
        const uint64_t seen = link.receiveCount();
        receivePassLocked();
        if (acknowledged_ || replyArrived_) return 1;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
        link.waitForReceive(seen, static_cast<int>(std::clamp<long long>(left.count(), 1, 10)));
    }
    return 0;
}

int FramedDtuDevice::receiveData(uint8_t* buffer, size_t capacity) {
    std::lock_guard lock(opMutex_);
    if (inConfig()) return 0;
    receivePassLocked();
    return static_cast<int>(dataRing_.read(buffer, capacity));
}

int FramedDtuDevice::receiveStateData(uint8_t* buffer, size_t capacity) {
    std::lock_guard lock(opMutex_);
    if (inConfig()) return 0;
    receivePassLocked();
    return static_cast<int>(stateRing_.read(buffer, capacity));
}

int FramedDtuDevice::sendData(const uint8_t* data, size_t n) {
    std::lock_guard lock(opMutex_);
    return sendFrameLocked(frame::kData, data, n, false, 0);
}

int FramedDtuDevice::sendDataEx(const uint8_t* data, size_t n, bool wantAck, int timeoutMs) {
    std::lock_guard lock(opMutex_);
    return sendFrameLocked(wantAck ? frame::kDataAck : frame::kData, data, n, wantAck, timeoutMs);
}

int FramedDtuDevice::sendStateData(const uint8_t* data, size_t n, bool wantAck, int timeoutMs) {
    std::lock_guard lock(opMutex_);
    return sendFrameLocked(wantAck ? frame::kStateAck : frame::kState, data, n, wantAck, timeoutMs);
}

int FramedDtuDevice::remoteCommand(std::string_view text, int timeoutMs) {
    std::lock_guard lock(opMutex_);
    return sendFrameLocked(frame::kCommand, reinterpret_cast<const uint8_t*>(text.data()),
                           text.size(), true, timeoutMs);
}

int FramedDtuDevice::enterConfig() {
    std::lock_guard lock(opMutex_);
    if (inConfig()) return DTU_CONFIG_OK;
    const auto* text = reinterpret_cast<const uint8_t*>(config::kEnter.data());
    if (sendFrameLocked(frame::kCommand, text, config::kEnter.size(), true,
                        kEnterConfigTimeoutMs) != 1 ||
        !replyArrived_ || replyText_.find("OK") == std::string::npos)
        return DTU_CONFIG_FAILED;
    config_.startReader(*port_);
    config_.setActive(true);
    return DTU_CONFIG_OK;
}

}  // namespace lumavox::gateway

// The configuration dialogue operations of a handle.
#include "ConfigText.h"
#include "DtuDevice.h"
#include "Gprslink.h"

namespace lumavox::gateway {

namespace {
constexpr int kListTimeoutMs = 20000;
constexpr int kHeartbeatTimeoutMs = 10000;
}  // namespace

int DtuDevice::enterConfig() {
    std::lock_guard lock(opMutex_);
    if (inConfig()) return DTU_CONFIG_OK;
    if (!port_->open()) return DTU_CONFIG_FAILED;
    port_->purge();
    config_.startReader(*port_);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!config_.sendCommand(*port_, config::kEnter)) break;
        if (config_.waitReply(true, port_->replyTimeoutMs())) {
            config_.setActive(true);
            return DTU_CONFIG_OK;
        }
    }
    // Whatever failed, the reader never outlives the attempt.
    config_.stopReader();
    return DTU_CONFIG_FAILED;
}

int DtuDevice::configWrite(std::string_view name, std::string_view value) {
    std::lock_guard lock(opMutex_);
    if (!inConfig()) return DTU_CONFIG_FAILED;
    if (!config_.sendCommand(*port_, writeCommand(name, value))) return DTU_CONFIG_FAILED;
    const int timeout =
        name == config::kHeartbeatName ? kHeartbeatTimeoutMs : port_->replyTimeoutMs();
    if (config_.waitReply(true, timeout)) return DTU_CONFIG_OK;
    return interpretWriteReply(config_.reply());
}

int DtuDevice::configRead(std::string_view name, std::string& value) {
    std::lock_guard lock(opMutex_);
    if (!inConfig()) return DTU_CONFIG_FAILED;
    const std::string cmd = readCommand(name);
    if (!config_.sendCommand(*port_, cmd)) return DTU_CONFIG_FAILED;
    if (!config_.waitReply(false, port_->replyTimeoutMs())) return DTU_CONFIG_FAILED;
    return interpretReadReply(config_.reply(), cmd, value);
}

int DtuDevice::getAllConfig() {
    std::lock_guard lock(opMutex_);
    if (!inConfig()) return DTU_CONFIG_FAILED;
    config_.setListMode(true);
    bool ok =
        config_.sendCommand(*port_, config::kList) && config_.waitReply(false, kListTimeoutMs);
    std::string list = ok ? config_.reply() : std::string();
    config_.setListMode(false);
    if (!ok || list.starts_with("ERR")) return DTU_CONFIG_FAILED;
    config_.list().assign(list);
    return DTU_CONFIG_OK;
}

bool DtuDevice::getConfig(std::string& name, std::string& value) {
    std::lock_guard lock(opMutex_);
    return config_.list().next(name, value);
}

int DtuDevice::exitConfig(bool waitReply) {
    std::lock_guard lock(opMutex_);
    if (!inConfig() && waitReply) {
        config_.setActive(true);
        if (!port_->open()) {
            config_.setActive(false);
            return DTU_CONFIG_FAILED;
        }
        config_.startReader(*port_);
    }
    if (inConfig()) {
        const std::string cmd = writeCommand(config::kLeaveName, config::kLeaveValue);
        if (config_.sendCommand(*port_, cmd) && waitReply)
            config_.waitReply(true, port_->replyTimeoutMs());
    }
    config_.stopReader();
    config_.setActive(false);
    return DTU_CONFIG_OK;
}

}  // namespace lumavox::gateway

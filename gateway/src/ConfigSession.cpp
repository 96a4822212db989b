#include "ConfigSession.h"

#include <algorithm>
#include <chrono>

namespace lumavox::gateway {

using Steady = std::chrono::steady_clock;

void ConfigSession::startReader(DtuPort& port) {
    stopReader();
    {
        std::lock_guard lock(mutex_);
        command_.clear();
        reply_.clear();
        event_ = false;
    }
    stop_ = false;
    reader_ = std::thread([this, p = &port] { readerLoop(p); });
}

void ConfigSession::stopReader() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
}

void ConfigSession::readerLoop(DtuPort* port) {
    collected_.reset(kCollectSize);
    auto lastBytes = Steady::now();
    uint8_t buf[1024];
    while (!stop_) {
        size_t waiting = port->available();
        if (waiting > 0) {
            lastBytes = Steady::now();
            size_t got = port->read(buf, std::min(waiting, sizeof buf));
            std::lock_guard lock(mutex_);
            if (got > 0 && !command_.empty()) {
                collected_.write(buf, got);
                if (auto r = recogniseReply(collected_.snapshot(), listMode_, command_)) {
                    reply_ = std::move(*r);
                    collected_.clear();
                }
            }
        }
        {
            std::lock_guard lock(mutex_);
            auto now = Steady::now();
            if (now - lastBytes > std::chrono::milliseconds(kQuietMs) && !reply_.empty()) {
                event_ = true;
                cv_.notify_all();
                lastBytes = now;
            }
        }
        if (waiting == 0) port->waitReadable(1);
    }
}

bool ConfigSession::sendCommand(DtuPort& port, std::string_view cmd) {
    if (cmd.size() > config::kMaxCommand) return false;
    {
        std::lock_guard lock(mutex_);
        reply_.clear();
        collected_.clear();
        event_ = false;
        command_.assign(cmd);
    }
    return port.write(reinterpret_cast<const uint8_t*>(cmd.data()), cmd.size()) > 0;
}

bool ConfigSession::waitReply(bool wantOk, int timeoutMs) {
    const auto deadline = Steady::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    std::unique_lock lock(mutex_);
    while (Steady::now() < deadline) {
        auto step = std::min(deadline, Steady::now() + std::chrono::milliseconds(10));
        if (!cv_.wait_until(lock, step, [&] { return event_; })) continue;
        if (!wantOk) return !reply_.empty();
        if (reply_.find("OK") == std::string::npos) return false;  // settled, and not "OK"
        reply_.clear();
        return true;
    }
    return false;
}

std::string ConfigSession::reply() const {
    std::lock_guard lock(mutex_);
    return reply_;
}

void ConfigSession::setListMode(bool on) {
    std::lock_guard lock(mutex_);
    listMode_ = on;
}

}  // namespace lumavox::gateway

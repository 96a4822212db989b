// GprsMonitor: the registry of GPRS devices connected to the gateway and the
// worker thread that keeps it, owned by the application object.
//
// Start(port) makes a gateway server on the port (all local addresses, no
// password) and starts the worker; every period (100 ms) the worker fetches
// the newly identified connections, registers each under its device name and
// drops the entries whose connection has gone. A device that connects again
// under its name replaces its entry (its old connection is deleted), so every
// name has at most one entry.
//
// A newcomer whose name belongs to a device that is still connected and that
// has another device ID is refused (its connection is deleted, the holder
// keeps the name) and noted in conflicts(): bytes for that name never go to
// the newcomer.
//
// The registry has its own lock; starting and stopping are serialised by a
// second one. The send side (the sign link, through GprsDevices) looks a
// device up and calls the gateway for it under the registry lock, so the
// worker never deletes a connection while it is in use.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "operations/GatewayBinding.h"
#include "transport/GatewayChannel.h"

namespace lumavox {

// One connected device, as the gateway describes it.
struct GprsClientEntry {
    DTU_HANDLE handle = nullptr;
    std::string ipAddress;
    int port = 0;
    std::string name;        // record field B: what groups refer to
    std::string deviceId;    // field C
    std::string deviceType;  // field A
    std::string phone;       // field D
};

// A registration the monitor refused because another connected device holds
// the name.
struct GprsNameConflict {
    std::string name;
    std::string refusedId;  // the newcomer's device ID
    std::string holderId;   // the registered device's ID
};

class GprsMonitor final : public GprsDevices {
  public:
    using Pump = std::function<void()>;
    static constexpr std::chrono::milliseconds kPeriod{100};

    explicit GprsMonitor(const GatewayBinding& gateway, std::chrono::milliseconds period = kPeriod);
    // Stop().
    ~GprsMonitor() override;
    GprsMonitor(const GprsMonitor&) = delete;
    GprsMonitor& operator=(const GprsMonitor&) = delete;

    // Stops a running monitor, makes the server on `port` and starts the
    // worker; returns once the worker runs. A server that cannot listen on
    // its port (another program holds it) leaves the monitor stopped: false,
    // and startError() says why in the system's words. Without a gateway the
    // monitor runs and no device ever registers.
    bool Start(int port, const Pump& pump = {});
    // Why the last Start failed; empty after one that succeeded.
    std::string startError() const;
    // Nothing when no worker runs. Otherwise asks the worker to end and waits
    // for it, calling `pump` every 10 ms; then deletes every entry's
    // connection and the server.
    void Stop(const Pump& pump = {});
    bool running() const;
    // The port of the running server; 0 when stopped.
    int port() const;
    // Whether the worker's last round has ended since the call (a test's and
    // a waiting command's way to know the registry is current).
    void awaitRound();

    // Registry lookup: the entry of that name (letter case ignored).
    std::optional<GprsClientEntry> Lookup(const std::string& name) const;
    // The names of all entries in list order.
    std::vector<std::string> Names() const;
    std::vector<GprsClientEntry> Entries() const;
    std::vector<GprsNameConflict> conflicts() const;

    // GprsDevices: the link's channel operations.
    bool isRegistered(const std::string& name) const override;
    bool send(const std::string& name, std::span<const uint8_t> bytes, std::string& error) override;
    bool receive(const std::string& name, std::vector<uint8_t>& out, std::string& error) override;
    void dropPending(const std::string& name) override;

  private:
    enum class State { Stopped, Running, Stopping };
    void stopLocked(const Pump& pump);
    void worker();
    void fetchNewClients();
    void dropVanished();
    // Under listLock_.
    GprsClientEntry* find(const std::string& name);
    const GprsClientEntry* find(const std::string& name) const;

    const GatewayBinding& gateway_;
    const std::chrono::milliseconds period_;

    mutable std::mutex listLock_;
    std::vector<GprsClientEntry> entries_;
    std::vector<GprsNameConflict> conflicts_;

    mutable std::mutex startStopLock_;
    mutable std::mutex stateLock_;
    std::condition_variable stateChanged_;
    State state_ = State::Stopped;
    bool finished_ = true;
    bool started_ = false;
    uint64_t rounds_ = 0;
    std::thread thread_;
    DTU_HANDLE server_ = nullptr;
    std::atomic<int> port_{0};
    std::string startError_;  // under startStopLock_
};

// Whether two device or group names are the same, letter case ignored.
bool sameGprsName(const std::string& a, const std::string& b);

}  // namespace lumavox

// Delivery of the queued jobs: one session at a time on each physical line (a
// serial chain shares its port, a modem its line, a TCP sign its host and
// port, a GPRS sign its device), lines in parallel. A GPRS sign's jobs wait
// until its device registers with the gateway, which listens all the time; a
// sign that cannot be reached is tried again with a growing pause (at most a
// minute) until the job expires.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "operations/Environment.h"
#include "operations/GprsRoute.h"
#include "operations/Operations.h"
#include "operations/Settings.h"
#include "server/Events.h"
#include "server/Store.h"
#include "server/Views.h"

namespace lumavox::server {

struct DeliveryOptions {
    Settings settings;  // repeats, time-outs, COM ports, modem
    // The gateway's port; 0: no gateway (GPRS signs then wait for good).
    int gprsPort = 0;
    const ResourceTable* resources = nullptr;  // carries the gateway library
    ApplicationEnvironment environment;
    int firstRetryMs = 2000;  // the pause after the first failed attempt
    int maxRetryMs = 60000;   // pauses double up to this
    int maxSessions = 32;     // sessions running at once
    int replyTimeoutMs = 0;   // 0: the session's own rule
    int drainMs = 30000;      // a stop waits this long for running sessions
};

// The line a sign's link uses; signs on one line never run sessions at once
// (a serial port however it is named, one modem, a TCP host and port, a GPRS
// device).
std::string lineOf(const std::string& link, const Settings& settings);
// The pause before attempt `attempts + 1`.
int retryPauseMs(int attempts, int firstMs, int maxMs);

class RecordingHost;

class Delivery {
  public:
    Delivery(Store& store, EventHub& events, DeliveryOptions options);
    ~Delivery();
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

    // Starts the gateway (when a port is set) and the scheduler. False with
    // the system's reason when the gateway cannot listen.
    bool start(std::string& error);
    // Starts no new session, lets running ones end (up to the drain time, then
    // cancels them), and stops the gateway. Jobs cut short are queued again.
    void stop();
    // Looks at the queue now (a job was added).
    void wake();

    SignStatus status(const SignRecord& sign) const;
    int gprsPort() const;

  private:
    struct Running;
    void schedule();
    void refreshDevices(int64_t nowMs);
    void run(JobRecord job, SignRecord sign);
    // The NVS family's run through the control; false when it must not be
    // tried again (`outcome.ok` says whether it succeeded).
    bool runThroughControl(const JobRecord& job, const SignRecord& sign, const Settings& settings,
                           RecordingHost& log, OperationOutcome& outcome);
    void reap();
    void publishJob(int64_t id);

    Store& store_;
    EventHub& events_;
    DeliveryOptions options_;
    std::unique_ptr<GprsGateway> gateway_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    std::atomic<bool> stopping_{false};  // no new session starts
    std::atomic<bool> cancel_{false};    // running sessions stop
    std::thread scheduler_;
    std::set<std::string> busyLines_;
    std::vector<std::unique_ptr<Running>> running_;
    std::map<std::string, int64_t> connectedSince_;  // GPRS device (lower case) -> ms
    std::map<std::string, int64_t> lastSeen_;        // sign (lower case) -> ms
};

}  // namespace lumavox::server

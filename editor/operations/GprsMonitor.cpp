#include "operations/GprsMonitor.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "strings/GprsTexts.h"
#include "strings/TextFormat.h"
#include "transport/SystemText.h"

namespace lumavox {

namespace {

// The gateway's client information goes into buffers of this size (larger
// than any field it fills); the last byte stays NUL whatever it writes.
constexpr size_t kInfoBuffer = 20;
// Refused registrations kept for the user to see.
constexpr size_t kMaxConflicts = 100;
// Largest slice read from the gateway at once.
constexpr int kMaxReceive = 1 << 20;

std::string field(const char (&buffer)[kInfoBuffer]) {
    return std::string(buffer, strnlen(buffer, kInfoBuffer - 1));
}

}  // namespace

bool sameGprsName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

GprsMonitor::GprsMonitor(const GatewayBinding& gateway, std::chrono::milliseconds period)
    : gateway_(gateway), period_(period) {}

GprsMonitor::~GprsMonitor() {
    Stop();
}

// ---- Start and stop ----

bool GprsMonitor::Start(int port, const Pump& pump) {
    std::lock_guard<std::mutex> serial(startStopLock_);
    stopLocked(pump);
    startError_.clear();
    server_ = gateway_.AddNetServer(nullptr, port, nullptr);
    if (server_ && gateway_.Init(server_) != 1) {
        const int why = errno;
        startError_ =
            formatText("%s.(%s)", {textf(msg::kGprsServerFailed, {port}), systemMessage(why)});
        gateway_.Delete(server_);
        server_ = nullptr;
        return false;
    }
    port_ = port;
    std::unique_lock<std::mutex> lock(stateLock_);
    state_ = State::Running;
    finished_ = false;
    started_ = false;
    thread_ = std::thread([this] { worker(); });
    stateChanged_.wait(lock, [this] { return started_; });
    return true;
}

std::string GprsMonitor::startError() const {
    std::lock_guard<std::mutex> serial(startStopLock_);
    return startError_;
}

void GprsMonitor::Stop(const Pump& pump) {
    std::lock_guard<std::mutex> serial(startStopLock_);
    stopLocked(pump);
}

void GprsMonitor::stopLocked(const Pump& pump) {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(stateLock_);
        state_ = State::Stopping;
    }
    stateChanged_.notify_all();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(stateLock_);
            if (stateChanged_.wait_for(lock, std::chrono::milliseconds(10),
                                       [this] { return finished_; }))
                break;
        }
        if (pump) pump();
    }
    thread_.join();
    {
        std::lock_guard<std::mutex> lock(listLock_);
        for (const GprsClientEntry& e : entries_)
            gateway_.Delete(e.handle);
        entries_.clear();
    }
    gateway_.Uninit(server_);
    gateway_.Delete(server_);
    server_ = nullptr;
    port_ = 0;
    std::lock_guard<std::mutex> lock(stateLock_);
    state_ = State::Stopped;
}

bool GprsMonitor::running() const {
    std::lock_guard<std::mutex> lock(stateLock_);
    return state_ == State::Running;
}

int GprsMonitor::port() const {
    return port_;
}

void GprsMonitor::awaitRound() {
    std::unique_lock<std::mutex> lock(stateLock_);
    // The round under way may have begun before the call: wait for the next.
    const uint64_t target = rounds_ + 2;
    stateChanged_.wait(lock, [&] { return rounds_ >= target || state_ != State::Running; });
}

// ---- The worker ----

void GprsMonitor::worker() {
    {
        std::lock_guard<std::mutex> lock(stateLock_);
        started_ = true;
    }
    stateChanged_.notify_all();
    for (;;) {
        fetchNewClients();
        dropVanished();
        std::unique_lock<std::mutex> lock(stateLock_);
        ++rounds_;
        stateChanged_.notify_all();
        if (stateChanged_.wait_for(lock, period_, [this] { return state_ != State::Running; }))
            break;
    }
    {
        std::lock_guard<std::mutex> lock(stateLock_);
        finished_ = true;
    }
    stateChanged_.notify_all();
}

void GprsMonitor::fetchNewClients() {
    // Every connection identified since the last round: a thousand devices
    // coming up together register within one round, not one per round.
    while (DTU_HANDLE h = gateway_.GetNewConnectedClient(server_)) {
        char ip[kInfoBuffer] = {}, a[kInfoBuffer] = {}, b[kInfoBuffer] = {}, c[kInfoBuffer] = {},
             d[kInfoBuffer] = {};
        int port = 0;
        gateway_.GetClientInfo(h, ip, &port, a, b, c, d);
        GprsClientEntry entry{h, field(ip), port, field(b), field(c), field(a), field(d)};
        // A connection without a name can never be addressed.
        if (entry.name.empty()) {
            gateway_.Delete(h);
            continue;
        }
        std::lock_guard<std::mutex> lock(listLock_);
        GprsClientEntry* old = find(entry.name);
        if (!old) {
            entries_.push_back(std::move(entry));
            continue;
        }
        if (old->deviceId != entry.deviceId && gateway_.IsClientAvailable(old->handle)) {
            // Another device claims a name that a connected device holds.
            if (conflicts_.size() == kMaxConflicts) conflicts_.erase(conflicts_.begin());
            conflicts_.push_back({entry.name, entry.deviceId, old->deviceId});
            gateway_.Delete(h);
            continue;
        }
        // The device connected again: its entry takes the new connection.
        gateway_.Delete(old->handle);
        *old = std::move(entry);
    }
}

void GprsMonitor::dropVanished() {
    std::lock_guard<std::mutex> lock(listLock_);
    auto gone = std::remove_if(entries_.begin(), entries_.end(), [this](const GprsClientEntry& e) {
        if (gateway_.IsClientAvailable(e.handle)) return false;
        gateway_.Delete(e.handle);
        return true;
    });
    entries_.erase(gone, entries_.end());
}

// ---- The registry ----

GprsClientEntry* GprsMonitor::find(const std::string& name) {
    for (GprsClientEntry& e : entries_)
        if (sameGprsName(e.name, name)) return &e;
    return nullptr;
}

const GprsClientEntry* GprsMonitor::find(const std::string& name) const {
    for (const GprsClientEntry& e : entries_)
        if (sameGprsName(e.name, name)) return &e;
    return nullptr;
}

std::optional<GprsClientEntry> GprsMonitor::Lookup(const std::string& name) const {
    std::lock_guard<std::mutex> lock(listLock_);
    const GprsClientEntry* e = find(name);
    if (!e) return std::nullopt;
    return *e;
}

std::vector<std::string> GprsMonitor::Names() const {
    std::lock_guard<std::mutex> lock(listLock_);
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const GprsClientEntry& e : entries_)
        names.push_back(e.name);
    return names;
}

std::vector<GprsClientEntry> GprsMonitor::Entries() const {
    std::lock_guard<std::mutex> lock(listLock_);
    return entries_;
}

std::vector<GprsNameConflict> GprsMonitor::conflicts() const {
    std::lock_guard<std::mutex> lock(listLock_);
    return conflicts_;
}

// ---- The link's channel ----

bool GprsMonitor::isRegistered(const std::string& name) const {
    std::lock_guard<std::mutex> lock(listLock_);
    return find(name) != nullptr;
}

bool GprsMonitor::send(const std::string& name, std::span<const uint8_t> bytes,
                       std::string& error) {
    std::lock_guard<std::mutex> lock(listLock_);
    const GprsClientEntry* e = find(name);
    if (!e || !gateway_.IsClientAvailable(e->handle)) {
        error = textf(msg::kGprsDeviceNotFound, {name});
        return false;
    }
    if (bytes.empty()) return true;
    // The gateway gives 0 when nothing was written (a closed port), which is
    // as much a failure as a negative result.
    if (gateway_.SendData(e->handle, bytes.data(), static_cast<int>(bytes.size())) <= 0) {
        error = textf(msg::kGprsSendFailed, {name});
        return false;
    }
    return true;
}

bool GprsMonitor::receive(const std::string& name, std::vector<uint8_t>& out, std::string& error) {
    std::lock_guard<std::mutex> lock(listLock_);
    const GprsClientEntry* e = find(name);
    if (!e || !gateway_.IsClientAvailable(e->handle)) {
        error = textf(msg::kGprsDeviceNotFound, {name});
        return false;
    }
    int n = std::min(gateway_.GetReceiveDataCount(e->handle), kMaxReceive);
    if (n <= 0) return true;
    std::vector<uint8_t> buffer(static_cast<size_t>(n) + 1, 0);
    int got = gateway_.ReceiveData(e->handle, buffer.data(), n);
    // Only what the gateway delivered is handed on.
    if (got > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + std::min(got, n));
    return true;
}

void GprsMonitor::dropPending(const std::string& name) {
    std::lock_guard<std::mutex> lock(listLock_);
    const GprsClientEntry* e = find(name);
    if (e && gateway_.IsClientAvailable(e->handle)) gateway_.FlushClient(e->handle);
}

}  // namespace lumavox

#include "server/Delivery.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>

#include "content/Document.h"
#include "operations/ControlRun.h"
#include "operations/Operations.h"
#include "session/SessionHost.h"
#include "transport/SignLink.h"

namespace lumavox::server {

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The device name of a gprs: link, or "" for other links.
std::string gprsDevice(const std::string& link) {
    return link.rfind("gprs:", 0) == 0 ? link.substr(5) : std::string();
}

}  // namespace

// What a session says, kept as the job's detail: status lines without repeats
// and every message, the last few kilobytes of them.
class RecordingHost : public SessionHost {
  public:
    explicit RecordingHost(const std::atomic<bool>& cancel) : cancel_(cancel) {}
    void status(const std::string& t) override {
        if (t.empty() || t == last_) return;
        last_ = t;
        add(t);
    }
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void message(const std::string& t, Icon icon) override {
        add("[" + promptTitle(icon) + "] " + t);
    }
    // Nobody is there to answer: the service goes on as lumavox-cli --yes does.
    bool askYesNo(const std::string& t, Icon icon) override {
        add("[" + promptTitle(icon) + "] " + t + " Yes");
        return true;
    }
    void fileList(const std::vector<FileEntry>&) override {}
    void pump() override {}
    bool cancelRequested() const override { return cancel_.load(); }

    void add(std::string line) {
        // The dialog's line breaks as plain ones.
        std::string clean;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\r') {
                clean.push_back('\n');
                if (i + 1 < line.size() && line[i + 1] == '\n') ++i;
            } else {
                clean.push_back(line[i]);
            }
        }
        if (!text.empty()) text.push_back('\n');
        text += clean;
        constexpr size_t kKeep = 4096;
        if (text.size() > kKeep) text.erase(0, text.size() - kKeep);
    }
    std::string text;

  private:
    const std::atomic<bool>& cancel_;
    std::string last_;
};

namespace {

// What the control's route says, kept the same way; an error message marks
// the run failed.
class RecordingRouteHost : public ControlRouteHost {
  public:
    explicit RecordingRouteHost(RecordingHost& log) : log_(log) {}
    void addResult(const std::string& t) override { log_.add(t); }
    void progressRange(int32_t) override {}
    void progressPosition(int32_t) override {}
    void message(const std::string& t, Icon icon) override {
        if (icon == Icon::Error) failed = true;
        log_.message(t, icon);
    }
    bool askYesNo(const std::string& t, Icon icon) override { return log_.askYesNo(t, icon); }
    bool failed = false;

  private:
    RecordingHost& log_;
};

// The control's kind of a job's operation; nothing for operations the NVS
// family does not have.
std::optional<UpdateKind> controlKind(const std::string& operation) {
    static const std::map<std::string, UpdateKind> kinds = {
        {"send-all", UpdateKind::SendAll},       {"set-default", UpdateKind::SetDefault},
        {"adjust-time", UpdateKind::AdjustTime}, {"sign-off", UpdateKind::SignOff},
        {"sign-on", UpdateKind::SignOn},         {"clear-memory", UpdateKind::ClearMemory},
    };
    auto it = kinds.find(operation);
    if (it == kinds.end()) return std::nullopt;
    return it->second;
}

}  // namespace

std::string lineOf(const std::string& link, const Settings& settings) {
    if (link.rfind("serial:", 0) == 0) return "serial:" + link.substr(7, link.rfind('@') - 7);
    // COM n is the device the settings map it to: the same line as that device.
    if (link.rfind("com:", 0) == 0)
        return "serial:" + settings.comDevicePath(std::atoi(link.c_str() + 4));
    if (link.rfind("modem:", 0) == 0) return "modem";  // one modem serves every number
    return lower(link);
}

int retryPauseMs(int attempts, int firstMs, int maxMs) {
    int64_t pause = firstMs;
    for (int i = 1; i < attempts && pause < maxMs; ++i)
        pause *= 2;
    return static_cast<int>(std::min<int64_t>(pause, maxMs));
}

struct Delivery::Running {
    std::thread thread;
    std::atomic<bool> done{false};
};

Delivery::Delivery(Store& store, EventHub& events, DeliveryOptions options)
    : store_(store), events_(events), options_(std::move(options)) {}

Delivery::~Delivery() {
    stop();
}

bool Delivery::start(std::string& error) {
    if (options_.gprsPort > 0 && options_.resources) {
        gateway_ = std::make_unique<GprsGateway>(*options_.resources, options_.environment);
        if (!gateway_->binding().loaded()) {
            error = "the GPRS gateway library could not be loaded";
            gateway_.reset();
            return false;
        }
        if (!gateway_->monitor().Start(options_.gprsPort)) {
            error = gateway_->monitor().startError();
            gateway_.reset();
            return false;
        }
    }
    int requeued = store_.requeueInterrupted(nowMs());
    (void)requeued;
    scheduler_ = std::thread([this] { schedule(); });
    return true;
}

void Delivery::stop() {
    if (stopping_.exchange(true)) return;
    wake();
    if (scheduler_.joinable()) scheduler_.join();
    // Running sessions end by themselves, so that no sign is left with half a
    // file; one that takes longer than the drain time is cancelled (it stops
    // after its current exchange and its job is queued again).
    for (int waited = 0; waited < options_.drainMs; waited += 20) {
        {
            std::lock_guard lock(mutex_);
            if (std::all_of(running_.begin(), running_.end(),
                            [](const std::unique_ptr<Running>& r) { return r->done.load(); }))
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    cancel_ = true;
    std::vector<std::unique_ptr<Running>> running;
    {
        std::lock_guard lock(mutex_);
        running.swap(running_);
    }
    for (auto& r : running)
        if (r->thread.joinable()) r->thread.join();
    if (gateway_) gateway_->monitor().Stop();
}

void Delivery::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

int Delivery::gprsPort() const {
    return gateway_ ? options_.gprsPort : 0;
}

SignStatus Delivery::status(const SignRecord& sign) const {
    SignStatus s;
    const std::string device = gprsDevice(sign.link);
    std::lock_guard lock(mutex_);
    if (!device.empty()) {
        s.gprs = true;
        auto it = connectedSince_.find(lower(device));
        s.connected = it != connectedSince_.end();
        if (s.connected) s.connectedSinceMs = it->second;
    }
    if (auto it = lastSeen_.find(lower(sign.name)); it != lastSeen_.end())
        s.lastSeenMs = it->second;
    return s;
}

void Delivery::publishJob(int64_t id) {
    if (std::optional<JobRecord> j = store_.job(id)) events_.publish("job", jobEvent(*j));
}

void Delivery::refreshDevices(int64_t now) {
    if (!gateway_) return;
    std::vector<std::string> names = gateway_->monitor().Names();
    std::set<std::string> present;
    for (const std::string& n : names)
        present.insert(lower(n));
    std::vector<std::pair<std::string, std::string>> changes;
    {
        std::lock_guard lock(mutex_);
        for (auto it = connectedSince_.begin(); it != connectedSince_.end();) {
            if (!present.count(it->first)) {
                changes.emplace_back(it->first, "disconnected");
                it = connectedSince_.erase(it);
            } else {
                ++it;
            }
        }
        for (const std::string& n : present)
            if (connectedSince_.emplace(n, now).second) changes.emplace_back(n, "connected");
    }
    if (changes.empty()) return;
    for (const SignRecord& s : store_.signs()) {
        const std::string device = lower(gprsDevice(s.link));
        for (const auto& [name, change] : changes)
            if (!device.empty() && device == name)
                events_.publish("sign", signEvent(s.name, change, status(s)));
    }
}

void Delivery::reap() {
    std::vector<std::unique_ptr<Running>> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = running_.begin(); it != running_.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = running_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& r : finished)
        r->thread.join();
}

void Delivery::schedule() {
    while (!stopping_) {
        reap();
        const int64_t now = nowMs();
        for (int64_t id : store_.expireJobs(now))
            publishJob(id);
        refreshDevices(now);
        std::vector<JobRecord> due = store_.dueJobs(now);
        if (!due.empty()) {
            std::map<std::string, SignRecord> signs;
            for (SignRecord& s : store_.signs())
                signs.emplace(lower(s.name), std::move(s));
            for (JobRecord& job : due) {
                if (stopping_) break;
                auto it = signs.find(lower(job.sign));
                if (it == signs.end()) {
                    if (store_.startJob(job.id, now)) {
                        store_.finishJob(job, JobState::Failed, "the sign is no longer registered",
                                         now, now);
                        publishJob(job.id);
                    }
                    continue;
                }
                const SignRecord& sign = it->second;
                const std::string line = lineOf(sign.link, options_.settings);
                const std::string device = gprsDevice(sign.link);
                {
                    std::lock_guard lock(mutex_);
                    if (busyLines_.count(line) ||
                        static_cast<int>(running_.size()) >= options_.maxSessions)
                        continue;
                    // Store and forward: a GPRS sign waits for its device.
                    if (!device.empty() && !connectedSince_.count(lower(device))) continue;
                    busyLines_.insert(line);
                    auto r = std::make_unique<Running>();
                    Running* raw = r.get();
                    r->thread = std::thread([this, raw, job, sign, line] {
                        run(job, sign);
                        {
                            std::lock_guard l(mutex_);
                            busyLines_.erase(line);
                        }
                        raw->done = true;
                        wake();
                    });
                    running_.push_back(std::move(r));
                }
            }
        }
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(500),
                       [this] { return woken_ || stopping_; });
        woken_ = false;
    }
}

void Delivery::run(JobRecord due, SignRecord sign) {
    if (!store_.startJob(due.id, nowMs())) return;  // cancelled meanwhile
    // The job whole, with its document, now that it is sent.
    std::optional<JobRecord> whole = store_.job(due.id);
    if (!whole) return;
    JobRecord& job = *whole;
    publishJob(job.id);

    Settings settings = options_.settings;
    settings.mode = sign.family == "NVS" ? SignMode::NVS : SignMode::KV2;
    RecordingHost host(cancel_);
    OperationRequest request;
    std::string linkError;
    bool permanent = false;
    OperationOutcome outcome;
    const SignOperation* op = findOperation(job.operation);
    if (settings.mode == SignMode::NVS) {
        permanent = !runThroughControl(job, sign, settings, host, outcome);
    } else if (!op) {
        host.add("unknown operation " + job.operation);
        permanent = true;
    } else if (!parseLinkText(sign.link, settings, request.link.emplace(), linkError)) {
        host.add("link " + sign.link + ": " + linkError);
        permanent = true;
    } else {
        request.address = std::to_string(sign.address);
        request.alwaysDisplay = false;
        request.sendOptions = 0;
        request.replyTimeoutMs = options_.replyTimeoutMs;
        request.defaultName = job.argument;
        request.onAnswer = [&host, op](const SendSession& session) {
            if (op->name == "read-text-dir" || op->name == "read-graphic-dir")
                for (const DirectoryEntry& e : session.directory())
                    host.add(e.name + "\t" + std::to_string(e.size));
        };
        WorkArea work;
        bool haveDocument = false;
        if (!job.document.empty()) {
            OpenOptions open;
            open.mode = settings.mode;
            OpenResult r = readDocument(job.document, open);
            if (!r.ok) {
                host.add(r.error);
                permanent = true;
            } else {
                work = std::move(r.work);
                haveDocument = true;
            }
        }
        if (!permanent) {
            CSignLink link(comPortsFrom(settings));
            if (gateway_) link.setGprsDevices(&gateway_->monitor());
            outcome =
                runOperation(*op, link, host, haveDocument ? &work : nullptr, settings, request);
            if (!outcome.ok && !outcome.detail.empty()) host.add(outcome.detail);
            permanent = outcome.problem != OperationProblem::None;
        }
    }

    const int64_t now = nowMs();
    JobState state;
    int64_t next = now;
    if (outcome.ok) {
        state = JobState::Delivered;
        std::lock_guard lock(mutex_);
        lastSeen_[lower(sign.name)] = now;
    } else if (permanent) {
        state = JobState::Failed;
    } else if (cancel_) {
        state = JobState::Queued;  // cut short by the stop: sent again after the restart
        host.add("interrupted by a stop of the service; sent again");
    } else {
        next = now + retryPauseMs(job.attempts + 1, options_.firstRetryMs, options_.maxRetryMs);
        state = next >= job.expiresAt ? JobState::Expired : JobState::Queued;
    }
    store_.finishJob(job, state, host.text, next, now);
    publishJob(job.id);
}

bool Delivery::runThroughControl(const JobRecord& job, const SignRecord& sign,
                                 const Settings& settings, RecordingHost& log,
                                 OperationOutcome& outcome) {
    std::optional<UpdateKind> kind = controlKind(job.operation);
    if (!kind) {
        log.add(job.operation + " is not available in the NVS family");
        return false;
    }
    // Each run writes its graphics for the control into a folder of its own.
    const std::filesystem::path images =
        options_.environment.workDir / ("lumavox-server-nvs-" + std::to_string(job.id));
    ControlRouteConfig config = controlRouteConfigFrom(settings, images);
    config.addressList = std::to_string(sign.address);
    config.clearMemory = false;
    config.checkEach = true;
    SerialPort serial;
    std::string error;
    bool badText = false;
    if (!applyControlLink(sign.link, config, serial, error, badText)) {
        log.add(error);
        return !badText;  // a device that cannot be opened now may open later
    }
    WorkArea work;
    if (!job.document.empty()) {
        OpenOptions open;
        open.mode = SignMode::NVS;
        OpenResult r = readDocument(job.document, open);
        if (!r.ok) {
            log.add(r.error);
            return false;
        }
        work = std::move(r.work);
    }
    RecordingRouteHost host(log);
    const int failures = runControlOperation(
        *kind, config, job.document.empty() ? nullptr : &work, host, options_.environment.cacheDir,
        *options_.resources, [this] { return cancel_.load(); });
    std::error_code ec;
    std::filesystem::remove_all(images, ec);
    outcome.ok = failures == 0 && !host.failed;
    return true;
}

}  // namespace lumavox::server

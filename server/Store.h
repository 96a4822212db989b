// The service's registry of signs and its job queue, behind one interface: the
// SQLite file of one instance today, a shared SQL server later. Every change is
// one transaction: what a call reports as done is on disk, and a call that
// fails changes nothing.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lumavox::server {

struct SignRecord {
    std::string name;
    std::string link;  // as lumavox-cli's --link writes it
    int address = 1;
    std::string family = "KV2";  // "KV2" or "NVS"
    int width = 160;
    int height = 16;
    int colourType = 0;  // 0 tri-colour, 1 single colour
    std::vector<std::string> groups;
    int64_t createdAt = 0;  // seconds since the epoch
    bool operator==(const SignRecord&) const = default;
};

enum class JobState { Queued, Sending, Delivered, Failed, Expired, Cancelled };

const char* jobStateName(JobState state);
std::optional<JobState> jobStateFromName(const std::string& name);
// Delivered, failed, expired and cancelled jobs never change again.
inline bool isFinal(JobState s) {
    return s != JobState::Queued && s != JobState::Sending;
}

struct JobRecord {
    int64_t id = 0;
    std::string sign;
    std::string kind;               // "document", "message", "command" or "read"
    std::string operation;          // the sign operation run (lumavox-cli's command name)
    std::string argument;           // the default file's name for set-default
    std::vector<uint8_t> document;  // the document sent, as a document file
    std::string summary;            // what was asked, in a line
    JobState state = JobState::Queued;
    std::string detail;  // the session's own texts of the last attempt
    int attempts = 0;
    int64_t createdAt = 0;  // milliseconds since the epoch
    int64_t updatedAt = 0;
    int64_t nextTryAt = 0;
    int64_t expiresAt = 0;
};

// What a sign's row in the fleet shows of its jobs.
struct SignActivity {
    std::optional<JobRecord> waiting;  // the oldest job still queued or sending
    std::optional<JobRecord> last;     // the newest job, whatever its state
    int64_t shownJob = 0;              // the job whose document it shows (0: none)
};

// Sign names compare without letter case, as the registry keeps them.
struct SignNameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    }
};
using SignActivities = std::map<std::string, SignActivity, SignNameLess>;

// The last document delivered to a sign: what it should now be showing.
struct ShownDocument {
    int64_t jobId = 0;
    std::vector<uint8_t> document;
};

class Store {
  public:
    virtual ~Store() = default;

    // ---- Signs ----
    // False with the reason when a sign of that name exists or the write fails.
    virtual bool addSign(const SignRecord& sign, std::string& error) = 0;
    // Adds or replaces each sign, all or none.
    virtual bool putSigns(const std::vector<SignRecord>& signs, std::string& error) = 0;
    virtual std::optional<SignRecord> sign(const std::string& name) = 0;
    virtual std::vector<SignRecord> signs() = 0;
    // Removes the sign and cancels its unfinished jobs; false when there is none.
    virtual bool removeSign(const std::string& name, int64_t nowMs) = 0;
    virtual std::optional<ShownDocument> shown(const std::string& sign) = 0;
    // Every sign's activity (or only `sign`'s), keyed by the name as the jobs
    // spell it, in a fixed number of queries whatever the fleet's size. The
    // jobs come without their documents.
    virtual SignActivities activity(const std::string& sign = {}) = 0;

    // ---- Jobs ----
    // Queues every job (ids filled in), all or none. A queued document or
    // message for the same sign is replaced: cancelled, naming the new job.
    virtual bool addJobs(std::vector<JobRecord>& jobs, std::string& error) = 0;
    virtual std::optional<JobRecord> job(int64_t id) = 0;
    // Newest first; `sign` empty for every sign; `limit` at most.
    virtual std::vector<JobRecord> jobs(const std::string& sign, int limit) = 0;
    // Cancels a queued job; false when there is no job of that id or it is not
    // queued (`state` then says where it is).
    virtual bool cancelJob(int64_t id, int64_t nowMs, std::optional<JobState>& state) = 0;
    // Queued jobs whose next try is due, oldest first, without their documents
    // (job() reads a job whole).
    virtual std::vector<JobRecord> dueJobs(int64_t nowMs) = 0;
    // Queued -> sending; false when the job is no longer queued.
    virtual bool startJob(int64_t id, int64_t nowMs) = 0;
    // Records an attempt's end: the new state (queued again for a retry at
    // `nextTryAt`), the detail and the attempt count. A delivered document
    // becomes what the sign shows, in the same transaction.
    virtual void finishJob(const JobRecord& job, JobState state, const std::string& detail,
                           int64_t nextTryAt, int64_t nowMs) = 0;
    // Queued jobs past their expiry become expired; returns their ids.
    virtual std::vector<int64_t> expireJobs(int64_t nowMs) = 0;
    // At start: jobs left sending by a stop are queued again (they were not
    // reported delivered); returns how many.
    virtual int requeueInterrupted(int64_t nowMs) = 0;
};

}  // namespace lumavox::server

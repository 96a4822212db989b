// The registry and the job queue in one SQLite file, in write-ahead-log mode:
// a commit is on disk before the call returns, and a process killed at any
// moment leaves the file whole. The schema carries its version and is brought
// forward step by step when an older file is opened.
//
// Commits are flushed as a group: SQLite writes each commit to the log without
// waiting for the disk, and the call that made it then waits for one flush of
// the log that began after its commit. Callers on other threads (the API's
// requests, the delivery sessions) that commit meanwhile share that flush, so
// the disk's flush time bounds the rate of flushes, not of commits.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>

#include "server/Store.h"

struct sqlite3;

namespace lumavox::server {

class SqliteStore : public Store {
  public:
    // Opens (creating it when missing) and migrates the database; null with
    // the reason when the file cannot be used.
    static std::unique_ptr<SqliteStore> open(const std::filesystem::path& path, std::string& error);
    ~SqliteStore() override;

    // The schema version this program writes.
    static constexpr int kSchemaVersion = 2;
    int schemaVersion();
    // "ok" when SQLite's integrity check finds nothing wrong.
    std::string integrityCheck();
    // Flushes of the log made so far (each covers every commit before it).
    uint64_t flushes() const { return flushes_.load(); }

    bool addSign(const SignRecord& sign, std::string& error) override;
    bool putSigns(const std::vector<SignRecord>& signs, std::string& error) override;
    std::optional<SignRecord> sign(const std::string& name) override;
    std::vector<SignRecord> signs() override;
    bool removeSign(const std::string& name, int64_t nowMs) override;
    std::optional<ShownDocument> shown(const std::string& sign) override;
    SignActivities activity(const std::string& sign) override;

    bool addJobs(std::vector<JobRecord>& jobs, std::string& error) override;
    std::optional<JobRecord> job(int64_t id) override;
    std::vector<JobRecord> jobs(const std::string& sign, int limit) override;
    bool cancelJob(int64_t id, int64_t nowMs, std::optional<JobState>& state) override;
    std::vector<JobRecord> dueJobs(int64_t nowMs) override;
    bool startJob(int64_t id, int64_t nowMs) override;
    void finishJob(const JobRecord& job, JobState state, const std::string& detail,
                   int64_t nextTryAt, int64_t nowMs) override;
    std::vector<int64_t> expireJobs(int64_t nowMs) override;
    int requeueInterrupted(int64_t nowMs) override;

  private:
    class WriteLock;
    explicit SqliteStore(sqlite3* db) : db_(db) {}
    bool migrate(std::string& error);
    bool insertSign(const SignRecord& sign, bool replace, std::string& error);
    // Returns once commit number `commit` is on disk.
    void flushThrough(uint64_t commit);

    std::mutex mutex_;  // one connection, used by the API and the delivery threads
    sqlite3* db_;
    // The group flush: the log opened again for fdatasync (-1: SQLite flushes
    // every commit itself), commits numbered under mutex_.
    int logFd_ = -1;
    std::atomic<uint64_t> commits_{0};
    std::atomic<uint64_t> flushes_{0};
    std::mutex flushMutex_;
    std::condition_variable flushed_;
    uint64_t flushedThrough_ = 0;  // under flushMutex_
    bool flushing_ = false;        // under flushMutex_
};

}  // namespace lumavox::server

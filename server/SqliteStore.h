// The registry and the job queue in one SQLite file, in write-ahead-log mode
// with full synchronisation: a commit is on disk before the call returns, and a
// process killed at any moment leaves the file whole. The schema carries its
// version and is brought forward step by step when an older file is opened.
#pragma once

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
    explicit SqliteStore(sqlite3* db) : db_(db) {}
    bool migrate(std::string& error);
    bool insertSign(const SignRecord& sign, bool replace, std::string& error);

    std::mutex mutex_;  // one connection, used by the API and the delivery threads
    sqlite3* db_;
};

}  // namespace lumavox::server

#include "server/SqliteStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace lumavox::server {

namespace {

// The schema, one step per version: a file at version N runs the steps after N.
constexpr std::array<const char*, SqliteStore::kSchemaVersion> kMigrations = {
    // 1: the registry and the queue.
    "CREATE TABLE signs (name TEXT PRIMARY KEY COLLATE NOCASE, link TEXT NOT NULL,"
    " address INTEGER NOT NULL, family TEXT NOT NULL, width INTEGER NOT NULL,"
    " height INTEGER NOT NULL, colour_type INTEGER NOT NULL, created_at INTEGER NOT NULL);"
    "CREATE TABLE sign_groups (sign TEXT NOT NULL COLLATE NOCASE REFERENCES signs(name)"
    " ON DELETE CASCADE, grp TEXT NOT NULL COLLATE NOCASE, PRIMARY KEY (sign, grp));"
    "CREATE TABLE jobs (id INTEGER PRIMARY KEY AUTOINCREMENT, sign TEXT NOT NULL COLLATE NOCASE,"
    " kind TEXT NOT NULL, operation TEXT NOT NULL, argument TEXT NOT NULL, document BLOB,"
    " summary TEXT NOT NULL, state TEXT NOT NULL, detail TEXT NOT NULL, attempts INTEGER NOT NULL,"
    " created_at INTEGER NOT NULL, updated_at INTEGER NOT NULL, next_try_at INTEGER NOT NULL,"
    " expires_at INTEGER NOT NULL);"
    "CREATE INDEX jobs_by_sign ON jobs (sign, id);",
    // 2: what each sign was last sent, and the queue by state.
    "CREATE TABLE shown (sign TEXT PRIMARY KEY COLLATE NOCASE REFERENCES signs(name)"
    " ON DELETE CASCADE, job INTEGER NOT NULL, document BLOB NOT NULL);"
    "CREATE INDEX jobs_by_state ON jobs (state, next_try_at);",
};

// One prepared statement; finalised when it goes out of scope.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    Statement& bind(int i, const std::string& v) {
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, int64_t v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, const std::vector<uint8_t>& v) {
        if (v.empty())
            sqlite3_bind_null(stmt_, i);
        else
            sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    bool run() { return step() == SQLITE_DONE; }
    int64_t integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string text(int col) const {
        const unsigned char* t = sqlite3_column_text(stmt_, col);
        return t ? std::string(reinterpret_cast<const char*>(t),
                               static_cast<size_t>(sqlite3_column_bytes(stmt_, col)))
                 : std::string();
    }
    std::vector<uint8_t> blob(int col) const {
        const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, col));
        return b ? std::vector<uint8_t>(b, b + sqlite3_column_bytes(stmt_, col))
                 : std::vector<uint8_t>();
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(sqlite3* db) : db_(db) {
        began_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~Transaction() {
        if (began_ && !done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    bool began() const { return began_; }
    bool commit() {
        done_ = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        return done_;
    }

  private:
    sqlite3* db_;
    bool began_ = false;
    bool done_ = false;
};

constexpr const char* kJobColumns =
    "id, sign, kind, operation, argument, document, summary, state, detail, attempts,"
    " created_at, updated_at, next_try_at, expires_at";

JobRecord jobFrom(const Statement& s) {
    JobRecord j;
    j.id = s.integer(0);
    j.sign = s.text(1);
    j.kind = s.text(2);
    j.operation = s.text(3);
    j.argument = s.text(4);
    j.document = s.blob(5);
    j.summary = s.text(6);
    j.state = jobStateFromName(s.text(7)).value_or(JobState::Failed);
    j.detail = s.text(8);
    j.attempts = static_cast<int>(s.integer(9));
    j.createdAt = s.integer(10);
    j.updatedAt = s.integer(11);
    j.nextTryAt = s.integer(12);
    j.expiresAt = s.integer(13);
    return j;
}

}  // namespace

// The lock of a call that may write: when the call changed rows, its commit
// gets the next number, and once the connection is free for others the call
// waits until that commit is on disk.
class SqliteStore::WriteLock {
  public:
    explicit WriteLock(SqliteStore& store)
        : store_(store), lock_(store.mutex_), before_(sqlite3_total_changes64(store.db_)) {}
    ~WriteLock() {
        uint64_t commit = 0;
        if (sqlite3_total_changes64(store_.db_) != before_) commit = ++store_.commits_;
        lock_.unlock();
        if (commit) store_.flushThrough(commit);
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

  private:
    SqliteStore& store_;
    std::unique_lock<std::mutex> lock_;
    sqlite3_int64 before_;
};

void SqliteStore::flushThrough(uint64_t commit) {
    if (logFd_ < 0) return;  // SQLite flushed it with the commit
    std::unique_lock lock(flushMutex_);
    while (flushedThrough_ < commit) {
        if (flushing_) {
            flushed_.wait(lock);
            continue;
        }
        // This caller flushes for everyone: every commit numbered up to now
        // has been written to the log, so one flush covers them all.
        flushing_ = true;
        const uint64_t through = commits_.load();
        lock.unlock();
        if (::fdatasync(logFd_) != 0) std::perror("lumavox-server: flushing the database's log");
        ++flushes_;
        lock.lock();
        flushing_ = false;
        flushedThrough_ = std::max(flushedThrough_, through);
        flushed_.notify_all();
    }
}

const char* jobStateName(JobState state) {
    switch (state) {
        case JobState::Queued:
            return "queued";
        case JobState::Sending:
            return "sending";
        case JobState::Delivered:
            return "delivered";
        case JobState::Failed:
            return "failed";
        case JobState::Expired:
            return "expired";
        case JobState::Cancelled:
            return "cancelled";
    }
    return "failed";
}

std::optional<JobState> jobStateFromName(const std::string& name) {
    for (JobState s : {JobState::Queued, JobState::Sending, JobState::Delivered, JobState::Failed,
                       JobState::Expired, JobState::Cancelled})
        if (name == jobStateName(s)) return s;
    return std::nullopt;
}

std::unique_ptr<SqliteStore> SqliteStore::open(const std::filesystem::path& path,
                                               std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = path.string() + ": " + (db ? sqlite3_errmsg(db) : "cannot open the database");
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<SqliteStore> store(new SqliteStore(db));
    sqlite3_busy_timeout(db, 5000);
    char* message = nullptr;
    // Write-ahead log, committed to disk before a call returns, foreign keys
    // kept.
    if (sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;",
                     nullptr, nullptr, &message) != SQLITE_OK) {
        error = path.string() + ": " + (message ? message : "cannot set up the database");
        sqlite3_free(message);
        return nullptr;
    }
    if (!store->migrate(error)) {
        error = path.string() + ": " + error;
        return nullptr;
    }
    // The group flush: commits go to the log unflushed and the calls flush it
    // themselves (checkpoints still flush the log and the file). Where the log
    // cannot be opened, SQLite flushes every commit as before.
    const std::string log = path.string() + "-wal";
    store->logFd_ = ::open(log.c_str(), O_RDONLY | O_CLOEXEC);
    if (store->logFd_ >= 0 &&
        (sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr) != SQLITE_OK ||
         ::fdatasync(store->logFd_) != 0)) {
        ::close(store->logFd_);
        store->logFd_ = -1;
        sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    }
    return store;
}

SqliteStore::~SqliteStore() {
    sqlite3_close(db_);
    if (logFd_ >= 0) ::close(logFd_);
}

int SqliteStore::schemaVersion() {
    std::lock_guard lock(mutex_);
    Statement s(db_, "PRAGMA user_version");
    return s.step() == SQLITE_ROW ? static_cast<int>(s.integer(0)) : -1;
}

std::string SqliteStore::integrityCheck() {
    std::lock_guard lock(mutex_);
    Statement s(db_, "PRAGMA integrity_check");
    std::string result;
    while (s.step() == SQLITE_ROW)
        result += (result.empty() ? "" : "\n") + s.text(0);
    return result;
}

bool SqliteStore::migrate(std::string& error) {
    int version = 0;
    {
        Statement s(db_, "PRAGMA user_version");
        if (s.step() == SQLITE_ROW) version = static_cast<int>(s.integer(0));
    }
    if (version > kSchemaVersion) {
        error = "the database has schema version " + std::to_string(version) +
                ", newer than this program's " + std::to_string(kSchemaVersion);
        return false;
    }
    for (int v = version; v < kSchemaVersion; ++v) {
        Transaction t(db_);
        char* message = nullptr;
        const std::string sql = std::string(kMigrations[static_cast<size_t>(v)]) +
                                "PRAGMA user_version=" + std::to_string(v + 1) + ";";
        if (!t.began() || sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK ||
            !t.commit()) {
            error = "schema step " + std::to_string(v + 1) + ": " +
                    (message ? message : sqlite3_errmsg(db_));
            sqlite3_free(message);
            return false;
        }
    }
    return true;
}

bool SqliteStore::insertSign(const SignRecord& r, bool replace, std::string& error) {
    if (replace) {
        Statement d(db_, "DELETE FROM sign_groups WHERE sign = ?");
        if (!d.bind(1, r.name).run()) return (error = sqlite3_errmsg(db_), false);
    }
    Statement s(db_, replace ? "INSERT INTO signs VALUES (?,?,?,?,?,?,?,?) ON CONFLICT(name) DO "
                               "UPDATE SET link=excluded.link, address=excluded.address, "
                               "family=excluded.family, width=excluded.width, "
                               "height=excluded.height, colour_type=excluded.colour_type"
                             : "INSERT INTO signs VALUES (?,?,?,?,?,?,?,?)");
    s.bind(1, r.name).bind(2, r.link).bind(3, int64_t{r.address}).bind(4, r.family);
    s.bind(5, int64_t{r.width}).bind(6, int64_t{r.height}).bind(7, int64_t{r.colourType});
    s.bind(8, r.createdAt);
    int rc = s.step();
    if (rc == SQLITE_CONSTRAINT) {
        error = "a sign named " + r.name + " exists";
        return false;
    }
    if (rc != SQLITE_DONE) return (error = sqlite3_errmsg(db_), false);
    for (const std::string& g : r.groups) {
        Statement gs(db_, "INSERT OR IGNORE INTO sign_groups VALUES (?,?)");
        if (!gs.bind(1, r.name).bind(2, g).run()) return (error = sqlite3_errmsg(db_), false);
    }
    return true;
}

bool SqliteStore::addSign(const SignRecord& sign, std::string& error) {
    WriteLock lock(*this);
    Transaction t(db_);
    if (!t.began()) return (error = sqlite3_errmsg(db_), false);
    if (!insertSign(sign, false, error)) return false;
    return t.commit() || (error = sqlite3_errmsg(db_), false);
}

bool SqliteStore::putSigns(const std::vector<SignRecord>& signs, std::string& error) {
    WriteLock lock(*this);
    Transaction t(db_);
    if (!t.began()) return (error = sqlite3_errmsg(db_), false);
    for (const SignRecord& s : signs)
        if (!insertSign(s, true, error)) return false;
    return t.commit() || (error = sqlite3_errmsg(db_), false);
}

namespace {

std::vector<SignRecord> readSigns(sqlite3* db, const std::string* name) {
    Statement s(db, name ? "SELECT name, link, address, family, width, height, colour_type, "
                           "created_at FROM signs WHERE name = ?"
                         : "SELECT name, link, address, family, width, height, colour_type, "
                           "created_at FROM signs ORDER BY name");
    if (name) s.bind(1, *name);
    std::vector<SignRecord> out;
    while (s.step() == SQLITE_ROW) {
        SignRecord r;
        r.name = s.text(0);
        r.link = s.text(1);
        r.address = static_cast<int>(s.integer(2));
        r.family = s.text(3);
        r.width = static_cast<int>(s.integer(4));
        r.height = static_cast<int>(s.integer(5));
        r.colourType = static_cast<int>(s.integer(6));
        r.createdAt = s.integer(7);
        out.push_back(std::move(r));
    }
    // The groups in one pass, matched to the signs by name.
    Statement g(db, name ? "SELECT sign, grp FROM sign_groups WHERE sign = ? ORDER BY sign, grp"
                         : "SELECT sign, grp FROM sign_groups ORDER BY sign, grp");
    if (name) g.bind(1, *name);
    size_t at = 0;
    while (g.step() == SQLITE_ROW) {
        const std::string signName = g.text(0);
        while (at < out.size() && sqlite3_stricmp(out[at].name.c_str(), signName.c_str()) < 0)
            ++at;
        if (at < out.size() && sqlite3_stricmp(out[at].name.c_str(), signName.c_str()) == 0)
            out[at].groups.push_back(g.text(1));
    }
    return out;
}

}  // namespace

std::optional<SignRecord> SqliteStore::sign(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::vector<SignRecord> found = readSigns(db_, &name);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

std::vector<SignRecord> SqliteStore::signs() {
    std::lock_guard lock(mutex_);
    return readSigns(db_, nullptr);
}

bool SqliteStore::removeSign(const std::string& name, int64_t nowMs) {
    WriteLock lock(*this);
    Transaction t(db_);
    if (!t.began()) return false;
    Statement c(db_,
                "UPDATE jobs SET state = 'cancelled', detail = 'the sign was removed', "
                "updated_at = ? WHERE sign = ? AND state IN ('queued', 'sending')");
    if (!c.bind(1, nowMs).bind(2, name).run()) return false;
    Statement d(db_, "DELETE FROM signs WHERE name = ?");
    if (!d.bind(1, name).run() || sqlite3_changes(db_) == 0) return false;
    return t.commit();
}

std::optional<ShownDocument> SqliteStore::shown(const std::string& sign) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT job, document FROM shown WHERE sign = ?");
    s.bind(1, sign);
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return ShownDocument{s.integer(0), s.blob(1)};
}

SignActivities SqliteStore::activity(const std::string& sign) {
    std::lock_guard lock(mutex_);
    // The jobs without their documents. The waiting jobs come from the queue's
    // index (only unfinished jobs are read); each sign's newest job is one
    // look-up in the index by sign.
    const std::string columns =
        "id, sign, kind, operation, argument, NULL, summary, state, detail, attempts,"
        " created_at, updated_at, next_try_at, expires_at";
    const std::string only = sign.empty() ? "" : " AND sign = ?1";
    const std::string sql =
        "SELECT " + columns +
        ", 0 FROM jobs WHERE id IN (SELECT MIN(id) FROM jobs WHERE state"
        " IN ('queued', 'sending')" +
        only + " GROUP BY sign) UNION ALL SELECT " + columns +
        ", 1 FROM jobs WHERE id IN (SELECT (SELECT MAX(id) FROM jobs WHERE jobs.sign = s.name)"
        " FROM signs s" +
        (sign.empty() ? "" : " WHERE s.name = ?1") + ")";
    SignActivities out;
    Statement s(db_, sql.c_str());
    if (!sign.empty()) s.bind(1, sign);
    while (s.step() == SQLITE_ROW) {
        JobRecord j = jobFrom(s);
        SignActivity& a = out[j.sign];
        (s.integer(14) ? a.last : a.waiting) = std::move(j);
    }
    Statement shown(db_, sign.empty() ? "SELECT sign, job FROM shown"
                                      : "SELECT sign, job FROM shown WHERE sign = ?");
    if (!sign.empty()) shown.bind(1, sign);
    while (shown.step() == SQLITE_ROW)
        out[shown.text(0)].shownJob = shown.integer(1);
    return out;
}

bool SqliteStore::addJobs(std::vector<JobRecord>& jobs, std::string& error) {
    WriteLock lock(*this);
    Transaction t(db_);
    if (!t.began()) return (error = sqlite3_errmsg(db_), false);
    for (JobRecord& j : jobs) {
        Statement s(db_,
                    "INSERT INTO jobs (sign, kind, operation, argument, document, summary, state, "
                    "detail, attempts, created_at, updated_at, next_try_at, expires_at) VALUES "
                    "(?,?,?,?,?,?,?,?,?,?,?,?,?)");
        s.bind(1, j.sign).bind(2, j.kind).bind(3, j.operation).bind(4, j.argument);
        s.bind(5, j.document).bind(6, j.summary).bind(7, std::string(jobStateName(j.state)));
        s.bind(8, j.detail).bind(9, int64_t{j.attempts}).bind(10, j.createdAt);
        s.bind(11, j.updatedAt).bind(12, j.nextTryAt).bind(13, j.expiresAt);
        if (!s.run()) return (error = sqlite3_errmsg(db_), false);
        j.id = sqlite3_last_insert_rowid(db_);
        if (!j.document.empty()) {
            // A newer document for the sign takes the place of one still waiting.
            Statement r(db_,
                        "UPDATE jobs SET state = 'cancelled', detail = ?, updated_at = ? WHERE "
                        "sign = ? AND state = 'queued' AND document IS NOT NULL AND id < ?");
            r.bind(1, "replaced by job " + std::to_string(j.id)).bind(2, j.createdAt);
            r.bind(3, j.sign).bind(4, j.id);
            if (!r.run()) return (error = sqlite3_errmsg(db_), false);
        }
    }
    return t.commit() || (error = sqlite3_errmsg(db_), false);
}

std::optional<JobRecord> SqliteStore::job(int64_t id) {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string("SELECT ") + kJobColumns + " FROM jobs WHERE id = ?").c_str());
    s.bind(1, id);
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return jobFrom(s);
}

std::vector<JobRecord> SqliteStore::jobs(const std::string& sign, int limit) {
    std::lock_guard lock(mutex_);
    const std::string sql = std::string("SELECT ") + kJobColumns + " FROM jobs" +
                            (sign.empty() ? "" : " WHERE sign = ?") + " ORDER BY id DESC LIMIT ?";
    Statement s(db_, sql.c_str());
    int i = 1;
    if (!sign.empty()) s.bind(i++, sign);
    s.bind(i, int64_t{limit});
    std::vector<JobRecord> out;
    while (s.step() == SQLITE_ROW)
        out.push_back(jobFrom(s));
    return out;
}

bool SqliteStore::cancelJob(int64_t id, int64_t nowMs, std::optional<JobState>& state) {
    WriteLock lock(*this);
    Statement u(db_,
                "UPDATE jobs SET state = 'cancelled', detail = 'cancelled by a request', "
                "updated_at = ? WHERE id = ? AND state = 'queued'");
    if (u.bind(1, nowMs).bind(2, id).run() && sqlite3_changes(db_) == 1) {
        state = JobState::Cancelled;
        return true;
    }
    Statement s(db_, "SELECT state FROM jobs WHERE id = ?");
    s.bind(1, id);
    state = s.step() == SQLITE_ROW ? jobStateFromName(s.text(0)) : std::nullopt;
    return false;
}

std::vector<JobRecord> SqliteStore::dueJobs(int64_t nowMs) {
    std::lock_guard lock(mutex_);
    // The scheduler asks every half second, also for jobs that wait for a
    // device: the documents stay on disk until a job is started.
    Statement s(db_,
                "SELECT id, sign, kind, operation, argument, NULL, summary, state, detail, "
                "attempts, created_at, updated_at, next_try_at, expires_at FROM jobs WHERE "
                "state = 'queued' AND next_try_at <= ? ORDER BY id");
    s.bind(1, nowMs);
    std::vector<JobRecord> out;
    while (s.step() == SQLITE_ROW)
        out.push_back(jobFrom(s));
    return out;
}

bool SqliteStore::startJob(int64_t id, int64_t nowMs) {
    WriteLock lock(*this);
    Statement u(db_,
                "UPDATE jobs SET state = 'sending', updated_at = ? WHERE id = ? AND state = "
                "'queued'");
    return u.bind(1, nowMs).bind(2, id).run() && sqlite3_changes(db_) == 1;
}

void SqliteStore::finishJob(const JobRecord& job, JobState state, const std::string& detail,
                            int64_t nextTryAt, int64_t nowMs) {
    WriteLock lock(*this);
    Transaction t(db_);
    Statement u(db_,
                "UPDATE jobs SET state = ?, detail = ?, attempts = attempts + 1, updated_at = ?, "
                "next_try_at = ? WHERE id = ?");
    u.bind(1, std::string(jobStateName(state))).bind(2, detail).bind(3, nowMs);
    u.bind(4, nextTryAt).bind(5, job.id);
    if (!u.run()) return;
    if (state == JobState::Delivered && !job.document.empty()) {
        Statement s(db_,
                    "INSERT OR REPLACE INTO shown SELECT name, ?, ? FROM signs WHERE name = ?");
        if (!s.bind(1, job.id).bind(2, job.document).bind(3, job.sign).run()) return;
    }
    t.commit();
}

std::vector<int64_t> SqliteStore::expireJobs(int64_t nowMs) {
    WriteLock lock(*this);
    Transaction t(db_);
    std::vector<int64_t> ids;
    Statement s(db_, "SELECT id FROM jobs WHERE state = 'queued' AND expires_at <= ?");
    s.bind(1, nowMs);
    while (s.step() == SQLITE_ROW)
        ids.push_back(s.integer(0));
    if (ids.empty()) return ids;
    Statement u(db_,
                "UPDATE jobs SET state = 'expired', updated_at = ?, detail = CASE WHEN detail = '' "
                "THEN 'expired before the sign could be reached' ELSE detail END "
                "WHERE state = 'queued' AND expires_at <= ?");
    if (!u.bind(1, nowMs).bind(2, nowMs).run() || !t.commit()) return {};
    return ids;
}

int SqliteStore::requeueInterrupted(int64_t nowMs) {
    WriteLock lock(*this);
    Statement u(db_,
                "UPDATE jobs SET state = 'queued', next_try_at = ?, updated_at = ?, detail = "
                "'interrupted by a stop of the service; sent again' WHERE state = 'sending'");
    if (!u.bind(1, nowMs).bind(2, nowMs).run()) return 0;
    return sqlite3_changes(db_);
}

}  // namespace lumavox::server

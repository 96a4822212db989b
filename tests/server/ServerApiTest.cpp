// The service's storage, request decoding and API in process: a real SQLite
// file in a private folder, requests handed to the API as the HTTP layer
// hands them over.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "content/Document.h"
#include "content/Json.h"
#include "server/Api.h"
#include "server/Delivery.h"
#include "server/Import.h"
#include "server/JobRequest.h"
#include "server/SqliteStore.h"
#include "support/TestSupport.h"

namespace lumavox::server {
namespace {

namespace fs = std::filesystem;

using test::TempDir;

JsonValue parsed(const std::string& text) {
    JsonValue v;
    std::string error;
    EXPECT_TRUE(parseJson(text, v, error)) << error << "\n" << text;
    return v;
}

SignRecord tcpSign(const std::string& name, std::vector<std::string> groups = {}) {
    SignRecord s;
    s.name = name;
    s.link = "tcp:127.0.0.1:5005";
    s.width = 96;
    s.groups = std::move(groups);
    return s;
}

TEST(ServerStore, AnOlderDatabaseIsBroughtForwardAndANewerOneRefused) {
    TempDir dir;
    const fs::path path = dir / "old.db";
    {
        // A database as the first schema wrote it, with one sign.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(db,
                         "CREATE TABLE signs (name TEXT PRIMARY KEY COLLATE NOCASE, link TEXT "
                         "NOT NULL, address INTEGER NOT NULL, family TEXT NOT NULL, width "
                         "INTEGER NOT NULL, height INTEGER NOT NULL, colour_type INTEGER NOT "
                         "NULL, created_at INTEGER NOT NULL);"
                         "CREATE TABLE sign_groups (sign TEXT NOT NULL COLLATE NOCASE "
                         "REFERENCES signs(name) ON DELETE CASCADE, grp TEXT NOT NULL COLLATE "
                         "NOCASE, PRIMARY KEY (sign, grp));"
                         "CREATE TABLE jobs (id INTEGER PRIMARY KEY AUTOINCREMENT, sign TEXT "
                         "NOT NULL COLLATE NOCASE, kind TEXT NOT NULL, operation TEXT NOT NULL, "
                         "argument TEXT NOT NULL, document BLOB, summary TEXT NOT NULL, state "
                         "TEXT NOT NULL, detail TEXT NOT NULL, attempts INTEGER NOT NULL, "
                         "created_at INTEGER NOT NULL, updated_at INTEGER NOT NULL, "
                         "next_try_at INTEGER NOT NULL, expires_at INTEGER NOT NULL);"
                         "CREATE INDEX jobs_by_sign ON jobs (sign, id);"
                         "INSERT INTO signs VALUES ('door', 'tcp:10.0.0.5:5005', 1, 'KV2', 160, "
                         "16, 0, 1);"
                         "INSERT INTO sign_groups VALUES ('door', 'hall');"
                         "PRAGMA user_version=1;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
    }
    std::string error;
    auto store = SqliteStore::open(path, error);
    ASSERT_TRUE(store) << error;
    EXPECT_EQ(store->schemaVersion(), SqliteStore::kSchemaVersion);
    auto door = store->sign("DOOR");
    ASSERT_TRUE(door);
    EXPECT_EQ(door->groups, std::vector<std::string>{"hall"});
    EXPECT_FALSE(store->shown("door"));  // the table of the second step exists
    store.reset();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_FALSE(SqliteStore::open(path, error));
    EXPECT_NE(error.find("newer than this program's"), std::string::npos) << error;
}

TEST(ServerStore, EveryChangeIsFlushedBeforeItsCallReturnsAndReadsFlushNothing) {
    TempDir dir;
    std::string error;
    std::unique_ptr<SqliteStore> store = SqliteStore::open(dir / "flush.db", error);
    ASSERT_TRUE(store) << error;
    const uint64_t start = store->flushes();
    ASSERT_TRUE(store->addSign(tcpSign("door"), error)) << error;
    EXPECT_EQ(store->flushes(), start + 1) << "the accepted sign is on disk";
    // Reads, a refused change and a look for expired jobs write nothing.
    store->signs();
    store->sign("door");
    store->jobs("", 10);
    store->dueJobs(0);
    EXPECT_TRUE(store->expireJobs(1000).empty());
    EXPECT_FALSE(store->addSign(tcpSign("DOOR"), error));
    EXPECT_EQ(store->flushes(), start + 1);

    // Callers at once each return with their change on disk; a flush may
    // cover several of them, never none.
    std::vector<std::thread> callers;
    for (int t = 0; t < 8; ++t)
        callers.emplace_back([&store, t] {
            std::string e;
            for (int i = 0; i < 25; ++i)
                EXPECT_TRUE(store->addSign(tcpSign("s" + std::to_string(t * 25 + i)), e)) << e;
        });
    for (std::thread& c : callers)
        c.join();
    EXPECT_EQ(store->signs().size(), 201u);
    EXPECT_GE(store->flushes(), start + 2);
    EXPECT_LE(store->flushes(), start + 201);
    EXPECT_EQ(store->integrityCheck(), "ok");
}

TEST(ServerStore, ANewerDocumentReplacesTheQueuedOneAndAStopRequeuesWhatWasSending) {
    TempDir dir;
    std::string error;
    auto store = SqliteStore::open(dir / "s.db", error);
    ASSERT_TRUE(store) << error;
    ASSERT_TRUE(store->addSign(tcpSign("door"), error)) << error;
    EXPECT_FALSE(store->addSign(tcpSign("Door"), error));  // names ignore letter case
    EXPECT_EQ(store->signs().size(), 1u);

    auto job = [](const std::string& kind, std::vector<uint8_t> doc) {
        JobRecord j;
        j.sign = "door";
        j.kind = kind;
        j.operation = doc.empty() ? "adjust-time" : "send-all";
        j.document = std::move(doc);
        j.expiresAt = 1'000'000;
        return j;
    };
    std::vector<JobRecord> first = {job("message", {1, 2, 3}), job("command", {})};
    ASSERT_TRUE(store->addJobs(first, error)) << error;
    std::vector<JobRecord> second = {job("message", {4, 5})};
    ASSERT_TRUE(store->addJobs(second, error)) << error;
    EXPECT_EQ(store->job(first[0].id)->state, JobState::Cancelled);
    EXPECT_EQ(store->job(first[0].id)->detail, "replaced by job " + std::to_string(second[0].id));
    EXPECT_EQ(store->job(first[1].id)->state, JobState::Queued);  // a command is not replaced

    ASSERT_TRUE(store->startJob(second[0].id, 10));
    EXPECT_FALSE(store->startJob(second[0].id, 10));
    std::optional<JobState> state;
    EXPECT_FALSE(store->cancelJob(second[0].id, 11, state));
    EXPECT_EQ(state, JobState::Sending);
    EXPECT_EQ(store->requeueInterrupted(12), 1);
    EXPECT_EQ(store->job(second[0].id)->state, JobState::Queued);
    EXPECT_TRUE(store->cancelJob(second[0].id, 13, state));

    // Delivered: the document becomes what the sign shows.
    ASSERT_TRUE(store->startJob(first[1].id, 20));
    store->finishJob(*store->job(first[1].id), JobState::Delivered, "ok", 20, 20);
    EXPECT_FALSE(store->shown("door"));  // a command carries no document
    std::vector<JobRecord> third = {job("document", {7, 7, 7})};
    ASSERT_TRUE(store->addJobs(third, error));
    ASSERT_TRUE(store->startJob(third[0].id, 30));
    store->finishJob(third[0], JobState::Delivered, "ok", 30, 30);
    ASSERT_TRUE(store->shown("door"));
    EXPECT_EQ(store->shown("door")->document, (std::vector<uint8_t>{7, 7, 7}));

    std::vector<JobRecord> late = {job("command", {})};
    late[0].expiresAt = 40;
    ASSERT_TRUE(store->addJobs(late, error));
    EXPECT_EQ(store->expireJobs(50), std::vector<int64_t>{late[0].id});
    EXPECT_EQ(store->job(late[0].id)->state, JobState::Expired);

    EXPECT_TRUE(store->removeSign("door", 60));
    EXPECT_FALSE(store->removeSign("door", 60));
    EXPECT_FALSE(store->shown("door"));
    EXPECT_EQ(store->integrityCheck(), "ok");
}

TEST(ServerJobs, RefusalsNameTheValueAtFaultAndQueueNothing) {
    std::vector<SignRecord> signs = {tcpSign("door", {"hall"}), tcpSign("gate", {"hall"}),
                                     tcpSign("yard")};
    struct Case {
        const char* body;
        int status;
        const char* error;
    } cases[] = {
        {R"({"sign":"door","message":{"text":"Hi","speed":9}})", 400,
         "$.message.speed: must be 1..8"},
        {R"({"sign":"door","message":{"text":"Hi","colour":"[PINK]"}})", 400,
         "$.message.colour: is no colour of the KV2 family"},
        {R"({"sign":"door","message":{"text":""}})", 400, "$.message.text: must be a text"},
        {R"({"sign":"door","message":{"text":"Hi","font":1}})", 400, "$.message.font: unknown key"},
        {R"({"sign":"door","message":{"text":"Hi"},"colour":1})", 400, "$.colour: unknown key"},
        {R"({"sign":"nobody","command":"adjust-time"})", 404, "$.sign: no sign is named nobody"},
        {R"({"group":"attic","command":"adjust-time"})", 404, "$.group: no sign is in group"},
        {R"({"sign":"door","group":"hall","command":"adjust-time"})", 400, "$: name exactly one"},
        {R"({"sign":"door"})", 400, "$: name exactly one of \"message\""},
        {R"({"sign":"door","command":"send-all"})", 400, "$.command: must be one of adjust-time"},
        {R"({"sign":"door","command":"set-default"})", 400, "$.name: the default file's name"},
        {R"({"sign":"door","command":"on","name":"X"})", 400, "$.name: sign-on takes no name"},
        {R"({"sign":"door","glm":"not base64!"})", 400, "$.glm: must be a document file"},
        {R"({"sign":"door","glm":"AAAA"})", 400, "$.glm: "},
        {R"({"sign":"door","document":{"textFiles":[{"name":"A","items":[{"type":"speed","speed":0}]}]}})",
         400, "$.document.textFiles[0].items[0].speed: must be 1..8"},
        {R"({"sign":"door","command":"on","expires":0})", 400, "$.expires: must be 1.."},
    };
    for (const Case& c : cases) {
        DecodedJobs d = decodeJobRequest(parsed(c.body), signs, 1000);
        EXPECT_EQ(d.status, c.status) << c.body;
        EXPECT_EQ(d.error.rfind(c.error, 0), 0u) << c.body << "\n" << d.error;
        EXPECT_TRUE(d.jobs.empty()) << c.body;
    }

    DecodedJobs group = decodeJobRequest(
        parsed(R"({"group":"HALL","message":{"text":"Hi","colour":"[GRN]","speed":3,"effect":1}})"),
        signs, 1000);
    ASSERT_EQ(group.status, 0) << group.error;
    ASSERT_EQ(group.jobs.size(), 2u);
    EXPECT_EQ(group.jobs[0].sign, "door");
    EXPECT_EQ(group.jobs[1].sign, "gate");
    EXPECT_FALSE(group.jobs[0].document.empty());
    EXPECT_EQ(group.jobs[0].expiresAt, 1000 + 86400 * 1000);

    DecodedJobs alias = decodeJobRequest(parsed(R"({"all":true,"command":"off"})"), signs, 0);
    ASSERT_EQ(alias.jobs.size(), 3u);
    EXPECT_EQ(alias.jobs[2].operation, "sign-off");
}

TEST(ServerImport, TheEditorsGroupsBecomeSignsAndRegisteredOnesOnlyJoinTheGroup) {
    Settings settings;
    settings.tcpPort = 5005;
    settings.address = "3,5";
    settings.tcpGroups = {{"Lobby", "10.0.0.5, 10.0.0.6"}, {"Upstairs", "10.0.0.6"}};
    settings.gprsGroups = {{"Bus line 7", {"BUS 7", "BUS8", ""}}};
    DefaultSignSize size{128, 32, 1};
    SignRecord known = tcpSign("10.0.0.5", {"old"});
    ImportedSigns got = signsFromStoredGroups(settings, size, {known}, 99);

    ASSERT_EQ(got.signs.size(), 4u);
    std::map<std::string, SignRecord> byName;
    for (const SignRecord& s : got.signs)
        byName[s.name] = s;
    EXPECT_EQ(byName["10.0.0.5"].link, known.link);  // kept as registered
    EXPECT_EQ(byName["10.0.0.5"].groups, (std::vector<std::string>{"old", "Lobby"}));
    EXPECT_EQ(byName["10.0.0.6"].link, "tcp:10.0.0.6:5005");
    EXPECT_EQ(byName["10.0.0.6"].groups, (std::vector<std::string>{"Lobby", "Upstairs"}));
    EXPECT_EQ(byName["10.0.0.6"].address, 3);
    EXPECT_EQ(byName["10.0.0.6"].height, 32);
    EXPECT_EQ(byName["BUS_7"].link, "gprs:BUS 7");
    EXPECT_EQ(byName["BUS_7"].groups, std::vector<std::string>{"Bus_line_7"});
    EXPECT_EQ(got.skipped.size(), 1u);
    EXPECT_EQ(registryName(".hidden/../x"), "_hidden_.._x");
}

TEST(ServerDelivery, OneLineIsOnePortModemHostOrDeviceAndPausesGrowToAMinute) {
    Settings settings;
    settings.comDevices[7] = "/dev/ttyUSB0";
    EXPECT_EQ(lineOf("serial:/dev/ttyUSB0@9600", settings), lineOf("com:7", settings));
    EXPECT_EQ(lineOf("serial:/dev/ttyUSB0", settings),
              lineOf("serial:/dev/ttyUSB0@19200", settings));
    EXPECT_EQ(lineOf("com:1", settings), "serial:/dev/ttyS0");
    EXPECT_EQ(lineOf("modem:123", settings), lineOf("modem:456", settings));
    EXPECT_EQ(lineOf("tcp:Sign.example:5005", settings), lineOf("tcp:sign.example:5005", settings));
    EXPECT_NE(lineOf("tcp:10.0.0.5:5005", settings), lineOf("tcp:10.0.0.5:5006", settings));
    EXPECT_NE(lineOf("gprs:BUS7", settings), lineOf("gprs:BUS8", settings));

    std::vector<int> pauses;
    for (int attempt = 1; attempt <= 8; ++attempt)
        pauses.push_back(retryPauseMs(attempt, 2000, 60000));
    EXPECT_EQ(pauses, (std::vector<int>{2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
}

// The API over a fresh store, with the OpenAPI document as the checklist.
class ApiFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        store = SqliteStore::open(dir / "api.db", error);
        ASSERT_TRUE(store) << error;
        ApiOptions options;
        options.token = "secret";
        options.maxBodyBytes = 4096;
        options.programDir = std::getenv("LUMAVOX_HOME") ? std::getenv("LUMAVOX_HOME") : ".";
        options.previewDir = dir / "previews";
        options.webFiles = {{"index.html", "<!doctype html><title>Fleet</title>"},
                            {"fleet.js", "\"use strict\";"}};
        api = std::make_unique<Api>(
            *store, events, ApiDelivery{[](const SignRecord&) { return SignStatus{}; }, [] {}},
            options);
    }
    ApiResponse call(const std::string& method, const std::string& path, std::string body = {},
                     std::string token = "secret") {
        ApiRequest r;
        r.method = method;
        r.path = path;
        r.authorization = token.empty() ? "" : "Bearer " + token;
        r.body = std::move(body);
        return api->handle(r);
    }

    TempDir dir;
    EventHub events;
    std::unique_ptr<SqliteStore> store;
    std::unique_ptr<Api> api;
};

TEST_F(ApiFixture, EveryRouteAnswersAsTheOpenApiDocumentSays) {
    ASSERT_EQ(
        call("POST", "/api/v1/signs",
             R"({"name":"door","link":"tcp:127.0.0.1:5005","address":1,"width":96,"height":16})")
            .status,
        201);
    ApiResponse queued = call("POST", "/api/v1/jobs", R"({"sign":"door","command":"adjust-time"})");
    ASSERT_EQ(queued.status, 202) << queued.body;
    const std::string id = std::to_string(parsed(queued.body).find("id")->number);

    JsonValue doc = parsed(call("GET", "/api/v1/openapi.json").body);
    const JsonValue* paths = doc.find("paths");
    ASSERT_TRUE(paths && paths->isObject());
    std::map<std::string, std::string> bodies = {
        {"POST /api/v1/signs", R"({"name":"gate","link":"serial:/dev/ttyS0@9600"})"},
        {"POST /api/v1/jobs", R"({"sign":"door","message":{"text":"Hi"}})"},
        {"POST /api/v1/preview", R"({"sign":"door","message":{"text":"Hi"}})"},
    };
    int checked = 0;
    for (const auto& [path, item] : paths->members) {
        std::string concrete = path;
        if (auto at = concrete.find("{name}"); at != std::string::npos)
            concrete.replace(at, 6, "door");
        if (auto at = concrete.find("{id}"); at != std::string::npos) concrete.replace(at, 4, id);
        for (const auto& [method, operation] : item.members) {
            if (method == "parameters") continue;
            std::string upper = method;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (concrete == "/api/v1/events") continue;  // a stream: the service test reads it
            const JsonValue* responses = operation.find("responses");
            ASSERT_TRUE(responses) << path << " " << method;
            ApiResponse r = call(upper, concrete, bodies[upper + " " + path]);
            if (concrete.find("preview.gif") != std::string::npos) {
                EXPECT_EQ(r.status, 404) << "nothing was delivered yet";
            }
            EXPECT_TRUE(responses->find(std::to_string(r.status)))
                << upper << " " << concrete << " answered " << r.status << " " << r.body;
            const JsonValue* security = operation.find("security");
            if (!security || !security->elements.empty()) {
                ApiResponse refused = call(upper, concrete, {}, "");
                EXPECT_EQ(refused.status, 401) << upper << " " << concrete;
                EXPECT_TRUE(responses->find("401")) << upper << " " << path;
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 12);
}

std::string header(const ApiResponse& r, const std::string& name) {
    for (const auto& [k, v] : r.headers)
        if (k == name) return v;
    return {};
}

TEST_F(ApiFixture, ThePageLoadsWithoutTheTokenAndIsAskedForAgainOnlyWhenItChanged) {
    ApiResponse page = call("GET", "/", {}, "");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.contentType, "text/html; charset=utf-8");
    EXPECT_EQ(page.body, "<!doctype html><title>Fleet</title>");
    EXPECT_EQ(header(page, "Cache-Control"), "no-cache");
    EXPECT_NE(header(page, "Content-Security-Policy").find("script-src 'self'"), std::string::npos);
    const std::string tag = header(page, "ETag");
    ASSERT_FALSE(tag.empty());
    ApiRequest again;
    again.method = "GET";
    again.path = "/index.html";
    again.ifNoneMatch = tag;
    ApiResponse held = api->handle(again);
    EXPECT_EQ(held.status, 304);
    EXPECT_TRUE(held.body.empty());
    EXPECT_EQ(call("GET", "/fleet.js", {}, "").contentType, "text/javascript; charset=utf-8");
    EXPECT_NE(header(call("GET", "/fleet.js", {}, ""), "ETag"), tag);
    EXPECT_EQ(call("GET", "/secret.txt", {}, "").status, 404);
    EXPECT_EQ(call("GET", "/../token", {}, "").status, 404);
    EXPECT_EQ(call("POST", "/", {}, "").status, 405);
    // The API's answers are never kept by a browser.
    EXPECT_EQ(header(call("GET", "/api/v1/signs"), "Cache-Control"), "no-store");
}

TEST_F(ApiFixture, EachSignsRowCarriesTheJobItWaitsForItsNewestJobAndWhatItShows) {
    ASSERT_EQ(
        call("POST", "/api/v1/signs", R"({"name":"door","link":"tcp:127.0.0.1:5005"})").status,
        201);
    ASSERT_EQ(
        call("POST", "/api/v1/signs", R"({"name":"gate","link":"tcp:127.0.0.1:5006"})").status,
        201);
    auto queue = [&](const std::string& body) {
        ApiResponse r = call("POST", "/api/v1/jobs", body);
        EXPECT_EQ(r.status, 202) << r.body;
        return static_cast<int64_t>(parsed(r.body).find("id")->number);
    };
    const int64_t time = queue(R"({"sign":"door","command":"adjust-time"})");
    const int64_t message = queue(R"({"sign":"door","message":{"text":"Hi"}})");
    auto row = [&](const std::string& name) {
        const JsonValue list = parsed(call("GET", "/api/v1/signs").body);
        for (const JsonValue& s : list.find("signs")->elements)
            if (s.find("name")->text == name) return s;
        return JsonValue{};
    };
    JsonValue door = row("door");
    ASSERT_TRUE(door.find("waitingJob") && door.find("lastJob"))
        << call("GET", "/api/v1/signs").body;
    EXPECT_EQ(door.find("waitingJob")->find("id")->number, time);
    EXPECT_EQ(door.find("lastJob")->find("id")->number, message);
    EXPECT_EQ(door.find("lastJob")->find("state")->text, "queued");
    EXPECT_FALSE(door.find("shownJob"));
    EXPECT_FALSE(row("gate").find("lastJob"));

    ASSERT_TRUE(store->startJob(time, 1));
    store->finishJob(*store->job(time), JobState::Failed, "no answer", 1, 1);
    ASSERT_TRUE(store->startJob(message, 2));
    store->finishJob(*store->job(message), JobState::Delivered, "ok", 2, 2);
    door = row("door");
    EXPECT_FALSE(door.find("waitingJob"));
    EXPECT_EQ(door.find("lastJob")->find("state")->text, "delivered");
    EXPECT_EQ(door.find("shownJob")->number, message);
    // One sign alone says the same.
    const JsonValue one = parsed(call("GET", "/api/v1/signs/DOOR").body);
    EXPECT_EQ(one.find("shownJob")->number, message);
    EXPECT_EQ(one.find("lastJob")->find("id")->number, message);
}

TEST_F(ApiFixture, AQuickMessageIsPlayedBeforeItIsSentAndRefusedInWordsWhenItCannotBe) {
    ASSERT_EQ(call("POST", "/api/v1/signs", R"({"name":"door","link":"tcp:127.0.0.1:5005",
        "width":64,"height":16,"family":"NVS"})")
                  .status,
              201);
    for (const char* body :
         {R"({"sign":"door","message":{"text":"Hi","colour":"[GRN]","effect":2,"speed":4}})",
          R"({"width":80,"height":16,"message":{"text":"Hi"}})"}) {
        ApiResponse gif = call("POST", "/api/v1/preview", body);
        ASSERT_EQ(gif.status, 200) << body << gif.body;
        EXPECT_EQ(gif.contentType, "image/gif");
        EXPECT_EQ(gif.body.substr(0, 6), "GIF89a");
    }
    struct Case {
        const char* body;
        int status;
        const char* error;
    } cases[] = {
        {R"({"sign":"door","message":{"text":"Hi","colour":"[PINK]"}})", 400,
         "$.message.colour: is no colour of the NVS family"},
        {R"({"sign":"nobody","message":{"text":"Hi"}})", 404, "$.sign: no sign is named nobody"},
        {R"({"sign":"door","width":8,"message":{"text":"Hi"}})", 400, "$.width: a registered"},
        {R"({"width":0,"message":{"text":"Hi"}})", 400, "$.width: must be 1..4096"},
        {R"({"width":80})", 400, "$.message: the quick message is needed"},
        {R"({"width":80,"message":{"text":"Hi"},"group":"x"})", 400, "$.group: unknown key"},
    };
    for (const Case& c : cases) {
        ApiResponse r = call("POST", "/api/v1/preview", c.body);
        EXPECT_EQ(r.status, c.status) << c.body;
        EXPECT_EQ(parsed(r.body).find("error")->text.rfind(c.error, 0), 0u) << r.body;
    }
    EXPECT_EQ(call("GET", "/api/v1/preview").status, 405);
    EXPECT_TRUE(fs::is_empty(dir / "previews")) << "the rendered files are removed";

    const JsonValue options = parsed(call("GET", "/api/v1/message-options").body);
    const JsonValue* nvs = options.find("families")->find("NVS");
    ASSERT_TRUE(nvs);
    EXPECT_EQ(nvs->find("colours")->elements.size(), 26u);
    EXPECT_EQ(nvs->find("effects")->elements.size(), 44u);
    EXPECT_EQ(options.find("speeds")->find("maximum")->number, 8);
}

TEST_F(ApiFixture, TheImportRegistersTheStoredGroupsInOneStep) {
    ApiOptions options;
    options.token = "secret";
    options.storedSettings = [](Settings& s, DefaultSignSize&) {
        s.tcpGroups = {{"Lobby", "10.0.0.5,10.0.0.6"}};
    };
    Api withSettings(*store, events,
                     ApiDelivery{[](const SignRecord&) { return SignStatus{}; }, [] {}}, options);
    ApiRequest r;
    r.method = "POST";
    r.path = "/api/v1/import";
    r.authorization = "Bearer secret";
    ApiResponse a = withSettings.handle(r);
    EXPECT_EQ(a.status, 200) << a.body;
    EXPECT_EQ(store->signs().size(), 2u);
    EXPECT_EQ(withSettings.handle(r).status, 200);  // again: nothing doubles
    EXPECT_EQ(store->signs().size(), 2u);
    EXPECT_EQ(store->sign("10.0.0.6")->groups, std::vector<std::string>{"Lobby"});
}

TEST_F(ApiFixture, BadRequestsAreRefusedInWordsAndChangeNothing) {
    EXPECT_EQ(call("GET", "/api/v1/signs", {}, "secreT").status, 401);
    EXPECT_EQ(call("GET", "/api/v1/signs", {}, "secret-and-more").status, 401);
    EXPECT_EQ(call("GET", "/healthz", {}, "").status, 200);

    struct Case {
        const char* body;
        int status;
        const char* error;
    } signs[] = {
        {R"({"name":"door","link":"tcp:127.0.0.1"})", 400, "$.link: tcp:HOST:PORT needs a port"},
        {R"({"name":"door","link":"tcp:a,b:5005"})", 400, "$.link: tcp:HOST:PORT names one host"},
        {R"({"name":"door","link":"gprs:A,B"})", 400, "$.link: gprs:DEVICE names one device"},
        {R"({"name":"door","link":"gprs:FAR-TOO-LONG-A-NAME"})", 400, "$.link: "},
        {R"({"name":"../x","link":"com:1"})", 400, "$.name: must be 1-64"},
        {R"({"name":"door","link":"com:1","address":300})", 400, "$.address: must be 0..255"},
        {R"({"name":"door","link":"com:1","family":"kv9"})", 400, "$.family: must be"},
        {R"({"name":"door","link":"com:1","groups":["ok",""]})", 400, "$.groups[1]: must be"},
        {R"({"name":"door","link":"com:1","colour":1})", 400, "$.colour: unknown key"},
        {R"({"name":"door","link":"com:1")", 400, "$: not JSON"},
    };
    for (const Case& c : signs) {
        ApiResponse r = call("POST", "/api/v1/signs", c.body);
        EXPECT_EQ(r.status, c.status) << c.body;
        const JsonValue answer = parsed(r.body);
        const JsonValue* error = answer.find("error");
        ASSERT_TRUE(error) << r.body;
        EXPECT_EQ(error->text.rfind(c.error, 0), 0u) << c.body << "\n" << error->text;
    }
    EXPECT_TRUE(store->signs().empty());

    const std::string big =
        R"({"name":"door","link":"com:1","x":")" + std::string(5000, 'a') + "\"}";
    EXPECT_EQ(call("POST", "/api/v1/signs", big).status, 413);
    EXPECT_EQ(call("POST", "/api/v1/jobs", big).status, 413);
    EXPECT_EQ(call("GET", "/api/v1/signs/nobody").status, 404);
    EXPECT_EQ(call("GET", "/api/v1/jobs/99999999999999999999").status, 404);
    ApiRequest list;
    list.method = "GET";
    list.path = "/api/v1/jobs";
    list.authorization = "Bearer secret";
    list.query = {{"limit", "0"}};
    EXPECT_EQ(api->handle(list).status, 400);
    list.query = {{"sign", "nobody"}};
    EXPECT_EQ(api->handle(list).status, 404);
    EXPECT_EQ(call("PUT", "/api/v1/signs").status, 405);
    EXPECT_EQ(call("GET", "/api/v2/signs").status, 404);
    EXPECT_TRUE(store->jobs("", 10).empty());
    EXPECT_EQ(events.last(), 0u);
}

TEST_F(ApiFixture, AQuickMessageInAnyScriptCarriesWhatTheSignLacksAsAGraphic) {
    ASSERT_EQ(
        call("POST", "/api/v1/signs",
             R"({"name":"door","link":"tcp:127.0.0.1:5005","address":1,"width":96,"height":16})")
            .status,
        201);
    ApiResponse queued =
        call("POST", "/api/v1/jobs", R"({"sign":"door","message":{"text":"Hi \u4e2d\u6587"}})");
    ASSERT_EQ(queued.status, 202) << queued.body;
    const int64_t id = parsed(queued.body).find("id")->number;
    std::optional<JobRecord> job = store->job(id);
    ASSERT_TRUE(job);
    OpenResult doc = readDocument(job->document, OpenOptions{});
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.work.graphics.size(), 1u);
    EXPECT_EQ(doc.work.graphics[0].name.str(), "TXT1");
    const auto& items = doc.work.textFiles[0].items;
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ(items[3].kind, kGraphicItem);

    // Elsewhere in a request such characters are refused, naming the value.
    ApiResponse named =
        call("POST", "/api/v1/signs", R"({"name":"d\u00f6\u4e2d","link":"tcp:127.0.0.1:5005"})");
    EXPECT_EQ(named.status, 400);
    EXPECT_NE(named.body.find("characters above U+00FF"), std::string::npos) << named.body;
}

}  // namespace
}  // namespace lumavox::server

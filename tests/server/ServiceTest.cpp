// lumavox-server as a process, with virtual signs (signsim) and GPRS devices
// (dtusim) on loopback, driven over HTTP as scripts and the fleet page do.
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "LinkTestSupport.h"
#include "content/Json.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

namespace fs = std::filesystem;
using test::freeLoopbackPort;
using test::Signsim;

using test::TempDir;

// Polls `done` every 20 ms for up to limitMs (a bound only a failing test meets).
bool waitFor(const std::function<bool()>& done, int limitMs = 30000) {
    for (int waited = 0; waited < limitMs; waited += 20) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// The service as a child process on a free port, its state in `state`.
class Service {
  public:
    Service(const fs::path& state, int gprsPort = 0) {
        pid_ = test::spawnChild(LUMAVOX_SERVER_PATH,
                                {"--state", state.string(), "--listen", "127.0.0.1:0",
                                 "--gprs-port", std::to_string(gprsPort)},
                                out_, nullptr);
        const std::string prefix = "listening on http://127.0.0.1:";
        for (std::string line; readLine(line);) {
            if (line.rfind(prefix, 0) == 0) {
                port_ = std::atoi(line.c_str() + prefix.size());
                break;
            }
        }
        std::ifstream token(state / "token");
        std::getline(token, token_);
    }
    ~Service() {
        if (pid_ > 0) test::stopChild(pid_);
        if (out_ >= 0) ::close(out_);
    }
    int port() const { return port_; }
    const std::string& token() const { return token_; }
    httplib::Client client() const {
        httplib::Client c("127.0.0.1", port_);
        c.set_bearer_token_auth(token_.c_str());
        c.set_read_timeout(30, 0);
        return c;
    }
    // SIGTERM: its exit status.
    int stop() {
        ::kill(pid_, SIGTERM);
        int status = test::reapChild(pid_, 20000);
        pid_ = -1;
        return status;
    }
    void killHard() {
        ::kill(pid_, SIGKILL);
        test::reapChild(pid_, 5000);
        pid_ = -1;
    }

  private:
    bool readLine(std::string& line) {
        line.clear();
        char c;
        pollfd p{out_, POLLIN, 0};
        while (::poll(&p, 1, 15000) > 0 && ::read(out_, &c, 1) == 1) {
            if (c == '\n') return true;
            line += c;
        }
        return false;
    }
    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
    std::string token_;
};

JsonValue body(const httplib::Result& r) {
    JsonValue v;
    std::string error;
    if (r) parseJson(r->body, v, error);
    return v;
}

int64_t postJob(httplib::Client& c, const std::string& json) {
    auto r = c.Post("/api/v1/jobs", json, "application/json");
    EXPECT_TRUE(r && r->status == 202) << (r ? r->body : "no answer");
    const JsonValue v = body(r);
    const JsonValue* id = v.find("id");
    return id ? id->number : 0;
}

std::string jobState(httplib::Client& c, int64_t id) {
    const JsonValue v = body(c.Get(("/api/v1/jobs/" + std::to_string(id)).c_str()));
    const JsonValue* s = v.find("state");
    return s ? s->text : "";
}

void addSign(httplib::Client& c, const std::string& json) {
    auto r = c.Post("/api/v1/signs", json, "application/json");
    ASSERT_TRUE(r && r->status == 201) << (r ? r->body : "no answer");
}

// The bytes signsim --store keeps of text file `name` of the line's sign
// `index` (1 the first of its --address list).
std::string storedText(const fs::path& store, const std::string& name, int index = 1) {
    std::string hex;
    char buf[3];
    for (size_t i = 0; i < 8; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", i < name.size() ? name[i] : 0);
        hex += buf;
    }
    std::ifstream in(store / ("sign" + std::to_string(index)) / "text" / (hex + ".bin"),
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Service, AMessageToAGroupReachesBothSignsAndTheEventsSayItAsItHappens) {
    TempDir dir;
    Signsim left({"--tcp", "0", "--address", "1", "--store", (dir / "left").string()});
    Signsim right({"--tcp", "0", "--address", "2", "--store", (dir / "right").string()});
    ASSERT_TRUE(left.started() && right.started());
    Service service(dir / "state");
    ASSERT_GT(service.port(), 0);
    EXPECT_EQ(fs::status(dir / "state" / "token").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    httplib::Client c = service.client();
    addSign(c, R"({"name":"left","link":"tcp:127.0.0.1:)" + std::to_string(left.port()) +
                   R"(","address":1,"width":96,"height":16,"groups":["hall"]})");
    addSign(c, R"({"name":"right","link":"tcp:127.0.0.1:)" + std::to_string(right.port()) +
                   R"(","address":2,"width":96,"height":16,"groups":["hall"]})");

    // The events stream, read while the jobs run.
    std::atomic<int> delivered{0};
    std::string events;
    std::thread reader([&] {
        httplib::Client e("127.0.0.1", service.port());
        e.set_bearer_token_auth(service.token().c_str());
        e.set_read_timeout(30, 0);
        e.Get("/api/v1/events", [&](const char* data, size_t n) {
            events.append(data, n);
            size_t count = 0;
            for (size_t at = 0; (at = events.find("\"delivered\"", at)) != std::string::npos; ++at)
                ++count;
            delivered = static_cast<int>(count);
            return count < 2;
        });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the stream is open
    const int64_t first = postJob(
        c, R"({"group":"hall","message":{"text":"Hello hall","colour":"[GRN]","speed":5}})");
    EXPECT_TRUE(waitFor([&] {
        return jobState(c, first) == "delivered" && jobState(c, first + 1) == "delivered";
    }));
    reader.join();
    EXPECT_EQ(delivered.load(), 2) << events;
    EXPECT_NE(events.find("event: job"), std::string::npos);

    // Each sign holds exactly the message, in its own memory.
    for (const fs::path& store : {dir / "left", dir / "right"})
        EXPECT_NE(storedText(store, "MESSAGE").find("Hello hall"), std::string::npos) << store;
    const JsonValue job = body(c.Get(("/api/v1/jobs/" + std::to_string(first)).c_str()));
    EXPECT_NE(job.find("detail")->text.find("successfully"), std::string::npos);

    auto gif = c.Get("/api/v1/signs/left/preview.gif");
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->status, 200);
    EXPECT_EQ(gif->body.substr(0, 6), "GIF89a");

    auto refused = httplib::Client("127.0.0.1", service.port()).Get("/api/v1/signs");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);
    EXPECT_EQ(service.stop(), 0);
}

TEST(Service, ThePageComesFromTheProgramItselfAndBrowsersGetItsAnswersInGzip) {
    TempDir dir;
    Service service(dir / "state");
    ASSERT_GT(service.port(), 0);
    httplib::Client anonymous("127.0.0.1", service.port());
    auto page = anonymous.Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(page->body.find("<script src=\"fleet.js\""), std::string::npos);
    for (const char* file : {"/fleet.js", "/fleet.css", "/icon.svg"}) {
        auto r = anonymous.Get(file);
        ASSERT_TRUE(r) << file;
        EXPECT_EQ(r->status, 200) << file;
        EXPECT_FALSE(r->body.empty()) << file;
    }
    EXPECT_EQ(anonymous.Get("/api/v1/signs")->status, 401);

    // A browser accepts Brotli too; the answer comes in gzip all the same.
    httplib::Client c = service.client();
    c.set_decompress(false);
    auto list = c.Get("/api/v1/signs", {{"Accept-Encoding", "gzip, deflate, br"}});
    ASSERT_TRUE(list);
    EXPECT_EQ(list->status, 200);
    EXPECT_EQ(list->get_header_value("Content-Encoding"), "gzip");
    EXPECT_EQ(list->get_header_value("Cache-Control"), "no-store");
    EXPECT_EQ(service.stop(), 0);
}

TEST(Service, AQueuedJobSurvivesAKillAndReachesTheSignWhenItComesBack) {
    TempDir dir;
    const int signPort = freeLoopbackPort();  // nobody listens yet
    int64_t message = 0, cancelled = 0;
    {
        Service service(dir / "state");
        ASSERT_GT(service.port(), 0);
        httplib::Client c = service.client();
        addSign(c, R"({"name":"door","link":"tcp:127.0.0.1:)" + std::to_string(signPort) +
                       R"(","address":1,"width":96,"height":16})");
        cancelled = postJob(c, R"({"sign":"door","command":"adjust-time"})");
        message = postJob(c, R"({"sign":"door","message":{"text":"Back again"}})");
        // The sign is off line: the job waits for its next try.
        ASSERT_TRUE(waitFor([&] {
            const JsonValue j = body(c.Get(("/api/v1/jobs/" + std::to_string(message)).c_str()));
            return j.find("attempts") && j.find("attempts")->number >= 1;
        }));
        auto cancel = c.Delete(("/api/v1/jobs/" + std::to_string(cancelled)).c_str());
        ASSERT_TRUE(cancel);
        // Cancelled, unless its try was running: then it was no longer queued.
        if (cancel->status == 200) {
            EXPECT_EQ(jobState(c, cancelled), "cancelled");
            EXPECT_EQ(c.Delete(("/api/v1/jobs/" + std::to_string(cancelled)).c_str())->status, 409);
        }
        service.killHard();
    }
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((dir / "state" / "lumavox-server.db").c_str(), &db), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "ok");
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    Service again(dir / "state");
    ASSERT_GT(again.port(), 0);
    httplib::Client c = again.client();
    const std::string state = jobState(c, message);
    EXPECT_TRUE(state == "queued" || state == "sending") << state;
    Signsim sign(
        {"--tcp", std::to_string(signPort), "--address", "1", "--store", (dir / "sign").string()});
    ASSERT_TRUE(sign.started());
    EXPECT_TRUE(waitFor([&] { return jobState(c, message) == "delivered"; }, 90000));
    EXPECT_NE(storedText(dir / "sign", "MESSAGE").find("Back again"), std::string::npos);
}

TEST(Service, AGprsSignsJobWaitsForItsDeviceAndGoesOutWhenItRegisters) {
    TempDir dir;
    const int gatewayPort = freeLoopbackPort();
    Service service(dir / "state", gatewayPort);
    ASSERT_GT(service.port(), 0);
    httplib::Client c = service.client();
    addSign(c, R"({"name":"bus7","link":"gprs:BUS7","address":1,"width":96,"height":16})");
    const int64_t id = postJob(c, R"({"sign":"bus7","message":{"text":"Next stop"}})");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const JsonValue waiting = body(c.Get(("/api/v1/jobs/" + std::to_string(id)).c_str()));
    EXPECT_EQ(waiting.find("state")->text, "queued");
    EXPECT_EQ(waiting.find("attempts")->number, 0) << "no try without the device";
    EXPECT_FALSE(body(c.Get("/api/v1/signs/bus7")).find("connected")->boolean);

    Signsim sign({"--tcp", "0", "--address", "1", "--store", (dir / "sign").string()});
    ASSERT_TRUE(sign.started());
    int out = -1;
    pid_t dtu = test::spawnChild(
        LUMAVOX_DTUSIM_PATH,
        {"--gateway", "127.0.0.1:" + std::to_string(gatewayPort), "--name", "BUS7", "--id",
         "70000001", "--sign", "tcp:127.0.0.1:" + std::to_string(sign.port())},
        out, nullptr);
    ASSERT_GT(dtu, 0);
    EXPECT_TRUE(waitFor([&] { return jobState(c, id) == "delivered"; }));
    EXPECT_TRUE(body(c.Get("/api/v1/signs/bus7")).find("connected")->boolean);
    EXPECT_NE(storedText(dir / "sign", "MESSAGE").find("Next stop"), std::string::npos);
    test::stopChild(dtu);
    ::close(out);
    EXPECT_EQ(service.stop(), 0);
}

}  // namespace
}  // namespace lumavox

namespace lumavox {
namespace {

TEST(Service, AnNvsSignGetsItsMessageThroughTheControl) {
    TempDir dir;
    const std::string log = (dir / "sign.jsonl").string();
    Signsim sign({"--nvs", "--tcp", "0", "--log", log});
    ASSERT_TRUE(sign.started());
    Service service(dir / "state");
    ASSERT_GT(service.port(), 0);
    httplib::Client c = service.client();
    addSign(c, R"({"name":"hall","link":"tcp:127.0.0.1:)" + std::to_string(sign.port()) +
                   R"(","address":1,"family":"NVS","width":96,"height":16})");
    const int64_t id = postJob(c, R"({"sign":"hall","message":{"text":"Platform two"}})");
    EXPECT_TRUE(waitFor([&] { return jobState(c, id) == "delivered"; }));
    const JsonValue job = body(c.Get(("/api/v1/jobs/" + std::to_string(id)).c_str()));
    EXPECT_NE(job.find("detail")->text.find("successfully"), std::string::npos)
        << job.find("detail")->text;
    // A command the family does not have fails at once, naming itself.
    const int64_t read = postJob(c, R"({"sign":"hall","command":"read-memory"})");
    EXPECT_TRUE(waitFor([&] { return jobState(c, read) == "failed"; }));
    sign.stop();
    std::ifstream in(log);
    const std::string stored(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(stored.find("Platform two"), std::string::npos) << stored.substr(0, 2000);
}

}  // namespace
}  // namespace lumavox

namespace lumavox {
namespace {

TEST(Service, SignsOnOneLineTakeTurnsAndAStopLetsTheRunningSessionFinish) {
    TempDir dir;
    // Two signs on one line: the virtual sign serves one connection at a
    // time, so sessions in parallel would fail and be tried again.
    Signsim line({"--tcp", "0", "--address", "1,2", "--delay-ms", "150", "--store",
                  (dir / "line").string()});
    ASSERT_TRUE(line.started());
    const std::string link = "tcp:127.0.0.1:" + std::to_string(line.port());
    int64_t first = 0;
    {
        Service service(dir / "state");
        ASSERT_GT(service.port(), 0);
        httplib::Client c = service.client();
        addSign(c, R"({"name":"one","link":")" + link + R"(","address":1,"groups":["line"]})");
        addSign(c, R"({"name":"two","link":")" + link + R"(","address":2,"groups":["line"]})");
        first = postJob(c, R"({"group":"line","message":{"text":"Mind the gap"}})");
        ASSERT_TRUE(waitFor([&] { return jobState(c, first) == "sending"; }));
        // Stopped while the first session runs: it ends by itself first.
        EXPECT_EQ(service.stop(), 0);
    }
    Service again(dir / "state");
    ASSERT_GT(again.port(), 0);
    httplib::Client c = again.client();
    EXPECT_EQ(jobState(c, first), "delivered");
    EXPECT_TRUE(waitFor([&] { return jobState(c, first + 1) == "delivered"; }));
    for (int64_t id : {first, first + 1}) {
        const JsonValue job = body(c.Get(("/api/v1/jobs/" + std::to_string(id)).c_str()));
        EXPECT_EQ(job.find("attempts")->number, 1) << job.find("detail")->text;
    }
    for (int index : {1, 2})
        EXPECT_NE(storedText(dir / "line", "MESSAGE", index).find("Mind the gap"),
                  std::string::npos)
            << index;
}

}  // namespace
}  // namespace lumavox

namespace lumavox {
namespace {

// Runs lumavox-cli with the token in its environment; its exit status and
// what it printed.
int runCli(const std::vector<std::string>& args, const std::string& token, std::string& out) {
    ::setenv("LUMAVOX_TOKEN", token.c_str(), 1);
    int fd = -1;
    pid_t pid = test::spawnChild(LUMAVOX_CLI_PATH, args, fd, nullptr);
    ::unsetenv("LUMAVOX_TOKEN");
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return test::reapChild(pid, 60000);
}

TEST(Service, TheCommandLineSendsThroughTheServiceAndFollowsItsJobs) {
    TempDir dir;
    Signsim sign({"--tcp", "0", "--address", "1", "--store", (dir / "sign").string()});
    ASSERT_TRUE(sign.started());
    Service service(dir / "state");
    ASSERT_GT(service.port(), 0);
    httplib::Client c = service.client();
    addSign(c, R"({"name":"door","link":"tcp:127.0.0.1:)" + std::to_string(sign.port()) +
                   R"(","address":1,"groups":["hall"]})");
    const std::string url = "http://127.0.0.1:" + std::to_string(service.port());
    std::string out;
    ASSERT_EQ(runCli({"demo", (dir / "demo.glm").string()}, "", out), 0);

    out.clear();
    EXPECT_EQ(runCli({"send-all", (dir / "demo.glm").string(), "--server", url, "--group", "hall"},
                     service.token(), out),
              0)
        << out;
    EXPECT_NE(out.find("(door): delivered"), std::string::npos) << out;
    EXPECT_FALSE(storedText(dir / "sign", "Main").empty());

    out.clear();
    EXPECT_EQ(runCli({"adjust-time", "--server", url, "--sign", "nobody"}, service.token(), out),
              1);
    out.clear();
    EXPECT_EQ(runCli({"adjust-time", "--server", url, "--sign", "door"}, "wrong", out), 1);
    out.clear();
    EXPECT_EQ(runCli({"send-text", (dir / "demo.glm").string(), "Main", "--server", url, "--sign",
                      "door"},
                     service.token(), out),
              2);
}

}  // namespace
}  // namespace lumavox

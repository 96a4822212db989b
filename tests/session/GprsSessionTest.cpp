// The GPRS route end to end: the editor's gateway (the library the program
// carries, unpacked and bound by name) with its monitor, dtusim DTUs that
// bridge to signsim signs, and the send session over them. Also lumavox-cli's
// `--link gprs:` and `gprs list`.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>

#include "../support/TiedChild.h"
#include "LinkTestSupport.h"
#include "SessionTestSupport.h"
#include "cli/Cli.h"
#include "content/Document.h"
#include "embedded/EmbeddedResources.h"
#include "operations/GprsRoute.h"
#include "operations/Operations.h"
#include "operations/Settings.h"
#include "platform/Clock.h"
#include "platform/Profile.h"
#include "strings/GprsTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "transport/GatewayChannel.h"

namespace lumavox {
namespace {

namespace fs = std::filesystem;
using test::demoDocument;
using test::freeLoopbackPort;
using test::RecordingHost;
using test::Signsim;

// A private folder, removed with its contents at the end.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "gprs-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

// Polls `done` every 10 ms for up to limitMs (a bound only a failing test meets).
bool waitFor(const std::function<bool()>& done, int limitMs = 15000) {
    for (int waited = 0; waited < limitMs; waited += 10) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// One dtusim DTU as a child process; ended with SIGTERM when it goes.
class Dtu {
  public:
    Dtu(int gatewayPort, const std::string& name, const std::string& id, int signPort = 0) {
        std::vector<std::string> args = {LUMAVOX_DTUSIM_PATH,
                                         "--gateway",
                                         "127.0.0.1:" + std::to_string(gatewayPort),
                                         "--name",
                                         name,
                                         "--id",
                                         id};
        if (signPort > 0) {
            args.push_back("--sign");
            args.push_back("tcp:127.0.0.1:" + std::to_string(signPort));
        }
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) return;
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            test::tieToStartingProcess(parent);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }
    ~Dtu() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
    }
    Dtu(const Dtu&) = delete;
    Dtu& operator=(const Dtu&) = delete;

    // Waits for dtusim's "connected" line (its record was sent).
    bool connected(int limitMs = 15000) {
        std::string line;
        char c;
        pollfd p{out_, POLLIN, 0};
        while (::poll(&p, 1, limitMs) > 0 && ::read(out_, &c, 1) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line.rfind("connected 1 1", 0) == 0) return true;
            line.clear();
        }
        return false;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// How many text files a signsim with --store keeps for sign 1.
size_t storedTexts(const fs::path& store) {
    std::error_code ec;
    fs::directory_iterator it(store / "sign1" / "text", ec), end;
    return ec ? 0 : static_cast<size_t>(std::distance(it, end));
}

ApplicationEnvironment environmentIn(const TempDir& dir) {
    return ApplicationEnvironment::inHome(dir.path(), dir / "store.ini");
}

OperationArgs mainFile() {
    OperationArgs a;
    a.files = {"Main"};
    return a;
}

SessionConfig gprsConfig(const std::string& group, std::vector<std::string> devices) {
    SessionConfig c;
    c.route = Route::Gprs;
    c.groupName = group;
    c.gprsDevices = std::move(devices);
    c.link.address = "1";
    c.link.modemTimeoutMs = 3000;
    c.alwaysDisplay = false;
    c.settleMs = 0;
    return c;
}

// Two signs, each behind its own DTU, and the editor's gateway.
struct TwoSigns : ::testing::Test {
    TempDir dir;
    Signsim signA{{"--tcp", "0", "--store", (dir / "a").string()}};
    Signsim signB{{"--tcp", "0", "--store", (dir / "b").string()}};
    GprsGateway gateway{embeddedResources(), environmentIn(dir)};
    int port = freeLoopbackPort();

    void SetUp() override {
        ASSERT_TRUE(signA.started() && signB.started());
        ASSERT_EQ(gateway.binding().boundCount(), 10);
        gateway.monitor().Start(port);
    }
    bool registered(const std::vector<std::string>& names) {
        return waitForGprsDevices(gateway.monitor(), names, 15000, SystemClock::instance()).empty();
    }
};

TEST_F(TwoSigns, SendAllReachesEveryDeviceOfTheGroup) {
    Dtu a(port, "SIGNA", "0000000001", signA.port());
    Dtu b(port, "SIGNB", "0000000002", signB.port());
    ASSERT_TRUE(registered({"SIGNA", "SIGNB"}));
    WorkArea doc = demoDocument();
    CSignLink link;
    link.setGprsDevices(&gateway.monitor());
    RecordingHost host;
    // Names in a group match the registered ones whatever their letter case.
    SendSession s(link, host, gprsConfig("North", {"signa", "SignB"}), &doc);
    ASSERT_TRUE(s.run(UpdateKind::SendAll)) << s.resultText();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(host.sawStatus("The client  signa has connected to server."));
    EXPECT_TRUE(
        host.sawStatus("Sending text file 'Main' to address #1(SignB in group North),"
                       "Successfully!"));
    EXPECT_EQ(link.linkState(), LinkState::None);
    size_t texts = std::count_if(doc.textFiles.begin(), doc.textFiles.end(),
                                 [](const TextFile& f) { return f.kind == kTextFile; });
    EXPECT_EQ(storedTexts(dir / "a"), texts);
    EXPECT_EQ(storedTexts(dir / "b"), texts);

    // "Detail" of a registered device and of one that is not.
    std::string detail = gprsDetailText(gateway.monitor(), "sigNB");
    EXPECT_EQ(
        detail.rfind("Detail for connection from device SIGNB:\n    IP Address : \t127.0.0.1\n"
                     "    Device ID : \t0000000002\n",
                     0),
        0u);
    EXPECT_EQ(gprsDetailText(gateway.monitor(), "X"), "The connection from device X not found!");
}

// The gateway's devices as the monitor has them, counting how often a wait
// looks at what the gateway holds.
class CountingDevices final : public GprsDevices {
  public:
    explicit CountingDevices(GprsDevices& real) : real_(real) {}
    bool isRegistered(const std::string& name) const override { return real_.isRegistered(name); }
    bool send(const std::string& name, std::span<const uint8_t> bytes,
              std::string& error) override {
        return real_.send(name, bytes, error);
    }
    bool receive(const std::string& name, std::vector<uint8_t>& out, std::string& error) override {
        ++looks;
        return real_.receive(name, out, error);
    }
    void dropPending(const std::string& name) override { real_.dropPending(name); }
    int looks = 0;

  private:
    GprsDevices& real_;
};

TEST_F(TwoSigns, AWaitOnASilentDeviceLastsItsTimeWithoutKeepingAProcessorBusy) {
    Dtu a(port, "SIGNA", "0000000001", signA.port());
    ASSERT_TRUE(registered({"SIGNA"}));
    CountingDevices devices(gateway.monitor());
    GatewayChannel channel;
    channel.setDevices(&devices);
    ASSERT_TRUE(channel.select("SIGNA"));
    std::vector<uint8_t> out;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(channel.poll(400, out, error)) << error;
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(out.empty());
    EXPECT_GE(waited, std::chrono::milliseconds(400));
    // Looking every 50 microseconds throughout would be some 8,000 looks; after
    // its first 5 ms the wait looks at most every 2 ms.
    EXPECT_LT(devices.looks, 600);
}

TEST_F(TwoSigns, AnAbsentDeviceFailsAndTheOthersStillGetTheFiles) {
    Dtu a(port, "SIGNA", "0000000001", signA.port());
    ASSERT_TRUE(registered({"SIGNA"}));
    WorkArea doc = demoDocument();
    CSignLink link;
    link.setGprsDevices(&gateway.monitor());
    RecordingHost host;
    SendSession s(link, host, gprsConfig("G", {"GHOST", "SIGNA"}), &doc);
    EXPECT_FALSE(s.run(UpdateKind::SendAll));
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes[0],
              "Error: The client GHOST has not connect to server.  Please wait a moment and try "
              "again!");
    EXPECT_GT(storedTexts(dir / "a"), 0u);
    EXPECT_EQ(storedTexts(dir / "b"), 0u);
}

TEST_F(TwoSigns, AGroupOfAThousandDevicesServesTheOnesThatAreThere) {
    Dtu a(port, "SIGNA", "0000000001", signA.port());
    ASSERT_TRUE(registered({"SIGNA"}));
    std::vector<std::string> devices;
    for (int i = 1; i <= 1000; ++i)
        devices.push_back(i == 500 ? "SIGNA" : formatText("D%04d", {i}));
    WorkArea doc = demoDocument();
    CSignLink link;
    link.setGprsDevices(&gateway.monitor());
    RecordingHost host;
    SendSession s(link, host, gprsConfig("Big", devices), &doc);
    EXPECT_FALSE(s.run(UpdateKind::SendText, mainFile()));
    EXPECT_EQ(host.boxes.size(), 999u);
    EXPECT_TRUE(
        host.sawStatus("Sending text file 'Main' to address #1(SIGNA in group Big),"
                       "Successfully!"));
    EXPECT_EQ(storedTexts(dir / "a"), 1u);
}

TEST_F(TwoSigns, AReconnectingDeviceKeepsOneEntryWithItsNewConnection) {
    GprsMonitor& m = gateway.monitor();
    Dtu first(port, "SIGNA", "0000000001", signA.port());
    ASSERT_TRUE(registered({"SIGNA"}));
    DTU_HANDLE old = m.Lookup("SIGNA")->handle;
    // The same device comes in again before its old connection is seen to go.
    Dtu second(port, "SIGNA", "0000000001", signA.port());
    ASSERT_TRUE(second.connected());
    ASSERT_TRUE(waitFor([&] {
        auto e = m.Lookup("SIGNA");
        return e && e->handle != old;
    }));
    m.awaitRound();
    EXPECT_EQ(m.Names(), std::vector<std::string>{"SIGNA"});
    EXPECT_TRUE(m.conflicts().empty());
    WorkArea doc = demoDocument();
    CSignLink link;
    link.setGprsDevices(&m);
    RecordingHost host;
    SendSession s(link, host, gprsConfig("G", {"SIGNA"}), &doc);
    EXPECT_TRUE(s.run(UpdateKind::SendText, mainFile())) << s.resultText();
}

TEST_F(TwoSigns, ADeviceThatClaimsAnotherOnesNameIsRefused) {
    GprsMonitor& m = gateway.monitor();
    Dtu real(port, "SIGNA", "0000000001", signA.port());
    ASSERT_TRUE(registered({"SIGNA"}));
    Dtu impostor(port, "signa", "0000000666", signB.port());
    ASSERT_TRUE(impostor.connected());
    ASSERT_TRUE(waitFor([&] { return !m.conflicts().empty(); }));
    EXPECT_EQ(gprsConflictTexts(m)[0],
              "The GPRS Modem signa (device ID 0000000666) was refused: the connected GPRS Modem "
              "with device ID 0000000001 already has this name.");
    EXPECT_EQ(m.Lookup("SIGNA")->deviceId, "0000000001");
    WorkArea doc = demoDocument();
    CSignLink link;
    link.setGprsDevices(&m);
    RecordingHost host;
    SendSession s(link, host, gprsConfig("G", {"SIGNA"}), &doc);
    EXPECT_TRUE(s.run(UpdateKind::SendText, mainFile())) << s.resultText();
    EXPECT_EQ(storedTexts(dir / "a"), 1u);
    EXPECT_EQ(storedTexts(dir / "b"), 0u);  // nothing went to the impostor's sign
}

TEST_F(TwoSigns, APortChangeRestartsTheMonitorAndLosesItsDevices) {
    GprsMonitor& m = gateway.monitor();
    Dtu a(port, "SIGNA", "0000000001", signA.port());
    ASSERT_TRUE(registered({"SIGNA"}));
    int newPort = freeLoopbackPort();
    GprsModeChange change = gprsModeChange(SendType::Gprs, port, SendType::Gprs, newPort);
    EXPECT_EQ(change.action, GprsMonitorAction::Restart);
    EXPECT_NE(change.notice.find(formatText("(Old is %d, now is %d)", {port, newPort})),
              std::string::npos);
    int pumps = 0;
    applyGprsModeChange(change, m, newPort, [&] { ++pumps; });
    EXPECT_TRUE(m.running());
    EXPECT_EQ(m.port(), newPort);
    EXPECT_TRUE(m.Names().empty());
    Dtu b(newPort, "SIGNB", "0000000002", signB.port());
    ASSERT_TRUE(registered({"SIGNB"}));

    // Leaving GPRS mode stops it; coming back starts it.
    change = gprsModeChange(SendType::Gprs, newPort, SendType::Serial, newPort);
    EXPECT_EQ(change.action, GprsMonitorAction::Stop);
    applyGprsModeChange(change, m, newPort);
    EXPECT_FALSE(m.running());
    EXPECT_TRUE(m.Names().empty());
}

TEST(GprsSession, MissingGroupsAndAGatewayWithoutItsExportsFailWithTheirTexts) {
    TempDir dir;
    std::ifstream in(PARTIAL_GATEWAY_PATH, std::ios::binary);
    std::vector<uint8_t> partial((std::istreambuf_iterator<char>(in)), {});
    ResourceTable table;
    table.add(res::kGateway, partial);
    GprsGateway gateway(table, environmentIn(dir));
    EXPECT_LT(gateway.binding().boundCount(), 10);
    GprsMonitor& m = gateway.monitor();
    m.Start(freeLoopbackPort());
    m.awaitRound();
    EXPECT_TRUE(m.Names().empty());

    WorkArea doc = demoDocument();
    CSignLink link;
    link.setGprsDevices(&m);
    RecordingHost host;
    SendSession s(link, host, gprsConfig("G", {"SIGNA"}), &doc);
    EXPECT_FALSE(s.run(UpdateKind::SendAll));
    EXPECT_EQ(s.resultText(),
              "The client SIGNA has not connect to server.  Please wait a moment and try again!");

    SessionConfig missing = gprsConfig("South", {});
    missing.gprsDevices.reset();
    s.setConfig(missing);
    EXPECT_FALSE(s.run(UpdateKind::SendAll));
    EXPECT_EQ(s.resultText(), "Sorry, the GPRS Group(South) is not exist!");
    s.setConfig(gprsConfig("Empty", {}));
    EXPECT_FALSE(s.run(UpdateKind::SendAll));
    EXPECT_EQ(s.resultText(), textf(msg::kGprsGroupEmpty, {"Empty"}));
    m.Stop();
    EXPECT_FALSE(m.running());
}

TEST_F(TwoSigns, TheCommandLineSendsToTheListedDevicesAndListsThem) {
    // The command line runs a gateway of its own: this one steps aside.
    gateway.monitor().Stop();
    fs::path docPath = dir / "demo.glm";
    std::string error;
    WorkArea doc = demoDocument();
    ASSERT_TRUE(saveDocument(docPath, doc, SignMode::KV2, SystemClock::instance(), error));
    Dtu a(port, "SIGNA", "0000000001", signA.port());
    Dtu b(port, "SIGNB", "0000000002", signB.port());
    std::ostringstream out, err;
    int status = runCli(
        {"send-text", docPath.string(), "Main", "--link", "gprs:SIGNA,SIGNB", "--server-port",
         std::to_string(port), "--wait-devices", "20", "--address", "1", "--family", "kv2"},
        out, err);
    EXPECT_EQ(status, 0) << out.str() << err.str();
    EXPECT_NE(out.str().find("The client  SIGNB has connected to server."), std::string::npos);
    EXPECT_EQ(storedTexts(dir / "a"), 1u);
    EXPECT_EQ(storedTexts(dir / "b"), 1u);

    std::ostringstream listed, listErr;
    Dtu c(port, "SIGNC", "0000000003");
    EXPECT_EQ(runCli({"gprs", "list", "--server-port", std::to_string(port), "--seconds", "3"},
                     listed, listErr),
              0)
        << listErr.str();
    EXPECT_NE(listed.str().find("SIGNC\t127.0.0.1:"), std::string::npos) << listed.str();

    std::ostringstream bad, badErr;
    EXPECT_EQ(runCli({"send-all", docPath.string(), "--link", "gprs:,"}, bad, badErr), 2);
    EXPECT_NE(badErr.str().find("--link gprs:"), std::string::npos);
}

// The per-user store in a folder of the test's own while it lives.
class UserStoreIn {
  public:
    explicit UserStoreIn(const fs::path& dir) {
        if (const char* old = std::getenv("LUMAVOX_CONFIG_DIR")) old_ = old;
        ::setenv("LUMAVOX_CONFIG_DIR", dir.c_str(), 1);
    }
    ~UserStoreIn() {
        if (old_)
            ::setenv("LUMAVOX_CONFIG_DIR", old_->c_str(), 1);
        else
            ::unsetenv("LUMAVOX_CONFIG_DIR");
    }

  private:
    std::optional<std::string> old_;
};

TEST_F(TwoSigns, TheCommandLineTakesTheStoredGprsGroupAndSaysSo) {
    gateway.monitor().Stop();
    fs::path home = dir / "home", user = dir / "user";
    fs::create_directories(home);
    fs::create_directories(user);
    UserStoreIn store(user);
    Settings settings;
    settings.sendType = SendType::Gprs;
    settings.gprsServerPort = port;
    settings.gprsGroups = {{"North", {"SIGNA", "SIGNB"}}, {"Empty", {}}};
    settings.lastGprsGroupName = "North";
    settings.address = "1";
    std::string error;
    SettingsStore stored(home, userStorePath());
    ASSERT_TRUE(stored.SaveSettings(settings, error)) << error;
    fs::path docPath = dir / "demo.glm";
    WorkArea doc = demoDocument();
    ASSERT_TRUE(saveDocument(docPath, doc, SignMode::KV2, SystemClock::instance(), error));
    Dtu a(port, "SIGNA", "0000000001", signA.port());
    Dtu b(port, "SIGNB", "0000000002", signB.port());
    std::ostringstream out, err;
    int status = runCli({"send-text", docPath.string(), "Main", "--home", home.string(),
                         "--wait-devices", "20", "--family", "kv2"},
                        out, err);
    EXPECT_EQ(status, 0) << out.str() << err.str();
    EXPECT_EQ(out.str().rfind("Using GPRS group \"North\" (SIGNA, SIGNB), sign address 1 (stored "
                              "settings; --link and --address choose others)\n",
                              0),
              0u)
        << out.str();
    EXPECT_EQ(storedTexts(dir / "a"), 1u);
    EXPECT_EQ(storedTexts(dir / "b"), 1u);

    // A stored group without devices is refused as the window refuses it.
    settings.lastGprsGroupName = "Empty";
    ASSERT_TRUE(stored.SaveSettings(settings, error)) << error;
    std::ostringstream emptyOut, emptyErr;
    EXPECT_EQ(runCli({"send-text", docPath.string(), "Main", "--home", home.string(),
                      "--wait-devices", "1", "--family", "kv2", "--yes"},
                     emptyOut, emptyErr),
              1);
    EXPECT_NE((emptyOut.str() + emptyErr.str()).find("has no GPRS Modem!"), std::string::npos)
        << emptyOut.str() << emptyErr.str();
    EXPECT_EQ(storedTexts(dir / "a"), 1u);

    // The same group named by --link is refused with the same words.
    settings.lastGprsGroupName = "North";
    ASSERT_TRUE(stored.SaveSettings(settings, error)) << error;
    std::ostringstream linkOut, linkErr;
    EXPECT_EQ(runCli({"send-text", docPath.string(), "Main", "--home", home.string(), "--link",
                      "gprs:empty", "--wait-devices", "1", "--family", "kv2", "--yes"},
                     linkOut, linkErr),
              1);
    EXPECT_NE(linkOut.str().find("Sorry, the GPRS Group(Empty) has no GPRS Modem!"),
              std::string::npos)
        << linkOut.str() << linkErr.str();
    EXPECT_EQ(linkErr.str().find("usage"), std::string::npos) << linkErr.str();
    EXPECT_EQ(storedTexts(dir / "a"), 1u);
}

// A server port another program holds: the monitor does not run, and the
// command line ends with the system's reason instead of listening on nothing.
TEST(GprsSession, AServerPortHeldByAnotherProgramEndsTheCommandWithTheReason) {
    TempDir dir;
    test::HeldPort held;
    const std::string port = std::to_string(held.port());
    const std::string reason =
        "The GPRS server cannot listen on port " + port + ".(Address already in use)";

    GprsGateway gateway(embeddedResources(), environmentIn(dir));
    EXPECT_FALSE(gateway.monitor().Start(held.port()));
    EXPECT_FALSE(gateway.monitor().running());
    EXPECT_EQ(gateway.monitor().startError(), reason);
    const int free = freeLoopbackPort();
    EXPECT_TRUE(gateway.monitor().Start(free));
    EXPECT_EQ(gateway.monitor().startError(), "");
    gateway.monitor().Stop();

    std::ostringstream out, err;
    EXPECT_EQ(runCli({"gprs", "list", "--server-port", port, "--seconds", "0"}, out, err), 1);
    EXPECT_EQ(err.str(), "lumavox-cli: " + reason + "\n");
    EXPECT_EQ(out.str().find("listening"), std::string::npos) << out.str();

    fs::path docPath = dir / "demo.glm";
    std::string error;
    WorkArea doc = demoDocument();
    ASSERT_TRUE(saveDocument(docPath, doc, SignMode::KV2, SystemClock::instance(), error));
    std::ostringstream sendOut, sendErr;
    EXPECT_EQ(
        runCli({"send-text", docPath.string(), "Main", "--link", "gprs:SIGNA", "--server-port",
                port, "--wait-devices", "1", "--address", "1", "--family", "kv2"},
               sendOut, sendErr),
        1);
    EXPECT_EQ(sendErr.str(), "lumavox-cli: " + reason + "\n") << sendOut.str();
}

}  // namespace
}  // namespace lumavox

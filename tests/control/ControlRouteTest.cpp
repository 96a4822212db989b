// The NVS family's route through the scriptable control: the editor's document
// replayed as method calls, the operations per target and address, and the
// events that move a run on, against the virtual sign (signsim --nvs).
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "LinkTestSupport.h"
#include "app/Demo.h"
#include "cli/ControlOperations.h"
#include "content/GraphicBmp.h"
#include "embedded/EmbeddedResources.h"
#include "operations/ControlRoute.h"
#include "operations/ControlSetup.h"
#include "platform/Profile.h"
#include "strings/ControlRouteTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {
namespace {

using test::Signsim;

// Every call the route makes, as "dispid:arg,arg".
std::vector<std::string> gCalls;
int32_t (*gInvoke)(NVSOCX_Handle, int32_t, const NVSOCX_Variant*, int32_t, NVSOCX_Variant*);

int32_t recordingInvoke(NVSOCX_Handle h, int32_t id, const NVSOCX_Variant* a, int32_t n,
                        NVSOCX_Variant* r) {
    std::ostringstream s;
    s << id << ":";
    for (int32_t i = 0; i < n; ++i) {
        if (i) s << ",";
        if (a[i].type == NVSOCX_VT_STR) s << (a[i].value.str ? a[i].value.str : "(null)");
        if (a[i].type == NVSOCX_VT_I2) s << a[i].value.i2;
        if (a[i].type == NVSOCX_VT_I4) s << a[i].value.i4;
    }
    gCalls.push_back(s.str());
    return gInvoke(h, id, a, n, r);
}

struct Host : ControlRouteHost {
    std::vector<std::string> list, boxes;
    int32_t high = 0, position = 0;
    bool ended = false;
    void addResult(const std::string& t) override { list.push_back(t); }
    void progressRange(int32_t h) override { high = h; }
    void progressPosition(int32_t p) override { position = p; }
    void runEnded() override { ended = true; }
    void message(const std::string& t, Icon) override { boxes.push_back(t); }
    bool askYesNo(const std::string&, Icon) override { return false; }
    bool listed(const std::string& t) const {
        for (auto& l : list)
            if (l == t) return true;
        return false;
    }
};

class ControlRouteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("route-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        ::setenv("NVSOCX_TEST_TIMINGS", "20,5000,2000", 1);
        HostedControl hc = CreateHostedControl(dir, embeddedResources(), host);
        ASSERT_NE(hc.control, nullptr);
        control = hc.control;
        gInvoke = control->Invoke;
        control->Invoke = &recordingInvoke;
        gCalls.clear();
        host.boxes.clear();  // the first creation in a fresh folder registers
        route = std::make_unique<ControlRoute>(*control, host);
    }
    void TearDown() override {
        route.reset();
        NVSOCX_ReleaseObject(control);
        std::filesystem::remove_all(dir);
    }
    ControlRouteConfig tcp(int port, std::vector<std::string> targets = {"127.0.0.1"}) {
        ControlRouteConfig c;
        c.sendType = SendType::TcpIp;
        c.tcpPort = port;
        c.targets = std::move(targets);
        c.addressList = "1";
        c.imageDir = dir / "NVS_Img";
        return c;
    }
    // The host's loop: events dispatched when the descriptor is readable.
    bool runToEnd() {
        for (int i = 0; i < 3000 && route->running(); ++i) {
            pollfd p{route->eventFd(), POLLIN, 0};
            ::poll(&p, 1, 10);
            route->dispatch();
        }
        return !route->running();
    }
    std::vector<std::string> callsOf(const std::string& prefix) const {
        std::vector<std::string> out;
        for (auto& c : gCalls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    std::filesystem::path dir;
    Host host;
    NVSOCX_Object* control = nullptr;
    std::unique_ptr<ControlRoute> route;
};

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(ControlRouteTest, SendAllReplaysTheDocumentAndTheSignStoresIt) {
    std::string log = (dir / "sim.jsonl").string();
    Signsim sim({"--nvs", "--tcp", "0", "--log", log});
    ASSERT_TRUE(sim.started());
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    ASSERT_FALSE(work.graphics.empty());
    std::ofstream(dir / "NVS_Img" / "stale.bmp");  // the folder is emptied first
    ASSERT_TRUE(route->start(UpdateKind::SendAll, tcp(sim.port()), &work));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(host.boxes.empty()) << host.boxes[0];
    ASSERT_FALSE(host.list.empty());
    EXPECT_EQ(host.list.back(), "All are over!");
    EXPECT_TRUE(host.listed("All data had been sent to sign(1) in IP 127.0.0.1 successfully!"));
    EXPECT_EQ(route->failures(), 0);

    // Connection set-up first, then the content, then one SendFiles.
    std::string port = std::to_string(sim.port());
    ASSERT_GE(gCalls.size(), 10u);
    EXPECT_EQ(gCalls[0], "3:");
    EXPECT_EQ(gCalls[1], "16:2");
    EXPECT_EQ(gCalls[3], "18:1");
    EXPECT_EQ(gCalls[4], "17:127.0.0.1," + port);
    EXPECT_EQ(gCalls[5], "37:-1");
    EXPECT_EQ(gCalls[6], "4:" + std::to_string(work.signWidth) + "," +
                             std::to_string(work.signHeight) + "," +
                             std::to_string(work.colourType));
    EXPECT_EQ(gCalls[7], "3:");
    const GraphicFile& g = work.graphics[0];
    std::filesystem::path bmp = dir / "NVS_Img" / (g.name.str() + ".bmp");
    EXPECT_EQ(gCalls[8], "2:" + bmp.string() + "," + g.name.str() + ".bmp");
    EXPECT_FALSE(std::filesystem::exists(dir / "NVS_Img" / "stale.bmp"));
    EXPECT_EQ(slurp(bmp).substr(0, 2), "BM");
    EXPECT_EQ(callsOf("31:"), std::vector<std::string>{"31:1,0,1"});
    EXPECT_EQ(callsOf("1:").size(), static_cast<size_t>(work.textFileCount()));
    EXPECT_FALSE(callsOf("5:").empty());  // the demo's window areas
    EXPECT_EQ(callsOf("5:").size(), callsOf("21:").size());
    EXPECT_FALSE(callsOf("29:").empty());  // its graphic
    EXPECT_FALSE(callsOf("24:").empty());  // its date
    EXPECT_EQ(gCalls.back(), "20:");       // StopSend once the target is done

    std::string l = slurp(log);
    EXPECT_NE(l.find("nvs run sequence"), std::string::npos) << l;
    EXPECT_NE(l.find("^S$" + std::string(1, static_cast<char>(std::tolower(g.name.str()[0])))),
              std::string::npos)
        << l;
}

// The sign's conversation log as lines "nvs ..." without the JSON around them.
std::vector<std::string> signNotes(const std::string& log) {
    std::vector<std::string> notes;
    std::istringstream in(slurp(log));
    for (std::string line; std::getline(in, line);) {
        size_t at = line.find("\"nvs ");
        if (at == std::string::npos) continue;
        size_t end = line.rfind('"');
        notes.push_back(line.substr(at + 1, end > at + 1 ? end - at - 1 : std::string::npos));
    }
    return notes;
}

// Waits (up to ten seconds) until the sign has logged a note starting with
// `prefix` after note `from`: a conversation the sign does not answer ends for
// the route once its bytes are written, before the sign has read them all.
void awaitNote(const std::string& log, size_t from, const std::string& prefix) {
    for (int i = 0; i < 200; ++i) {
        std::vector<std::string> notes = signNotes(log);
        for (size_t n = from; n < notes.size(); ++n)
            if (notes[n].rfind(prefix, 0) == 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string lowered(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Maps COM `number` to `device` in the per-user store, as the user's port list does.
void mapComPort(int number, const std::string& device) {
    std::filesystem::create_directories(userStoreDir());
    Profile store = Profile::load(userStorePath());
    store.setString("Comports", "COM" + std::to_string(number), device);
    std::string error;
    ASSERT_TRUE(store.save(error)) << error;
}

TEST_F(ControlRouteTest, SendAllOverASerialLineStoresEveryFileInTheSign) {
    std::string log = (dir / "pty.jsonl").string();
    Signsim sim({"--nvs", "--pty", "--log", log});
    ASSERT_TRUE(sim.started());
    mapComPort(9, sim.ptyPath());
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    ControlRouteConfig c;
    c.sendType = SendType::Serial;
    c.comPort = 9;
    c.baudRate = 115200;
    c.addressList = "1";
    c.imageDir = dir / "NVS_Img";
    ASSERT_TRUE(route->start(UpdateKind::SendAll, c, &work));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(host.boxes.empty()) << host.boxes[0];
    EXPECT_TRUE(host.listed("All data had been sent to sign(1) successfully!"));
    EXPECT_EQ(host.list.back(), "All are over!");
    EXPECT_EQ(route->failures(), 0);
    // A serial target: the control opens COM9 itself, no IP address is set.
    EXPECT_EQ(callsOf("16:"), std::vector<std::string>{"16:1"});
    EXPECT_EQ(callsOf("18:"), std::vector<std::string>{"18:9"});
    EXPECT_TRUE(callsOf("17:").empty());

    // What the sign kept: every text file written, every graphic as its BMP
    // picture byte for byte in size, and the run sequence of the text files.
    std::vector<std::string> notes = signNotes(log);
    auto noted = [&](const std::string& prefix) {
        return std::any_of(notes.begin(), notes.end(),
                           [&](const std::string& n) { return n.rfind(prefix, 0) == 0; });
    };
    std::string sequence;
    for (const TextFile& f : work.textFiles) {
        if (f.kind != kTextFile) continue;
        sequence += "$" + f.name.str() + "$";
        EXPECT_TRUE(noted("nvs text " + lowered(f.name.str()) + " ")) << f.name.str();
    }
    for (const GraphicFile& g : work.graphics)
        EXPECT_TRUE(noted("nvs disk " + lowered(g.name.str()) + ".bmp " +
                          std::to_string(encodeGraphicBmp(g).size())))
            << g.name.str();
    EXPECT_TRUE(noted("nvs run sequence " + sequence)) << slurp(log);
}

TEST_F(ControlRouteTest, TheCliHandsItsOpenSerialLineToTheControl) {
    std::string log = (dir / "cli-pty.jsonl").string();
    Signsim sim({"--nvs", "--pty", "--log", log});
    ASSERT_TRUE(sim.started());
    std::ostringstream out, err;
    int status = runControlCommand({"adjust-time", "--home", dir.string(), "--link",
                                    "serial:" + sim.ptyPath() + "@115200", "--address", "1"},
                                   out, err);
    EXPECT_EQ(status, 0) << out.str() << err.str();
    EXPECT_NE(out.str().find("The connection is from out of OCX, and had been setup."),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("All are over!"), std::string::npos) << out.str();
    std::vector<std::string> notes = signNotes(log);
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const std::string& n) {
        return n.rfind("nvs date ", 0) == 0;
    })) << slurp(log);
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(),
                            [](const std::string& n) { return n.rfind("nvs time ", 0) == 0; }));
}

// What each sign on the line applied: the sign's notes of every conversation
// (from note `from` on), counted by their first word ("date", "clear", "run",
// "reply ok", ...), keyed by the address text of the conversation.
std::map<std::string, std::map<std::string, int>> appliedPerSign(const std::string& log,
                                                                 size_t from = 0) {
    std::map<std::string, std::map<std::string, int>> applied;
    std::vector<std::string> notes = signNotes(log);
    std::string with;
    const std::string opening = "nvs conversation with ", reply = "nvs reply ";
    for (size_t i = from; i < notes.size(); ++i) {
        const std::string& n = notes[i];
        if (n.rfind(opening, 0) == 0) {
            with = n.substr(opening.size());
        } else if (n.rfind(reply, 0) == 0) {
            ++applied[with]["reply " + n.substr(reply.size())];
        } else if (!with.empty() && n.rfind("nvs end of conversation", 0) != 0) {
            ++applied[with][n.substr(4, n.find(' ', 4) - 4)];
        }
    }
    return applied;
}

// "Check response for each sign" with two addresses: each sign gets the
// command in a conversation of its own, answers it, and the answer is listed
// per sign; unticked, one conversation names both and no sign answers.
TEST_F(ControlRouteTest, TickedOneShotCommandsReachEverySignAndEachAnswers) {
    std::string log = (dir / "two.jsonl").string();
    Signsim sim({"--nvs", "--tcp", "0", "--address", "1,2", "--log", log});
    ASSERT_TRUE(sim.started());
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    // Runs `kind` to addresses 1,2; what each sign applied in that run.
    auto run = [&](UpdateKind kind, bool each) {
        const size_t before = signNotes(log).size();
        gCalls.clear();
        host.list.clear();
        ControlRouteConfig c = tcp(sim.port());
        c.addressList = "1,2";
        c.checkEach = each;
        EXPECT_TRUE(route->start(kind, c, &work));
        EXPECT_TRUE(runToEnd());
        EXPECT_EQ(host.list.back(), "All are over!");
        return appliedPerSign(log, before);
    };
    struct Case {
        UpdateKind kind;
        const char* applied;  // the sign's note of the command
        const char* dispid;   // the route's call, as recorded
    };
    for (const Case& k : {Case{UpdateKind::AdjustTime, "time", "33:"},
                          Case{UpdateKind::ClearMemory, "clear", "30:"},
                          Case{UpdateKind::SetDefault, "run", "38:"}}) {
        SCOPED_TRACE(k.applied);
        auto applied = run(k.kind, true);
        EXPECT_TRUE(host.boxes.empty()) << host.boxes[0];
        EXPECT_EQ(route->failures(), 0);
        for (const char* sign : {"1", "2"}) {
            EXPECT_EQ(applied[sign][k.applied], 1) << sign << "\n" << slurp(log);
            EXPECT_EQ(applied[sign]["reply ok"], 1) << sign;
            EXPECT_TRUE(host.listed(std::string("All data had been sent to sign(") + sign +
                                    ") in IP 127.0.0.1 successfully!"));
        }
        EXPECT_FALSE(host.listed(text(msg::kControlBusy)));
        // One call per address, each sending at once.
        std::vector<std::string> calls = callsOf(k.dispid);
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].substr(0, calls[0].find(',') + 1), std::string(k.dispid) + "1,");
        EXPECT_EQ(calls[1].substr(0, calls[1].find(',') + 1), std::string(k.dispid) + "2,");
        EXPECT_EQ(calls[0].back(), '1');
        EXPECT_EQ(calls[1].back(), '1');
    }

    const size_t before = signNotes(log).size();
    run(UpdateKind::AdjustTime, false);
    awaitNote(log, before, "nvs end of conversation");
    auto applied = appliedPerSign(log, before);
    EXPECT_EQ(callsOf("33:"), std::vector<std::string>{"33:1,2,1"});
    EXPECT_EQ(applied["1,2"]["time"], 2) << slurp(log);  // both signs, one note each
}

// The same from the command line over a serial line (a pseudo-terminal)
// handed to the control.
TEST_F(ControlRouteTest, TheCliAdjustsTheTimeOfEverySignOnASerialLine) {
    std::string log = (dir / "cli-two.jsonl").string();
    Signsim sim({"--nvs", "--pty", "--address", "1,2", "--log", log});
    ASSERT_TRUE(sim.started());
    std::ostringstream out, err;
    int status = runControlCommand(
        {"adjust-time", "--home", dir.string(), "--link", "serial:" + sim.ptyPath() + "@115200",
         "--address", "1,2", "--check-each"},
        out, err);
    EXPECT_EQ(status, 0) << out.str() << err.str();
    EXPECT_NE(out.str().find("All data had been sent to sign(1) successfully!"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("All data had been sent to sign(2) successfully!"), std::string::npos)
        << out.str();
    EXPECT_EQ(out.str().find(text(msg::kControlBusy)), std::string::npos) << out.str();
    auto applied = appliedPerSign(log);
    for (const char* sign : {"1", "2"}) {
        EXPECT_EQ(applied[sign]["date"], 1) << sign << "\n" << slurp(log);
        EXPECT_EQ(applied[sign]["time"], 1) << sign;
        EXPECT_EQ(applied[sign]["reply ok"], 1) << sign;
    }
}

TEST_F(ControlRouteTest, AFailedConnectionIsShownAndTheNextTargetRuns) {
    Signsim sim({"--nvs", "--tcp", "0"});
    ASSERT_TRUE(sim.started());
    // Nothing listens on 127.0.0.2: the sign is bound to 127.0.0.1 only.
    ASSERT_TRUE(
        route->start(UpdateKind::SignOff, tcp(sim.port(), {"127.0.0.2", "127.0.0.1"}), nullptr));
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].find("127.0.0.2"), std::string::npos) << host.boxes[0];
    EXPECT_EQ(callsOf("17:").size(), 2u);
    EXPECT_EQ(callsOf("36:").size(), 2u);
    EXPECT_TRUE(host.listed("All data had been sent to sign(1) in IP 127.0.0.1 successfully!"));
    EXPECT_EQ(host.list.back(), "All are over!");
}

TEST_F(ControlRouteTest, GraphicsOnlyIsRefusedByTheControlAndTheRunEnds) {
    Signsim sim({"--nvs", "--tcp", "0"});
    ASSERT_TRUE(sim.started());
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    work.textFiles.clear();
    ASSERT_TRUE(route->start(UpdateKind::SendAll, tcp(sim.port()), &work));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(callsOf("31:"), std::vector<std::string>{"31:1,0,1"});
    EXPECT_TRUE(host.listed("No text file in work area, stop send."));
    EXPECT_EQ(host.list.back(), "All are over!");
    EXPECT_GT(route->failures(), 0);
}

TEST_F(ControlRouteTest, AnImageFolderThatCannotBeWrittenStopsBeforeAnythingIsSent) {
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    ControlRouteConfig c = tcp(1);
    std::ofstream(dir / "file");  // a file where the folder should be
    c.imageDir = dir / "file" / "NVS_Img";
    EXPECT_FALSE(route->start(UpdateKind::SendAll, c, &work));
    EXPECT_TRUE(gCalls.empty());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_FALSE(route->running());
}

TEST_F(ControlRouteTest, StopDuringASendEndsTheRun) {
    Signsim sim({"--nvs", "--tcp", "0", "--nvs-silent"});
    ASSERT_TRUE(sim.started());
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    ASSERT_TRUE(route->start(UpdateKind::SendAll, tcp(sim.port()), &work));
    for (int i = 0; i < 3000 && host.position == 0; ++i) {
        pollfd p{route->eventFd(), POLLIN, 0};
        ::poll(&p, 1, 10);
        route->dispatch();
    }
    ASSERT_GT(host.position, 0);
    EXPECT_TRUE(route->stop());
    EXPECT_FALSE(route->running());
    EXPECT_TRUE(host.ended);
    EXPECT_TRUE(host.listed("Is stop sending..."));
    EXPECT_EQ(host.list.back(), "Stop send over!");
    EXPECT_EQ(host.boxes.back(), "Cancelled by user");
    EXPECT_EQ(host.position, 0);
    EXPECT_FALSE(route->stop());  // no send thread left: the dialog would close
}

TEST_F(ControlRouteTest, AContentItemTheControlRefusesIsListedAndTheSendGoesOn) {
    Signsim sim({"--nvs", "--tcp", "0"});
    ASSERT_TRUE(sim.started());
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    TextFile& first = work.textFiles[0];
    ControlParams beep;
    beep.valueA = 9;  // no such beep
    first.items.insert(first.items.begin(), TextItem::control(kBeep, beep));
    ASSERT_TRUE(route->start(UpdateKind::SendAll, tcp(sim.port()), &work));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(host.listed(textf(msg::kControlRefusedItem, {"AddBeep", first.name.str(), -1})));
    EXPECT_TRUE(host.listed("All data had been sent to sign(1) in IP 127.0.0.1 successfully!"));
}

TEST(GraphicBmp, OneRedDotIsABottomUpBgrRowPaddedToFourBytes) {
    GraphicFile g;
    g.width = 1;
    g.height = 2;
    g.pixels = {kPixelRed, kPixelGreen};  // (0,0) red on top, (0,1) green below
    std::vector<uint8_t> b = encodeGraphicBmp(g);
    ASSERT_EQ(b.size(), 54u + 8u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[28], 24);  // bits per pixel
    // Bottom row first: green, then red; blue, green, red order.
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + 54, b.end())),
              (std::vector<uint8_t>{0, 0xFF, 0, 0, 0, 0, 0xFF, 0}));
    g.width = 0;
    EXPECT_TRUE(encodeGraphicBmp(g).empty());
}

TEST(ControlCli, FirstUseRegistersTheCarriedControlAndPrintsTheResultList) {
    std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("route-cli-" + std::to_string(::getpid()));
    std::filesystem::path config = home / "config";
    std::filesystem::create_directories(config);
    ::setenv("LUMAVOX_CONFIG_DIR", config.c_str(), 1);  // nothing registered yet
    ::setenv("NVSOCX_TEST_TIMINGS", "20,5000,2000", 1);
    Signsim sim({"--nvs", "--tcp", "0", "--address", "1,2"});
    ASSERT_TRUE(sim.started());
    std::ostringstream out, err;
    int status = runControlCommand(
        {"adjust-time", "--home", home.string(), "--link",
         "tcp:127.0.0.1:" + std::to_string(sim.port()), "--address", "1,2", "--no-check-each"},
        out, err);
    EXPECT_EQ(status, 0) << out.str() << err.str();
    EXPECT_TRUE(std::filesystem::exists(home / kControlFileName));
    EXPECT_NE(out.str().find("Create stock ocx failed. Now will register stock ocx!"),
              std::string::npos);
    EXPECT_NE(out.str().find("All are over!"), std::string::npos) << out.str();
    std::ostringstream out2, err2;
    EXPECT_EQ(runControlCommand({"send-text", "--home", home.string()}, out2, err2), 2);
    std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace lumavox

// Sends over a modem line: lumavox's operations dial through modemsim, which
// bridges the call to signsim; frames must arrive intact (the sign answers
// every one and gives the files back), and the line is hung up as asked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "LinkTestSupport.h"
#include "ModemTestSupport.h"
#include "SessionTestSupport.h"
#include "cli/Cli.h"
#include "content/Document.h"
#include "operations/Modems.h"
#include "operations/Operations.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

using test::Modemsim;
using test::RecordingHost;
using test::RecordingModemHost;
using test::Signsim;

// A sign behind a modem, and the settings that dial it as COM 12.
struct Route {
    explicit Route(std::vector<std::string> faults = {})
        : sign({"--tcp", "0"}), modem(modemArgs(sign, std::move(faults))) {
        settings.modemName = "GSM";
        settings.comDevices[12] = modem.ptyPath();
        settings.modemTimeoutMs = 3000;
        RegistryEx r;
        std::string e;
        EXPECT_TRUE(addModem(r, "GSM", 12, 0, e)) << e;
        registryPath = dir / "Registry.ini";
        EXPECT_TRUE(r.store().saveAs(registryPath, e)) << e;
    }
    static std::vector<std::string> modemArgs(const Signsim& s, std::vector<std::string> more) {
        std::vector<std::string> a = {"--sign",       "tcp:127.0.0.1:" + std::to_string(s.port()),
                                      "--guard-ms",   "50",
                                      "--connect-ms", "50"};
        a.insert(a.end(), more.begin(), more.end());
        return a;
    }
    OperationRequest request(const std::string& number = "5551234") const {
        OperationRequest q;
        LinkOverride l;
        l.modemNumber = number;
        l.modemRegistry = registryPath;
        q.link = l;
        q.address = "1";
        q.alwaysDisplay = false;
        return q;
    }
    test::TempDir dir;
    Signsim sign;
    Modemsim modem;
    Settings settings;
    std::filesystem::path registryPath;
};

TEST(ModemRoute, SendAllOverTheLineThenReadBack) {
    Route r;
    ASSERT_TRUE(r.sign.started() && r.modem.started());
    WorkArea doc = test::demoDocument();
    CSignLink link(comPortsFrom(r.settings));
    RecordingHost host;
    OperationOutcome out =
        runOperation(*findOperation("send-all"), link, host, &doc, r.settings, r.request());
    ASSERT_TRUE(out.ok) << out.resultText;
    EXPECT_EQ(out.resultText, "All of text files,graphics,schedules are sended successfully!");
    EXPECT_TRUE(host.sawStatus("Connect Status:\rConnect successfully!(CONNECT"));
    EXPECT_TRUE(host.boxes.empty());
    // "HangUpWhenSendOver" is off: the line stays up for the next operation.
    EXPECT_EQ(link.linkState(), LinkState::Modem);
    EXPECT_TRUE(link.isOpen());

    // What the sign stored, read back over the same line.
    SessionConfig c;
    c.link.address = "1";
    c.link.modemTimeoutMs = 3000;
    c.alwaysDisplay = false;
    SendSession s(link, host, c, &doc);
    ASSERT_TRUE(s.run(UpdateKind::ReadText)) << s.resultText();
    ASSERT_EQ(s.files().size(), 1u);
    EXPECT_EQ(s.files()[0].name, "Main");
    ASSERT_TRUE(s.run(UpdateKind::ReadGraphic)) << s.resultText();
    EXPECT_EQ(s.files().size(), doc.graphics.size());
    ASSERT_TRUE(s.run(UpdateKind::ReadSchedule)) << s.resultText();
    EXPECT_EQ(s.receivedTasks().size(), doc.tasks.size());
    EXPECT_EQ(link.linkState(), LinkState::Modem);

    // Without the dial window's dialer, a hang-up closes the port.
    RecordingModemHost mhost;
    ModemDialer dialer(link, mhost, SystemClock::instance(), test::quickTimings());
    dialer.hangUp();
    EXPECT_EQ(link.linkState(), LinkState::None);
    EXPECT_FALSE(link.isOpen());
}

TEST(ModemRoute, HangUpAfterSendThroughTheDialer) {
    Route r;
    r.settings.hangUpModemWhenSendOver = true;
    CSignLink link(comPortsFrom(r.settings));
    RecordingHost host;
    RecordingModemHost mhost;  // the dial window's dialer
    ModemDialer dialer(link, mhost, SystemClock::instance(), test::quickTimings());
    OperationOutcome out =
        runOperation(*findOperation("adjust-time"), link, host, nullptr, r.settings, r.request());
    ASSERT_TRUE(out.ok) << out.resultText;
    EXPECT_EQ(link.linkState(), LinkState::None);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(mhost.statuses.back(), "Connect Status:\rDisconnected!");
    EXPECT_EQ(mhost.dialed, (std::vector<std::string>{"5551234"}));
    // The modem is back in its command state: a second run dials again.
    out = runOperation(*findOperation("sign-on"), link, host, nullptr, r.settings, r.request());
    EXPECT_TRUE(out.ok) << out.resultText;
    EXPECT_EQ(link.linkState(), LinkState::None);
}

TEST(ModemRoute, FailedDialIsTheOperationsFailure) {
    for (const char* fault : {"--busy", "--no-dialtone", "--no-carrier"}) {
        Route r({fault});
        CSignLink link(comPortsFrom(r.settings));
        RecordingHost host;
        OperationOutcome out = runOperation(*findOperation("adjust-time"), link, host, nullptr,
                                            r.settings, r.request());
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.problem, OperationProblem::Refused);
        ASSERT_EQ(host.boxes.size(), 1u) << fault;
        EXPECT_EQ(host.boxes[0].rfind("Error: Connect Status:\r", 0), 0u) << host.boxes[0];
        EXPECT_EQ(link.linkState(), LinkState::None);
        EXPECT_FALSE(link.isOpen());
    }
    // No modem selected.
    Route r;
    r.settings.modemName.clear();
    CSignLink link(comPortsFrom(r.settings));
    RecordingHost host;
    OperationOutcome out =
        runOperation(*findOperation("adjust-time"), link, host, nullptr, r.settings, r.request());
    EXPECT_FALSE(out.ok);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0], "Error: You must select a modem in 'Modem->Modem Info...'");
}

TEST(ModemRoute, CommandLine) {
    Route r;
    const char* before = std::getenv("LUMAVOX_CONFIG_DIR");
    std::string kept = before ? before : "";
    ::setenv("LUMAVOX_CONFIG_DIR", (r.dir / "cfg").c_str(), 1);
    auto cli = [&](std::vector<std::string> args, std::string& text) {
        std::ostringstream out, err;
        int status = runCli(args, out, err);
        text = out.str() + err.str();
        return status;
    };
    std::string text;
    std::string doc = (r.dir / "demo.glm").string();
    ASSERT_EQ(cli({"demo", doc}, text), 0) << text;
    ASSERT_EQ(cli({"modem", "add", "--model", "GSM", "--port", r.modem.ptyPath()}, text), 0)
        << text;
    EXPECT_EQ(cli({"modem", "check"}, text), 0) << text;
    // (The language file's copy of "Signal strength: " has lost its trailing blank.)
    EXPECT_NE(text.find("Modem registered to network: Yes\nSignal strength: "), std::string::npos)
        << text;
    EXPECT_NE(text.find("Very good(20)\n"), std::string::npos) << text;
    EXPECT_EQ(cli({"send-all", doc, "--link", "modem:5551234", "--address", "1"}, text), 0) << text;
    EXPECT_NE(text.find("sended successfully"), std::string::npos);
    EXPECT_EQ(cli({"send-all", doc, "--link", "modem:"}, text), 2);
    // The number dialled joins the phone list, as from the dial window.
    Settings stored = SettingsStore(ApplicationEnvironment::fromSystem()).LoadSettings();
    EXPECT_EQ(stored.phones, std::vector<std::string>{"5551234"});
    EXPECT_EQ(stored.lastPhoneNo, "5551234");

    // A dead modem: the check fails and its last line is a whole line.
    Modemsim dead({"--dead"});
    ASSERT_TRUE(dead.started());
    ASSERT_EQ(cli({"modem", "add", "--model", "Dead", "--port", dead.ptyPath()}, text), 0) << text;
    ASSERT_EQ(cli({"modem", "select", "Dead"}, text), 0) << text;
    EXPECT_EQ(cli({"modem", "check"}, text), 1) << text;
    const std::string last = "Modem maybe not GSM Modem, or not insert SIM Card in GSM Modem!\n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last) << text;
    if (before)
        ::setenv("LUMAVOX_CONFIG_DIR", kept.c_str(), 1);
    else
        ::unsetenv("LUMAVOX_CONFIG_DIR");
}

}  // namespace
}  // namespace lumavox

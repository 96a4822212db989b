// The send session against the virtual sign over loopback TCP and a
// pseudo-terminal: every operation, several addresses, address 0, TCP groups,
// lost handshakes, a silent sign, cancellation, bad and stalled replies.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "LinkTestSupport.h"
#include "SessionTestSupport.h"
#include "cli/Cli.h"
#include "content/Document.h"
#include "session/SendSession.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

using test::demoDocument;
using test::RecordingHost;
using test::Signsim;
using test::tcpConfig;

TEST(SessionTcp, SendAllToSeveralAddressesThenReadBack) {
    Signsim sim({"--tcp", "0", "--address", "1,3"});
    ASSERT_TRUE(sim.started());
    WorkArea doc = demoDocument();
    CSignLink link;
    RecordingHost host;
    SendSession s(link, host, tcpConfig(sim, "1,3"), &doc);
    ASSERT_TRUE(s.run(UpdateKind::SendAll)) << s.resultText();
    EXPECT_EQ(s.resultText(), "All of text files,graphics,schedules are sended successfully!");
    EXPECT_TRUE(
        host.sawStatus("Sending text file 'Main' to address #3(127.0.0.1 in group G),"
                       "Successfully!"));
    EXPECT_TRUE(host.boxes.empty());

    for (const char* a : {"1", "3"}) {
        SessionConfig c = tcpConfig(sim, a);
        s.setConfig(c);
        ASSERT_TRUE(s.run(UpdateKind::ReadText)) << s.resultText();
        ASSERT_EQ(s.files().size(), 1u);
        EXPECT_EQ(s.files()[0].name, "Main");
        ASSERT_TRUE(s.run(UpdateKind::ReadGraphic));
        EXPECT_EQ(s.files().size(), doc.graphics.size());
        ASSERT_TRUE(s.run(UpdateKind::ReadSchedule));
        EXPECT_EQ(s.receivedTasks().size(), doc.tasks.size());
        ASSERT_TRUE(s.run(UpdateKind::ReadMemory));
        EXPECT_NE(s.resultText().find("Text Used:\t"), std::string::npos);
    }
}

TEST(SessionTcp, ReadFilesAndMergeThem) {
    Signsim sim({"--tcp", "0", "--frame", "40"});
    WorkArea doc = demoDocument();
    CSignLink link;
    RecordingHost host;
    SendSession s(link, host, tcpConfig(sim, "1"), &doc);
    ASSERT_TRUE(s.run(UpdateKind::SendAll));
    // The progress bar stays full after a run and a file read that succeeded.
    EXPECT_GT(host.progressHigh, host.progressLow);
    EXPECT_EQ(host.progressAt, host.progressHigh);
    ASSERT_TRUE(s.run(UpdateKind::ReadText));
    ASSERT_TRUE(s.tick("Main"));
    host.progressAt = 0;
    ASSERT_TRUE(s.readFiles(UpdateKind::ReadText)) << s.resultText();
    EXPECT_EQ(host.progressAt, host.progressHigh);
    ASSERT_EQ(s.receivedTexts().size(), 1u);
    ASSERT_TRUE(s.run(UpdateKind::ReadGraphic));
    for (auto& f : s.files())
        s.tick(f.name);
    ASSERT_TRUE(s.readFiles(UpdateKind::ReadGraphic)) << s.resultText();
    EXPECT_EQ(s.receivedGraphics().size(), doc.graphics.size());
    WorkArea target = doc;
    host.answer = false;
    EXPECT_EQ(s.mergeInto(target), 0);  // both exist; the user keeps his own
    EXPECT_EQ(host.questions.size(), 1 + doc.graphics.size());
    EXPECT_NE(host.questions[0].find("Text file 'Main' has exist"), std::string::npos);
    // A cancelled run leaves it empty.
    host.cancel = true;
    EXPECT_FALSE(s.run(UpdateKind::SignOn));
    EXPECT_EQ(host.progressAt, 0);
}

TEST(SessionTcp, EveryOneShotCommandAndItsReadBack) {
    Signsim sim({"--tcp", "0", "--model", "KV-Test", "--serial", "SN42", "--config", "0x21"});
    WorkArea doc = demoDocument();
    CSignLink link;
    RecordingHost host;
    SessionConfig c = tcpConfig(sim, "1");
    c.autoOnOff = {true, 7, 30, false, 22, 0};
    SendSession s(link, host, c, &doc);
    for (UpdateKind k : {UpdateKind::AdjustTime, UpdateKind::SendSchedule, UpdateKind::SignOff,
                         UpdateKind::SignOn, UpdateKind::ClearMemory, UpdateKind::ClearGraphics,
                         UpdateKind::ClearSchedule, UpdateKind::ClearText, UpdateKind::AutoOnOff,
                         UpdateKind::TestDisplay, UpdateKind::CloseTest})
        EXPECT_TRUE(s.run(k)) << static_cast<int>(k) << ": " << s.resultText();
    OperationArgs a;
    a.defaultName = "NEWS";
    ASSERT_TRUE(s.run(UpdateKind::SetDefault, a));
    ASSERT_TRUE(s.run(UpdateKind::ReadDefault));
    EXPECT_EQ(s.resultText(), "The default file is:\tNEWS");
    ASSERT_TRUE(s.run(UpdateKind::ReadAutoOnOff));
    EXPECT_EQ(s.resultText(), "ON\t:\tAUTO\t07:30\r\rOFF\t:\tMANUAL\t");
    ASSERT_TRUE(s.run(UpdateKind::ReadBios));
    EXPECT_EQ(s.resultText().rfind("Sign Model\t:KV-Test\r", 0), 0u) << s.resultText();
    ASSERT_TRUE(s.run(UpdateKind::ReadSerial));
    EXPECT_EQ(s.resultText(), "Product S/N\t:\tSN42");
    ASSERT_TRUE(s.run(UpdateKind::ReadConfig));
    EXPECT_EQ(s.resultText().rfind("SOUND\t:ON\rAUTO BACKUP\t:OFF", 0), 0u);
    a.baudIndex = 3;
    EXPECT_TRUE(s.run(UpdateKind::ChangeBaud, a));
    a.oldAddress = 1;
    a.newAddress = 7;
    ASSERT_TRUE(s.run(UpdateKind::ChangeAddress, a)) << s.resultText();
    EXPECT_TRUE(host.sawStatus("Send 'Change address'  to  address 1#(127.0.0.1 in group G),"));
    s.setConfig(tcpConfig(sim, "7"));
    EXPECT_TRUE(s.run(UpdateKind::ReadMemory)) << s.resultText();
}

TEST(SessionTcp, ChangeAddressGoesOncePerRun) {
    Signsim sim({"--tcp", "0", "--address", "2"});
    CSignLink link;
    RecordingHost host;
    SendSession s(link, host, tcpConfig(sim, "1,3,10-12"), nullptr);
    OperationArgs a;
    a.oldAddress = 2;
    a.newAddress = 5;
    EXPECT_TRUE(s.run(UpdateKind::ChangeAddress, a)) << s.resultText();
    EXPECT_TRUE(host.boxes.empty());
}

TEST(SessionTcp, AddressZeroGoesOnceWithoutHandshakesAndReadsAreRefused) {
    Signsim sim({"--tcp", "0", "--address", "5,7"});
    CSignLink link;
    RecordingHost host;
    SendSession s(link, host, tcpConfig(sim, "5,0,7"), nullptr);
    EXPECT_TRUE(s.run(UpdateKind::SignOff)) << s.resultText();
    EXPECT_TRUE(host.sawStatus("Send 'Close machine' to address 0#"));
    EXPECT_FALSE(host.sawStatus("address 5#"));
    EXPECT_FALSE(s.run(UpdateKind::ReadMemory));
    EXPECT_EQ(s.resultText(),
              "Sorry,when read information from bios,the address 0# is invalidation!");
}

TEST(SessionTcp, GroupWithSeveralTargets) {
    Signsim sim({"--tcp", "0"});
    CSignLink link;
    RecordingHost host;
    SessionConfig c = tcpConfig(sim, "1");
    c.groupAddresses = "127.0.0.1,,127.0.0.1";
    SendSession s(link, host, c, nullptr);
    EXPECT_TRUE(s.run(UpdateKind::SignOn)) << s.resultText();
    int connects = 0;
    for (auto& st : host.statuses)
        if (st == "Connect 127.0.0.1 by network successfully!") ++connects;
    EXPECT_EQ(connects, 2);
    // A read goes to the first target only, after a warning.
    host.boxes.clear();
    EXPECT_TRUE(s.run(UpdateKind::ReadConfig));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].find("Prompt: Note: When use LAN/GPRS Modem"), std::string::npos);
}

TEST(SessionTcp, LostHandshakesAreRepeated) {
    Signsim sim({"--tcp", "0", "--drop-handshake", "2"});
    CSignLink link;
    RecordingHost host;
    SessionConfig c = tcpConfig(sim, "1");
    c.link.lanTimeoutMs = 200;
    c.link.repeatTimes = 3;
    SendSession s(link, host, c, nullptr);
    EXPECT_TRUE(s.run(UpdateKind::SignOn)) << s.resultText();
    EXPECT_TRUE(host.sawStatus("The 3th sending"));
}

TEST(SessionTcp, SignThatNeverAnswers) {
    Signsim sim({"--tcp", "0", "--address", "1"});
    CSignLink link;
    RecordingHost host;
    SessionConfig c = tcpConfig(sim, "9");
    c.link.lanTimeoutMs = 100;
    c.link.repeatTimes = 0;  // still tried once
    SendSession s(link, host, c, nullptr);
    EXPECT_FALSE(s.run(UpdateKind::SignOn));
    EXPECT_EQ(s.resultText(), "Send 'Open machine' to address 9#(127.0.0.1 in group G) failed!");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].rfind("Error: ", 0), 0u);
}

TEST(SessionTcp, CancelDuringAnAttemptIsSeenQuickly) {
    Signsim sim({"--tcp", "0", "--address", "1"});
    CSignLink link;
    RecordingHost host;
    SessionConfig c = tcpConfig(sim, "9");
    c.link.lanTimeoutMs = 60000;
    SendSession s(link, host, c, nullptr);
    host.cancelAfterPumps = 5;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(s.run(UpdateKind::SignOn));
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(s.resultText(), "Cancelled by user");
    EXPECT_TRUE(host.sawStatus("(127.0.0.1 in group G). Cancelled by user"));
}

// Cancels the run once a status line holding `trigger` is shown.
class CancelOnStatus : public RecordingHost {
  public:
    explicit CancelOnStatus(std::string trigger) : trigger_(std::move(trigger)) {}
    void status(const std::string& t) override {
        RecordingHost::status(t);
        if (t.find(trigger_) != std::string::npos) cancel = true;
    }

  private:
    std::string trigger_;
};

// Send all of `doc` to `sim`, cancelled at the status line holding `trigger`:
// the last status line, which is the run's result text.
std::string sendAllStoppedAt(const Signsim& sim, const WorkArea& doc, const std::string& trigger) {
    CSignLink link;
    CancelOnStatus host(trigger);
    SendSession s(link, host, tcpConfig(sim, "1"), &doc);
    EXPECT_FALSE(s.run(UpdateKind::SendAll));
    EXPECT_EQ(host.statuses.back(), s.resultText());
    return s.resultText();
}

TEST(SessionTcp, ASendAllStoppedAfterTheClearSaysWhatTheSignHolds) {
    const std::string kConnected = "by network successfully";
    WorkArea doc = demoDocument();
    ASSERT_FALSE(doc.graphics.empty());
    std::string graphics;
    for (const GraphicFile& g : doc.graphics)
        graphics += (graphics.empty() ? "" : ", ") + g.name.str();
    {
        // Stopped before the first text file: the graphics are all the sign holds.
        Signsim sim({"--tcp", "0", "--address", "1"});
        EXPECT_EQ(
            sendAllStoppedAt(sim, doc,
                             "Send 'End session' to address 1#(127.0.0.1 in group G),Successfully"),
            "Cancelled by user The memory of the sign at address #1 was cleared before the "
            "stop; only these files reached it: " +
                graphics + ".");
        CSignLink link;
        RecordingHost reader;
        SendSession r(link, reader, tcpConfig(sim, "1"), &doc);
        ASSERT_TRUE(r.run(UpdateKind::ReadText));
        EXPECT_TRUE(r.files().empty());
        ASSERT_TRUE(r.run(UpdateKind::ReadGraphic));
        EXPECT_EQ(r.files().size(), doc.graphics.size());
    }
    // Stopped before any frame went out: the sign was not touched.
    EXPECT_EQ(sendAllStoppedAt(Signsim({"--tcp", "0", "--address", "1"}), doc, kConnected),
              "Cancelled by user");
    // Without graphic files Send all sends no clear, and says none.
    WorkArea texts = doc;
    texts.graphics.clear();
    EXPECT_FALSE(sendAllClearsMemory(texts));
    EXPECT_TRUE(sendAllClearsMemory(doc));
    EXPECT_EQ(sendAllStoppedAt(Signsim({"--tcp", "0", "--address", "1"}), texts,
                               "Sending text file 'Main'"),
              "Cancelled by user");
}

TEST(SessionTcp, CorruptReplyFrame) {
    Signsim sim({"--tcp", "0", "--corrupt-reply"});
    CSignLink link;
    RecordingHost host;
    SendSession s(link, host, tcpConfig(sim, "1"), nullptr);
    EXPECT_FALSE(s.run(UpdateKind::ReadMemory));
    EXPECT_EQ(s.resultText(), "Read memory information from bios failed!");
    EXPECT_TRUE(host.sawStatus("Check sum error"));
}

TEST(SessionTcp, SignStallsMidReply) {
    // Reply frames of 3 bytes; the sign falls silent after the request and
    // two reply frames.
    Signsim sim({"--tcp", "0", "--frame", "3", "--stall-after", "3"});
    CSignLink link;
    RecordingHost host;
    SessionConfig c = tcpConfig(sim, "1");
    c.replyTimeoutMs = 300;  // the 30-second rule, shortened
    SendSession s(link, host, c, nullptr);
    EXPECT_FALSE(s.run(UpdateKind::ReadBios));
    EXPECT_TRUE(host.sawStatus("Receive time out")) << s.resultText();
    EXPECT_EQ(s.resultText(), "Read BIOS information failed!");
}

TEST(SessionTcp, RepliesSplitIntoSmallFramesAreNotCutShort) {
    Signsim sim({"--tcp", "0", "--frame", "2", "--model", "A-LONG-MODEL-NAME"});
    CSignLink link;
    RecordingHost host;
    SendSession s(link, host, tcpConfig(sim, "1"), nullptr);
    ASSERT_TRUE(s.run(UpdateKind::ReadBios)) << s.resultText();
    EXPECT_EQ(s.resultText(),
              "Sign Model\t:A-LONG-MODEL-NAME\rBIOS Software Version\t:1.2\rBIOS Software "
              "Release Date(D-M-Y)\t:15-6-2023\rSign Protocol Version\t:1.0\rSign Hardware "
              "Version\t:3");
}

TEST(SessionPty, APortThatCannotBeOpenedSaysTheSystemsReason) {
    // COM 7 stands for a device that is not there.
    CSignLink link(ComPortMap({{7, "/dev/lumavox-no-such-port"}}));
    RecordingHost host;
    SessionConfig c;
    c.link.comPort = 7;
    c.link.address = "1";
    c.alwaysDisplay = false;
    c.settleMs = 0;
    WorkArea doc = demoDocument();
    SendSession s(link, host, c, &doc);
    EXPECT_FALSE(s.run(UpdateKind::SendAll));
    // The reason first, then the message, which cannot tell a missing port
    // from one another program holds.
    EXPECT_TRUE(host.sawStatus("/dev/lumavox-no-such-port: open port: No such file or directory"));
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_NE(host.boxes.back().find("Init comport error"), std::string::npos);
}

TEST(SessionPty, SendAndReadOverASerialLine) {
    Signsim sim({"--pty", "--address", "2"});
    ASSERT_TRUE(sim.started());
    WorkArea doc = demoDocument();
    CSignLink link;
    RecordingHost host;
    SessionConfig c;
    c.serialDevice = sim.ptyPath();
    c.serialBaud = 57600;
    c.link.address = "2";
    c.alwaysDisplay = false;
    c.settleMs = 0;
    OperationArgs a;
    a.files = {"Main"};
    SendSession s(link, host, c, &doc);
    ASSERT_TRUE(s.run(UpdateKind::SendText, a)) << s.resultText();
    EXPECT_TRUE(host.sawStatus("Sending text file 'Main' to address #2,Successfully!"));
    EXPECT_FALSE(link.isOpen());
    ASSERT_TRUE(s.run(UpdateKind::ReadText));
    EXPECT_EQ(s.files().size(), 1u);
    // The test display leaves the line open until the close-test command.
    ASSERT_TRUE(s.run(UpdateKind::TestDisplay));
    EXPECT_TRUE(link.isOpen());
    ASSERT_TRUE(s.run(UpdateKind::CloseTest));
    EXPECT_FALSE(link.isOpen());
}

TEST(SessionPreChecks, NothingTickedNoAddressAndOversizedFiles) {
    CSignLink link;
    RecordingHost host;
    SessionConfig c;
    c.alwaysDisplay = false;
    c.link.address = "";
    WorkArea doc = demoDocument();
    SendSession s(link, host, c, &doc);
    EXPECT_FALSE(s.run(UpdateKind::SendText));
    EXPECT_EQ(s.resultText(), "Please select one or more files which to be updated firstly!");
    EXPECT_FALSE(s.run(UpdateKind::SignOn));
    EXPECT_EQ(s.resultText().rfind("Sorry,you must specify the address", 0), 0u);
    GraphicFile big = doc.graphics.at(0);
    big.name = "BIG";
    big.width = 300;
    big.pixels.assign(size_t{300} * big.height, 0);
    doc.graphics.push_back(big);
    c.link.address = "1";
    s.setConfig(c);
    OperationArgs a;
    a.files = {"BIG"};
    host.boxes.clear();
    EXPECT_FALSE(s.run(UpdateKind::SendGraphic, a));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].find("'BIG' can't be sent"), std::string::npos);
    // The status line says it too and keeps it, not the text of the run before.
    EXPECT_NE(s.resultText().find("'BIG' can't be sent"), std::string::npos) << s.resultText();
    ASSERT_FALSE(host.statuses.empty());
    EXPECT_EQ(host.statuses.back(), s.resultText());
}

TEST(Cli, SignOperationsExitStatus) {
    Signsim sim({"--tcp", "0"});
    std::string link = "tcp:127.0.0.1:" + std::to_string(sim.port());
    auto doc = (std::filesystem::temp_directory_path() / "lvx-cli-demo.glm").string();
    std::ostringstream out, err;
    ASSERT_EQ(runCli({"demo", doc}, out, err), 0);
    EXPECT_EQ(runCli({"send-all", doc, "--link", link, "--address", "1", "--quiet"}, out, err), 0)
        << out.str() << err.str();
    out.str("");
    EXPECT_EQ(runCli({"read-memory", "--link", link, "--address", "1"}, out, err), 0);
    EXPECT_NE(out.str().find("Text Used:\t"), std::string::npos);
    out.str("");
    EXPECT_EQ(
        runCli({"read-text", doc, "Main", "--link", link, "--address", "1", "--yes"}, out, err), 0)
        << out.str();
    EXPECT_NE(out.str().find("[Prompt] Text file 'Main' has exist"), std::string::npos);
    EXPECT_EQ(runCli({"read-memory", "--link", link, "--address", ",1"}, out, err), 2);
    EXPECT_EQ(runCli({"change-address", "3", "3", "--link", link}, out, err), 1);
}

}  // namespace
}  // namespace lumavox

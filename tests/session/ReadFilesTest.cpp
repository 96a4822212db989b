// Reading text files back from the virtual sign: window files keep their own
// content across several files and several reads, bodies decode in the
// program's fonts, and a failed request or link ends the conversation with its
// own cause. Also the cancel that arrives between two transfers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "LinkTestSupport.h"
#include "SessionTestSupport.h"
#include "cli/Cli.h"
#include "content/Document.h"
#include "content/WindowLayout.h"
#include "operations/Operations.h"
#include "platform/ByteIo.h"
#include "session/SendSession.h"

namespace lumavox {
namespace {

using test::RecordingHost;
using test::Signsim;
using test::tcpConfig;

std::filesystem::path scratchDir() {
    auto dir =
        std::filesystem::temp_directory_path() / ("lvx-readfiles-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

CharItem attrs(uint16_t ch) {
    CharItem c;
    c.font = 1;
    c.colour = 1;
    c.character = ch;
    return c;
}

TextFile fileOf(const std::string& name, uint8_t kind, const std::string& chars) {
    TextFile f;
    f.kind = kind;
    f.name = name;
    for (char c : chars)
        f.items.push_back(TextItem::character(attrs(static_cast<uint8_t>(c))));
    f.items.push_back(TextItem::character(attrs(kCR)));
    return f;
}

// A text file showing one full-sign window whose window file holds `shown`.
void addWindowedFile(WorkArea& w, const std::string& name, const std::string& window,
                     const std::string& shown) {
    TextFile f = fileOf(name, kTextFile, "");
    WindowControl wc;
    WindowArea area;
    area.valueC = static_cast<uint16_t>(w.signWidth);
    area.valueD = static_cast<uint16_t>(w.signHeight);
    area.name = window;
    wc.areas = {area};
    f.items.insert(f.items.begin(), TextItem::window(wc));
    w.textFiles.push_back(f);
    w.textFiles.push_back(fileOf(window, kWindowFile, shown));
}

std::string charsOf(const TextFile& f) {
    std::string s;
    for (const TextItem& i : f.items)
        if (i.isChar() && !i.isCharCode(kCR)) s.push_back(static_cast<char>(i.ch().character));
    return s;
}

// The characters of the window file that the first window area of `name` calls.
std::string windowShownBy(const WorkArea& w, const std::string& name) {
    const TextFile* f = w.findFile(name);
    if (!f) return "<no file " + name + ">";
    for (const TextItem& i : f->items) {
        if (!i.isWindow() || i.window().areas.empty()) continue;
        const TextFile* called = w.findFile(i.window().areas[0].name.str());
        return called ? charsOf(*called) : "<no window file>";
    }
    return "<no window>";
}

// Two text files whose windows show different texts, and one file more.
WorkArea twoWindowedFiles() {
    WorkArea w;
    w.textFiles.push_back(fileOf("Main", kTextFile, "M"));
    addWindowedFile(w, "FIRST", "*WA", "AAA");
    addWindowedFile(w, "SECOND", "*WB", "BBB");
    return w;
}

OperationRequest tcpRequest(const Signsim& sim) {
    OperationRequest r;
    LinkOverride l;
    l.route = Route::Tcp;
    l.hosts = "127.0.0.1";
    l.groupName = "G";
    l.port = sim.port();
    r.link = l;
    r.address = "1";
    r.alwaysDisplay = false;
    return r;
}

TEST(ReadFiles, WindowFilesOfSeveralFilesReadInOneRunKeepTheirContent) {
    Signsim sim({"--tcp", "0"});
    ASSERT_TRUE(sim.started());
    WorkArea sent = twoWindowedFiles();
    Settings settings;
    CSignLink link;
    RecordingHost host;
    ASSERT_TRUE(
        runOperation(*findOperation("send-text"), link, host, &sent, settings, tcpRequest(sim)).ok);

    // Read both into a document that holds neither; the read is saved.
    WorkArea target;
    target.textFiles.push_back(fileOf("Main", kTextFile, "M"));
    const auto path = scratchDir() / "windows.glm";
    OperationRequest r = tcpRequest(sim);
    r.names = {"FIRST", "SECOND"};
    r.documentPath = path;
    OperationOutcome o =
        runOperation(*findOperation("read-text"), link, host, &target, settings, r);
    ASSERT_TRUE(o.ok) << o.resultText << o.saveError;
    EXPECT_EQ(windowShownBy(target, "FIRST"), "AAA");
    EXPECT_EQ(windowShownBy(target, "SECOND"), "BBB");
    EXPECT_TRUE(host.questions.empty());

    OpenResult reopened = openDocument(path, {});
    ASSERT_TRUE(reopened.ok) << reopened.error;
    EXPECT_EQ(windowShownBy(reopened.work, "FIRST"), "AAA");
    EXPECT_EQ(windowShownBy(reopened.work, "SECOND"), "BBB");
    std::filesystem::remove_all(path.parent_path());
}

TEST(ReadFiles, AWindowOfTwoAreasComesBackAsOneWindowOfItsLayout) {
    Signsim sim({"--tcp", "0"});
    ASSERT_TRUE(sim.started());
    // Two halves side by side, then text after the window.
    WorkArea sent;
    sent.textFiles.push_back(fileOf("Main", kTextFile, "M"));
    TextFile split = fileOf("SPLIT", kTextFile, "X");
    WindowControl halves = makeWindowControl(3, sent.signWidth, sent.signHeight);
    halves.areas[0].name = "*WL";
    halves.areas[1].name = "*WR";
    split.items.insert(split.items.begin(), TextItem::window(halves));
    sent.textFiles.push_back(split);
    sent.textFiles.push_back(fileOf("*WL", kWindowFile, "LLL"));
    sent.textFiles.push_back(fileOf("*WR", kWindowFile, "RRR"));
    Settings settings;
    CSignLink link;
    RecordingHost host;
    OperationRequest send = tcpRequest(sim);
    send.names = {"SPLIT"};
    ASSERT_TRUE(runOperation(*findOperation("send-text"), link, host, &sent, settings, send).ok);

    WorkArea target;
    target.textFiles.push_back(fileOf("Main", kTextFile, "M"));
    OperationRequest r = tcpRequest(sim);
    r.names = {"SPLIT"};
    OperationOutcome o =
        runOperation(*findOperation("read-text"), link, host, &target, settings, r);
    ASSERT_TRUE(o.ok) << o.resultText;
    const TextFile* back = target.findFile("SPLIT");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(charsOf(*back), "X");
    std::vector<const WindowControl*> windows;
    for (const TextItem& i : back->items)
        if (i.isWindow()) windows.push_back(&i.window());
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->layoutType, 3);
    ASSERT_EQ(windows[0]->areas.size(), 2u);
    for (size_t k = 0; k < 2; ++k)
        EXPECT_EQ(areaRect(windows[0]->areas[k]), areaRect(halves.areas[k])) << k;
    const TextFile* left = target.findFile(windows[0]->areas[0].name.str());
    const TextFile* right = target.findFile(windows[0]->areas[1].name.str());
    ASSERT_TRUE(left && right);
    EXPECT_EQ(charsOf(*left), "LLL");
    EXPECT_EQ(charsOf(*right), "RRR");
}

TEST(ReadFiles, PressingReadFileTwiceKeepsEachWindow) {
    Signsim sim({"--tcp", "0"});
    WorkArea sent = twoWindowedFiles();
    CSignLink link;
    RecordingHost host;
    // The document the reads go into already uses the first window name.
    WorkArea target;
    target.textFiles.push_back(fileOf("Main", kTextFile, "M"));
    target.textFiles.push_back(fileOf("*F000000", kWindowFile, "OWN"));
    SendSession sender(link, host, tcpConfig(sim, "1"), &sent);
    OperationArgs all;
    all.files = {"FIRST", "SECOND"};
    ASSERT_TRUE(sender.run(UpdateKind::SendText, all)) << sender.resultText();

    SendSession s(link, host, tcpConfig(sim, "1"), &target);
    ASSERT_TRUE(s.run(UpdateKind::ReadText));
    ASSERT_TRUE(s.tick("FIRST"));
    ASSERT_TRUE(s.readFiles(UpdateKind::ReadText)) << s.resultText();
    s.tick("FIRST", false);
    ASSERT_TRUE(s.tick("SECOND"));
    ASSERT_TRUE(s.readFiles(UpdateKind::ReadText)) << s.resultText();
    EXPECT_EQ(s.mergeInto(target), 2);
    EXPECT_EQ(windowShownBy(target, "FIRST"), "AAA");
    EXPECT_EQ(windowShownBy(target, "SECOND"), "BBB");
    EXPECT_EQ(charsOf(*target.findFile("*F000000")), "OWN");
}

// A text body holding the bytes given as its items.
std::vector<uint8_t> bodyWithItems(const std::string& name, std::vector<uint8_t> items) {
    std::vector<uint8_t> b = test::textBody(name, kEmptyTextBodySize + items.size());
    std::copy(items.begin(), items.end(), b.begin() + kBodyHeaderSize + 1);
    uint16_t check = invertedSum16(std::span<const uint8_t>(b).first(b.size() - 2));
    b[b.size() - 2] = static_cast<uint8_t>(check & 0xFF);
    b[b.size() - 1] = static_cast<uint8_t>(check >> 8);
    return b;
}

TEST(ReadFiles, BodiesDecodeInTheDefaultFontAndSkipCodesPastFontOne) {
    Signsim sim({"--tcp", "0"});
    // The sign holds a body whose items are 41 F9 58 F9 42: F9 lies past the
    // end code of font 1, so "F9 58 F9" is one unknown code.
    {
        CSignLink link;
        test::TestReceiver rx(link);
        std::string err;
        ASSERT_TRUE(link.connect(&rx, "127.0.0.1", sim.port(), err)) << err;
        link.setLinkState(LinkState::Tcp);
        std::vector<uint8_t> payload{'a'};
        auto body = bodyWithItems("RAW", {0x41, 0xF9, 0x58, 0xF9, 0x42});
        payload.insert(payload.end(), body.begin(), body.end());
        ASSERT_EQ(test::sendAndAwait(link, test::frameOf(payload, 1, 0), 2000, err), 1) << err;
        const uint8_t end[] = {'z'};
        ASSERT_EQ(test::sendAndAwait(link, test::frameOf(end, 1, 1), 2000, err), 1) << err;
        link.closeSocket();
    }
    // A program directory with the real fonts and SF10 (index 3) as the default.
    const auto home = scratchDir() / "home";
    std::filesystem::create_directories(home);
    std::filesystem::copy_file(std::filesystem::path(LUMAVOX_DATA_DIR) / "KV2fnt.bin",
                               home / "KV2fnt.bin",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(home / "SoftwareSet.ini") << "[Font]\nDefault=SF10\n";
    const auto doc = (home / "doc.glm").string();
    std::ostringstream out, err;
    ASSERT_EQ(runCli({"demo", doc, "--home", home.string()}, out, err), 0) << err.str();
    ASSERT_EQ(runCli({"read-text", doc, "RAW", "--home", home.string(), "--link",
                      "tcp:127.0.0.1:" + std::to_string(sim.port()), "--address", "1"},
                     out, err),
              0)
        << out.str() << err.str();
    OpenResult r = openDocument(doc, {});
    ASSERT_TRUE(r.ok) << r.error;
    const TextFile* raw = r.work.findFile("RAW");
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(charsOf(*raw), "AB");
    for (const TextItem& i : raw->items)
        EXPECT_EQ(i.ch().font, 3) << i.ch().character;
    std::filesystem::remove_all(home.parent_path());
}

// Reads the sign's directory from `first`, then asks `second` for the file.
struct FailedFileRead {
    RecordingHost host;
    std::string result;
};

void readFileFrom(const Signsim& first, const Signsim& second, FailedFileRead& f) {
    WorkArea doc = twoWindowedFiles();
    CSignLink link;
    SendSession s(link, f.host, tcpConfig(first, "1"), &doc);
    OperationArgs all;
    all.files = {"FIRST"};
    ASSERT_TRUE(s.run(UpdateKind::SendText, all));
    ASSERT_TRUE(s.run(UpdateKind::ReadText));
    ASSERT_TRUE(s.tick("FIRST"));
    SessionConfig c = tcpConfig(second, "1");
    c.link.lanTimeoutMs = 200;
    c.link.repeatTimes = 2;
    s.setConfig(c);
    f.host.statuses.clear();
    f.host.boxes.clear();
    EXPECT_FALSE(s.readFiles(UpdateKind::ReadText));
    f.result = s.resultText();
    EXPECT_TRUE(s.receivedTexts().empty());
}

TEST(ReadFiles, AFileRequestThatFailsSendsNoEndSession) {
    Signsim first({"--tcp", "0"});
    for (const std::vector<std::string>& fault :
         {std::vector<std::string>{"--drop-handshake", "100"},
          std::vector<std::string>{"--close-after", "1"}}) {
        SCOPED_TRACE(fault[0]);
        std::vector<std::string> args{"--tcp", "0"};
        args.insert(args.end(), fault.begin(), fault.end());
        Signsim second(args);
        FailedFileRead f;
        readFileFrom(first, second, f);
        // The request's own failure is what the user reads, shown once.
        EXPECT_EQ(f.result.rfind("Send 'Get a text file' to address 1#(FileName='FIRST')"
                                 "(127.0.0.1 in group G) failed",
                                 0),
                  0u)
            << f.result;
        EXPECT_EQ(f.host.boxes.size(), 1u);
        EXPECT_FALSE(f.host.sawStatus("End session"));
        EXPECT_FALSE(f.host.sawStatus("END_SESSION"));
    }
}

TEST(ReadFiles, AReadWhoseRequestFailsKeepsTheTransferText) {
    Signsim sim({"--tcp", "0", "--drop-handshake", "100"});
    CSignLink link;
    RecordingHost host;
    SessionConfig c = tcpConfig(sim, "1");
    c.link.lanTimeoutMs = 100;
    c.link.repeatTimes = 1;
    SendSession s(link, host, c, nullptr);
    EXPECT_FALSE(s.run(UpdateKind::ReadMemory));
    EXPECT_EQ(s.resultText(),
              "Send 'Get memory information' to address 1#(127.0.0.1 in group G) failed!");
}

// Presses "Close" as soon as the first file's transfer has succeeded.
class CloseAfterFirstFile : public RecordingHost {
  public:
    void status(const std::string& t) override {
        RecordingHost::status(t);
        if (t.find("'FIRST'") != std::string::npos && t.find("Successfully") != std::string::npos)
            cancel = true;
    }
};

TEST(Cancel, SeenBeforeTheFirstAttemptReportsTheCancel) {
    Signsim sim({"--tcp", "0"});
    WorkArea doc = twoWindowedFiles();
    CSignLink link;
    CloseAfterFirstFile host;
    SendSession s(link, host, tcpConfig(sim, "1"), &doc);
    OperationArgs a;
    a.files = {"FIRST", "SECOND"};
    EXPECT_FALSE(s.run(UpdateKind::SendText, a));
    EXPECT_EQ(s.resultText(), "Cancelled by user");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0],
              "Error: Sending text file 'SECOND' to address #1(127.0.0.1 in group G). "
              "Cancelled by user");
}

}  // namespace
}  // namespace lumavox

// The operations of the Update and Read menus run through the table against
// the virtual sign: what lumavox-cli does with the same operation, the checks
// that refuse a request before anything is sent, the write-back into the
// document and its save, and the refusal of a second operation on a busy link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include "SessionTestSupport.h"
#include "cli/Cli.h"
#include "content/Document.h"
#include "operations/Operations.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

using test::demoDocument;
using test::RecordingHost;
using test::Signsim;

// A request over loopback TCP to the signsim, to the given addresses.
OperationRequest tcpRequest(const Signsim& sim, const std::string& address = "1") {
    OperationRequest r;
    LinkOverride l;
    l.route = Route::Tcp;
    l.hosts = "127.0.0.1";
    l.groupName = "G";
    l.port = sim.port();
    r.link = l;
    r.address = address;
    r.alwaysDisplay = false;
    return r;
}

std::filesystem::path scratch(const std::string& name) {
    auto dir =
        std::filesystem::temp_directory_path() / ("lvx-operations-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

// The dialog's line breaks as the terminal shows them.
std::string asTerminalLines(std::string t) {
    std::string s;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r') {
            s.push_back('\n');
            if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
        } else {
            s.push_back(t[i]);
        }
    }
    return s;
}

TEST(Operations, SendAndReadThroughTheTableAsTheCommandLineDoes) {
    Signsim sim({"--tcp", "0", "--address", "1,3", "--model", "KV-Table"});
    ASSERT_TRUE(sim.started());
    Settings settings;
    WorkArea doc = demoDocument();
    CSignLink link;
    RecordingHost host;

    OperationRequest r = tcpRequest(sim, "1,3");
    OperationOutcome o = runOperation(*findOperation("send-all"), link, host, &doc, settings, r);
    ASSERT_TRUE(o.ok) << o.resultText;
    EXPECT_EQ(o.problem, OperationProblem::None);
    EXPECT_EQ(o.resultText, "All of text files,graphics,schedules are sended successfully!");
    EXPECT_TRUE(host.sawStatus("Sending text file 'Main' to address #3(127.0.0.1 in group G)"));
    EXPECT_FALSE(o.documentChanged);

    // The same read through the table and through lumavox-cli.
    o = runOperation(*findOperation("read-bios"), link, host, nullptr, settings, tcpRequest(sim));
    ASSERT_TRUE(o.ok) << o.resultText;
    EXPECT_EQ(o.resultText.rfind("Sign Model\t:KV-Table\r", 0), 0u) << o.resultText;
    std::ostringstream out, err;
    ASSERT_EQ(runCli({"read-bios", "--link", "tcp:127.0.0.1:" + std::to_string(sim.port()),
                      "--address", "1"},
                     out, err),
              0)
        << err.str();
    EXPECT_NE(out.str().find(asTerminalLines(o.resultText)), std::string::npos) << out.str();

    // The directory as the dialog lists it, handed over before the run ends.
    size_t listed = 0;
    r = tcpRequest(sim);
    r.onAnswer = [&](const SendSession& s) { listed = s.files().size(); };
    o = runOperation(*findOperation("read-graphic-dir"), link, host, nullptr, settings, r);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(listed, doc.graphics.size());
}

TEST(Operations, ReadFilesAreWrittenBackAndSaved) {
    Signsim sim({"--tcp", "0"});
    Settings settings;
    WorkArea doc = demoDocument();
    CSignLink link;
    RecordingHost host;
    ASSERT_TRUE(
        runOperation(*findOperation("send-all"), link, host, &doc, settings, tcpRequest(sim)).ok);

    // A document that lacks the sign's "Main": it is added without a question.
    WorkArea target = doc;
    std::erase_if(target.textFiles, [](const TextFile& f) { return f.name.str() == "Main"; });
    ASSERT_EQ(target.findFile("Main"), nullptr);
    auto path = scratch("target.glm");
    OperationRequest r = tcpRequest(sim);
    r.names = {"Main"};
    r.documentPath = path;
    OperationOutcome o =
        runOperation(*findOperation("read-text"), link, host, &target, settings, r);
    ASSERT_TRUE(o.ok) << o.resultText << " " << o.saveError;
    EXPECT_EQ(o.merged, 1);
    EXPECT_TRUE(o.documentChanged);
    EXPECT_TRUE(host.questions.empty());
    ASSERT_NE(target.findFile("Main"), nullptr);
    OpenResult saved = openDocument(path, {});
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_NE(saved.work.findFile("Main"), nullptr);

    // Replacing an existing file asks first; No keeps the document and the file.
    auto before = std::filesystem::last_write_time(path);
    host.answer = false;
    o = runOperation(*findOperation("read-text"), link, host, &target, settings, r);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.merged, 0);
    EXPECT_FALSE(o.documentChanged);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_NE(host.questions[0].find("Text file 'Main' has exist"), std::string::npos);
    EXPECT_EQ(std::filesystem::last_write_time(path), before);

    // A name the sign does not hold is shown, and nothing is read.
    r.names = {"Nope", "Main"};
    host.boxes.clear();
    o = runOperation(*findOperation("read-text"), link, host, &target, settings, r);
    EXPECT_FALSE(o.ok);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0],
              "Error: Nope: Please select the file you want read from bios firstly!");
    EXPECT_EQ(o.merged, 0);

    // The schedule read back is offered to the document; Yes replaces its tasks.
    target.tasks.clear();
    host.answer = true;
    r.names.clear();
    o = runOperation(*findOperation("read-schedule"), link, host, &target, settings, r);
    ASSERT_TRUE(o.ok) << o.resultText;
    EXPECT_TRUE(o.documentChanged);
    EXPECT_EQ(target.tasks.size(), doc.tasks.size());
    EXPECT_EQ(openDocument(path, {}).work.tasks.size(), doc.tasks.size());

    // A save that fails is reported, and the operation with it.
    r.documentPath = path / "inside-a-file.glm";
    r.names = {"Main"};
    o = runOperation(*findOperation("read-text"), link, host, &target, settings, r);
    EXPECT_EQ(o.merged, 1);
    EXPECT_FALSE(o.ok);
    EXPECT_FALSE(o.saveError.empty());
    std::filesystem::remove_all(path.parent_path());
}

TEST(Operations, RefusedRequestsSendNothing) {
    Signsim sim({"--tcp", "0"});
    Settings settings;
    WorkArea doc = demoDocument();
    CSignLink link;
    struct Case {
        const char* operation;
        OperationProblem problem;
        std::function<void(OperationRequest&)> change;
        bool withDocument = true;
    };
    const Case cases[] = {
        {"sign-on", OperationProblem::BadAddressList, [](auto& r) { r.address = ",1"; }},
        {"send-text", OperationProblem::UnknownFile,
         [](auto& r) {
             r.names = {"Main", "Nope"};
         }},
        {"send-graphic", OperationProblem::UnknownFile, [](auto& r) { r.names = {"Main"}; }},
        {"send-current", OperationProblem::BadAnswer, [](auto&) {}},
        {"send-all", OperationProblem::NoDocument, [](auto&) {}, false},
        {"set-default", OperationProblem::Refused, [](auto&) {}},
        {"change-address", OperationProblem::Refused,
         [](auto& r) { r.oldAddress = r.newAddress = 3; }},
        {"change-address", OperationProblem::BadAddressList,
         [](auto& r) {
             r.oldAddress = 1;
             r.newAddress = 256;
         }},
        {"change-address", OperationProblem::BadAnswer,
         [](auto& r) {
             r.oldAddress = -1;
             r.newAddress = 2;
         }},
        {"sign-on", OperationProblem::BadAddressList, [](auto& r) { r.address = "1,300"; }},
        {"change-baud", OperationProblem::BadAnswer, [](auto& r) { r.baudIndex = kBaudTableSize; }},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        OperationRequest r = tcpRequest(sim);
        c.change(r);
        OperationOutcome o = runOperation(*findOperation(c.operation), link, host,
                                          c.withDocument ? &doc : nullptr, settings, r);
        EXPECT_EQ(o.problem, c.problem) << c.operation;
        EXPECT_FALSE(o.ok) << c.operation;
        EXPECT_TRUE(host.statuses.empty()) << c.operation << ": " << host.statuses.at(0);
        // Only the operation's own refusals are shown to the user.
        EXPECT_EQ(host.boxes.size(), c.problem == OperationProblem::Refused ? 1u : 0u)
            << c.operation;
    }
    // Stored GPRS groups without another link named.
    settings.sendType = SendType::Gprs;
    RecordingHost host;
    OperationRequest r;
    OperationOutcome o = runOperation(*findOperation("sign-on"), link, host, nullptr, settings, r);
    EXPECT_EQ(o.problem, OperationProblem::GprsRoute);
    EXPECT_TRUE(host.statuses.empty());
}

TEST(Operations, AStoredAddressAboveOneByteIsRefusedBeforeAnythingIsSent) {
    // A typo of 300 must not reach sign 44 (300 as a byte).
    Signsim sim({"--tcp", "0", "--address", "44"});
    Settings settings;
    settings.sendType = SendType::TcpIp;
    settings.address = "300";
    settings.alwaysDisplay = false;
    settings.tcpPort = sim.port();
    settings.lastGroupName = "G";
    settings.tcpGroups = {{"G", "127.0.0.1"}};
    CSignLink link;
    RecordingHost host;
    OperationOutcome o =
        runOperation(*findOperation("sign-off"), link, host, nullptr, settings, {});
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.resultText, text(msg::kAddressTooLarge));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0], "Error: " + text(msg::kAddressTooLarge));
    EXPECT_FALSE(host.sawStatus("Close machine"));
    EXPECT_FALSE(host.sawStatus("Connect"));
}

TEST(Cli, AddressesAboveOneByteAreRefusedWithTheirText) {
    Signsim sim({"--tcp", "0", "--address", "44"});
    const std::string link = "tcp:127.0.0.1:" + std::to_string(sim.port());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"sign-off", "--link", link, "--address", "300"},
          std::vector<std::string>{"change-address", "300", "2", "--link", link}}) {
        std::ostringstream out, err;
        EXPECT_EQ(runCli(args, out, err), 2) << args[0];
        EXPECT_EQ(err.str(), text(msg::kAddressTooLarge) + "\n") << args[0];
        EXPECT_TRUE(out.str().empty()) << out.str();
    }
}

TEST(Cli, ALinkWithoutAGroupIsNamedByItsHost) {
    Signsim sim({"--tcp", "0"});
    std::ostringstream out, err;
    ASSERT_EQ(runCli({"sign-on", "--link", "tcp:127.0.0.1:" + std::to_string(sim.port()),
                      "--address", "1"},
                     out, err),
              0)
        << err.str();
    EXPECT_NE(out.str().find("Send 'Open machine' to address 1#(127.0.0.1),Successfully!"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(out.str().find(" in group "), std::string::npos) << out.str();
}

// Starts a second operation on the same link from the pump of the first.
class SecondOperationHost : public RecordingHost {
  public:
    void pump() override {
        RecordingHost::pump();
        if (!link || second) return;
        RecordingHost inner;
        second =
            runOperation(*findOperation("sign-off"), *link, inner, nullptr, Settings{}, request)
                .problem;
        innerShown = inner.statuses.size() + inner.boxes.size();
    }
    CSignLink* link = nullptr;
    OperationRequest request;
    std::optional<OperationProblem> second;
    size_t innerShown = 0;
};

TEST(Operations, ASecondOperationOnABusyLinkIsRefused) {
    Signsim sim({"--tcp", "0"});
    CSignLink link;
    SecondOperationHost host;
    host.link = &link;
    host.request = tcpRequest(sim);
    OperationOutcome o =
        runOperation(*findOperation("sign-on"), link, host, nullptr, Settings{}, tcpRequest(sim));
    EXPECT_TRUE(o.ok) << o.resultText;
    ASSERT_TRUE(host.second.has_value());
    EXPECT_EQ(*host.second, OperationProblem::Busy);
    EXPECT_EQ(host.innerShown, 0u);
    EXPECT_FALSE(host.sawStatus("Close machine"));
    EXPECT_EQ(link.receiver(), nullptr);  // the session let go of the link
}

TEST(Operations, TestDisplayKeepsTheLineUntilTheCloseCommand) {
    Signsim sim({"--tcp", "0"});
    CSignLink link;
    RecordingHost host;
    OperationRequest r = tcpRequest(sim);
    bool openWhileShown = false;
    r.onAnswer = [&](const SendSession&) { openWhileShown = link.socketOpen(); };
    OperationOutcome o =
        runOperation(*findOperation("test-display"), link, host, nullptr, Settings{}, r);
    ASSERT_TRUE(o.ok) << o.resultText;
    EXPECT_TRUE(openWhileShown);
    EXPECT_TRUE(host.sawStatus("Send 'Close test display board' to address 1#"));
    EXPECT_FALSE(link.socketOpen());
}

}  // namespace
}  // namespace lumavox

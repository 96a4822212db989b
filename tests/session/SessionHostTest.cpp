// The send session as the host of a modal dialog: a second run asked for while
// one runs (from the pump or a message box) is refused without side effects,
// busy() follows the run, and the host's cancel flag is the one cancel path.
#include <gtest/gtest.h>

#include "SessionTestSupport.h"
#include "session/SendSession.h"

namespace lumavox {
namespace {

using test::demoDocument;
using test::RecordingHost;
using test::Signsim;
using test::tcpConfig;

// Presses "Update" (and everything else the dialog offers) again from every
// pump of the run, as a person clicking while the dialog waits would.
class ReentrantHost : public RecordingHost {
  public:
    void pump() override {
        RecordingHost::pump();
        if (!session) return;
        ++attempts;
        if (!session->busy()) ++idlePumps;
        std::string result = session->resultText();
        size_t shown = statuses.size() + boxes.size() + questions.size();
        size_t received = session->receivedGraphics().size() + session->receivedTexts().size();
        if (session->run(UpdateKind::SignOff)) ++accepted;
        if (session->readFiles(UpdateKind::ReadGraphic)) ++accepted;
        if (session->setConfig(SessionConfig{})) ++accepted;
        if (session->mergeInto(*work) != 0) ++accepted;
        if (session->resultText() != result) ++sideEffects;
        if (statuses.size() + boxes.size() + questions.size() != shown) ++sideEffects;
        if (session->receivedGraphics().size() + session->receivedTexts().size() != received)
            ++sideEffects;
    }

    SendSession* session = nullptr;
    WorkArea* work = nullptr;
    int attempts = 0;
    int idlePumps = 0;
    int accepted = 0;
    int sideEffects = 0;
};

TEST(SessionReentry, ASecondRunFromThePumpIsRefused) {
    Signsim sim({"--tcp", "0"});
    ASSERT_TRUE(sim.started());
    WorkArea doc = demoDocument();
    WorkArea target = doc;
    CSignLink link;
    ReentrantHost host;
    SendSession s(link, host, tcpConfig(sim, "1"), &doc);
    host.session = &s;
    host.work = &target;
    EXPECT_FALSE(s.busy());
    ASSERT_TRUE(s.run(UpdateKind::SendAll)) << s.resultText();
    EXPECT_FALSE(s.busy());
    EXPECT_GT(host.attempts, 0);
    EXPECT_EQ(host.idlePumps, 0);
    EXPECT_EQ(host.accepted, 0);
    EXPECT_EQ(host.sideEffects, 0);
    EXPECT_EQ(s.resultText(), "All of text files,graphics,schedules are sended successfully!");
    EXPECT_FALSE(host.sawStatus("Close machine"));   // the refused sign-off never went out
    EXPECT_EQ(s.config().link.tcpPort, sim.port());  // the configuration was kept
    EXPECT_TRUE(host.boxes.empty());
}

TEST(SessionReentry, FilesBeingReadAreNeitherMergedNorReplacedMidway) {
    Signsim sim({"--tcp", "0", "--frame", "40"});
    WorkArea doc = demoDocument();
    ASSERT_FALSE(doc.graphics.empty());
    GraphicFile second = doc.graphics[0];
    second.name = "SECOND";
    doc.graphics.push_back(second);
    WorkArea target;
    CSignLink link;
    ReentrantHost host;
    SendSession s(link, host, tcpConfig(sim, "1"), &doc);
    ASSERT_TRUE(s.run(UpdateKind::SendAll));
    ASSERT_TRUE(s.run(UpdateKind::ReadGraphic));
    for (const FileEntry& f : s.files())
        s.tick(f.name);
    host.session = &s;
    host.work = &target;
    // The pump tries a directory read (which would replace the list being
    // read) and, once the first graphic is in, a merge before the second.
    ASSERT_TRUE(s.readFiles(UpdateKind::ReadGraphic)) << s.resultText();
    EXPECT_EQ(host.accepted, 0);
    EXPECT_EQ(host.sideEffects, 0);
    EXPECT_EQ(s.receivedGraphics().size(), doc.graphics.size());
    EXPECT_TRUE(target.graphics.empty());
    host.session = nullptr;
    EXPECT_EQ(s.mergeInto(target), static_cast<int>(doc.graphics.size()));
}

// Shows every message box of the run and tries to start a run from inside it.
class BoxHost : public RecordingHost {
  public:
    void message(const std::string& t, Icon icon) override {
        RecordingHost::message(t, icon);
        busyInBox = session->busy();
        nestedAccepted = session->run(UpdateKind::SignOn);
    }
    SendSession* session = nullptr;
    bool busyInBox = false;
    bool nestedAccepted = true;
};

TEST(SessionReentry, BusyCoversThePreChecksAndTheirMessageBoxes) {
    CSignLink link;
    BoxHost host;
    SessionConfig c;
    c.alwaysDisplay = false;
    c.link.address = "";  // refused by the pre-checks, with a message box
    SendSession s(link, host, c, nullptr);
    host.session = &s;
    EXPECT_FALSE(s.run(UpdateKind::SignOn));
    ASSERT_EQ(host.boxes.size(), 1u);  // the nested run showed nothing
    EXPECT_TRUE(host.busyInBox);
    EXPECT_FALSE(host.nestedAccepted);
    EXPECT_FALSE(s.busy());
    EXPECT_EQ(s.resultText().rfind("Sorry,you must specify the address", 0), 0u);
}

TEST(SessionCancel, TheHostsFlagStopsRunsUntilTheHostClearsIt) {
    Signsim sim({"--tcp", "0", "--address", "1"});
    CSignLink link;
    RecordingHost host;
    SendSession s(link, host, tcpConfig(sim, "1"), nullptr);
    host.cancel = true;
    EXPECT_FALSE(s.run(UpdateKind::SignOn));
    EXPECT_FALSE(host.sawStatus("Successfully"));
    EXPECT_FALSE(s.busy());
    host.cancel = false;  // the dialog clears it when "Update" is pressed again
    EXPECT_TRUE(s.run(UpdateKind::SignOn)) << s.resultText();
}

}  // namespace
}  // namespace lumavox

// The table of sign operations against the menus, and the one mapping from the
// stored settings to the send session's configuration.
#include <gtest/gtest.h>

#include <set>

#include "editing/MenuTree.h"
#include "operations/Operations.h"
#include "support/TestSupport.h"

using namespace lumavox;

namespace {

// The command ids of a pop-up of the main menu, found by its text.
std::vector<int> commandsOf(const std::string& popupText) {
    std::vector<int> ids;
    for (const MenuEntry& e : mainMenu())
        if (e.kind == MenuEntry::Popup && e.text == popupText)
            for (const MenuEntry& item : e.items)
                if (item.kind == MenuEntry::Command) ids.push_back(item.command);
    return ids;
}

}  // namespace

TEST(OperationTable, EveryUpdateAndReadMenuCommandHasAnEntry) {
    std::vector<int> menu = commandsOf("&Update");
    std::vector<int> read = commandsOf("&Read");
    ASSERT_EQ(menu.size(), 13u);
    ASSERT_EQ(read.size(), 9u);
    menu.insert(menu.end(), read.begin(), read.end());
    for (int id : menu)
        EXPECT_FALSE(operationsForCommand(id).empty()) << "menu command " << id;
    // And every entry belongs to one of those menus, or to the toolbar's
    // "Send current editing file".
    std::set<int> known(menu.begin(), menu.end());
    for (const SignOperation& op : signOperations())
        EXPECT_TRUE(known.count(op.command) || op.command == cmd::kSendCurrent) << op.name;
}

TEST(OperationTable, NamesAreUniqueAndFoundAgain) {
    std::set<std::string_view> names;
    for (const SignOperation& op : signOperations()) {
        EXPECT_TRUE(names.insert(op.name).second) << "twice: " << op.name;
        EXPECT_EQ(findOperation(op.name), &op);
        EXPECT_EQ(op.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), std::string_view::npos);
    }
    EXPECT_EQ(findOperation("read-nothing"), nullptr);
    EXPECT_EQ(findOperation(""), nullptr);
}

TEST(OperationTable, EveryOperationKindIsReachable) {
    std::set<UpdateKind> kinds;
    for (const SignOperation& op : signOperations())
        kinds.insert(op.kind);
    for (int k = 1; k <= 30; ++k) {
        if (k == 13 || k == 14 || k == 18) continue;  // not used
        if (k == 17) continue;                        // the close-test after a test display
        EXPECT_TRUE(kinds.count(static_cast<UpdateKind>(k))) << "kind " << k;
    }
    EXPECT_FALSE(kinds.count(UpdateKind::CloseTest));
}

TEST(OperationTable, SharedCommandsAndWhatEachEntryNeeds) {
    std::vector<UpdateKind> clear;
    for (const SignOperation* op : operationsForCommand(cmd::kClearSign))
        clear.push_back(op->kind);
    EXPECT_EQ(clear, (std::vector<UpdateKind>{UpdateKind::ClearMemory, UpdateKind::ClearGraphics,
                                              UpdateKind::ClearSchedule, UpdateKind::ClearText}));
    auto readText = operationsForCommand(cmd::kReadText);
    ASSERT_EQ(readText.size(), 2u);
    EXPECT_EQ(readText[0]->name, "read-text-dir");  // the directory comes first
    EXPECT_EQ(readText[1]->input, OperationInput::ReadNames);
    EXPECT_TRUE(operationsForCommand(cmd::kFileSave).empty());

    for (const SignOperation& op : signOperations()) {
        // Only reads write back, and only into a document.
        if (op.writesBack) {
            EXPECT_TRUE(isReadKind(op.kind)) << op.name;
            EXPECT_NE(op.document, DocumentUse::None) << op.name;
        }
        bool sends = op.kind == UpdateKind::SendText || op.kind == UpdateKind::SendGraphic ||
                     op.kind == UpdateKind::SendAll || op.kind == UpdateKind::SendCurrent ||
                     op.kind == UpdateKind::SendSchedule;
        if (sends) {
            EXPECT_EQ(op.document, DocumentUse::Required) << op.name;
        }
    }
    EXPECT_EQ(findOperation("read-schedule")->document, DocumentUse::Optional);
    EXPECT_EQ(findOperation("change-address")->input, OperationInput::AddressPair);
}

TEST(SessionSettings, OneMappingFromTheStoredSettings) {
    Settings s;
    s.frameSize = 500;
    s.repeatTimes = 5;
    s.modemTimeoutMs = 7000;
    s.lanRs232TimeoutMs = 9000;
    s.comport = 4;
    s.baudRateIndex = 7;
    s.address = "1,3";
    s.tcpPort = 6001;
    s.sendType = SendType::TcpIp;
    s.lastGroupName = "Gate";
    s.tcpGroups = {{"Hall", "10.0.0.5"}, {"Gate", "10.0.0.7,10.0.0.8"}};
    s.alwaysDisplay = false;
    s.clearAllMemory = 3;
    s.hangUpWhenSendOverByTcpIp = false;
    s.hangUpModemWhenSendOver = true;
    s.autoOn = true;
    s.autoOnHour = 6;
    s.autoOnMinute = 15;
    s.autoOffHour = 23;

    SessionConfig c = sessionConfigFrom(s);
    LinkSettings l = linkSettingsFrom(s);
    EXPECT_EQ(c.link.frameSize, 500);
    EXPECT_EQ(c.link.frameLimit(), l.frameLimit());
    EXPECT_EQ(c.link.attemptsPerFrame(), 5);
    EXPECT_EQ(c.link.modemTimeoutMs, 7000);
    EXPECT_EQ(c.link.lanTimeoutMs, 9000);
    EXPECT_EQ(c.link.comPort, 4);
    EXPECT_EQ(c.link.baudRate(), 57600);
    EXPECT_EQ(c.link.address, "1,3");
    EXPECT_EQ(c.link.tcpPort, 6001);
    EXPECT_EQ(c.route, Route::Tcp);
    EXPECT_EQ(c.groupName, "Gate");
    EXPECT_EQ(c.groupAddresses, "10.0.0.7,10.0.0.8");
    EXPECT_FALSE(c.alwaysDisplay);
    EXPECT_EQ(c.sendOptions, 3);
    // The switch of this run (the "Communication option" check box); the store
    // never reads it back, so every start has it on.
    EXPECT_FALSE(c.tcpHangUp);
    EXPECT_TRUE(Settings{}.hangUpWhenSendOverByTcpIp);
    EXPECT_TRUE(c.modemHangUp);
    EXPECT_TRUE(c.serialDevice.empty());
    EXPECT_EQ(c.serialBaud, 0);  // the baud rate of the stored index
    EXPECT_EQ(c.autoOnOff.bytes(), (AutoOnOffRecord{true, 6, 15, false, 23, 0}.bytes()));

    s.lastGroupName = "Gone";
    EXPECT_TRUE(sessionConfigFrom(s).groupAddresses.empty());
    s.sendType = SendType::Serial;
    EXPECT_EQ(sessionConfigFrom(s).route, Route::Serial);
}

TEST(SessionSettings, RequestChecksComeBeforeAnythingElse) {
    Settings s;
    OperationRequest r;
    std::string detail;
    EXPECT_EQ(checkRequest(s, r, detail), OperationProblem::None);
    s.sendType = SendType::Gprs;
    EXPECT_EQ(checkRequest(s, r, detail), OperationProblem::GprsRoute);
    r.link = LinkOverride{};
    EXPECT_EQ(checkRequest(s, r, detail), OperationProblem::None);
    r.address = "1,,2";
    EXPECT_EQ(checkRequest(s, r, detail), OperationProblem::BadAddressList);
    EXPECT_EQ(detail, "The character string of sign address is invalidation, please re-enter!");
}

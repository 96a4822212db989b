// The GPRS half of "Communication option", "GPRS Group Edit" and the
// "Connection" dialog, offscreen; the monitor runs over the gateway library
// with a dtusim DTU.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "LinkTestSupport.h"
#include "UiTestSupport.h"
#include "operations/GprsRoute.h"
#include "strings/CommandIds.h"
#include "support/TiedChild.h"
#include "ui/dialogs/CommDialogs.h"
#include "ui/dialogs/GprsDialogs.h"

namespace lumavox {
namespace {

using test::answerNextDialog;
using test::FrameFixture;
using test::freeLoopbackPort;
using test::pressInNextBox;

// Answers the next name prompt with `name`; a refusal's text goes to `refusal`
// and the prompt is then cancelled.
void answerName(const QString& name, QString* refusal = nullptr) {
    answerNextDialog([name, refusal](QWidget* w) {
        auto* prompt = qobject_cast<ui::CGprsNameDlg*>(w);
        ASSERT_NE(prompt, nullptr);
        prompt->name()->setText(name);
        if (refusal) pressInNextBox("OK", refusal);
        prompt->accept();
        if (prompt->isVisible()) prompt->reject();
    });
}

TEST(GprsDialogs, CommunicationOptionKeepsGprsGroupsAndServerPort) {
    FrameFixture f;
    ui::CCommOptionDlg dialog(f.context());
    EXPECT_TRUE(dialog.gprs()->isEnabled());
    EXPECT_TRUE(dialog.renameButton()->isHidden());
    dialog.port()->setValue(6001);  // the TCP port
    dialog.gprs()->setChecked(true);
    EXPECT_FALSE(dialog.renameButton()->isHidden());
    EXPECT_FALSE(dialog.examineButton()->isHidden());
    EXPECT_EQ(dialog.port()->value(), 8001);
    dialog.port()->setValue(9100);

    QString seen;
    pressInNextBox("OK", &seen);
    dialog.deleteGroup();
    EXPECT_EQ(seen, "Please select a group to be deleted firstly!");

    answerName("North");
    dialog.addGroup();
    answerName("  north ", &seen);
    dialog.addGroup();
    EXPECT_EQ(seen, "Sorry, this name(north) for GPRS Group has exist. Please input another name.");
    answerName("", &seen);
    dialog.addGroup();
    EXPECT_EQ(seen, "Sorry, the name for GPRS Group can not be left blank!");
    answerName("South");
    dialog.addGroup();
    ASSERT_EQ(dialog.gprsGroups().size(), 2u);
    EXPECT_EQ(dialog.groupList()->currentRow(), 1);
    answerName("East");
    dialog.renameGroup();
    EXPECT_EQ(dialog.gprsGroups()[1].name, "East");

    // Deleting asks first; the selection moves to the previous group.
    pressInNextBox("Yes", &seen);
    dialog.deleteGroup();
    EXPECT_EQ(seen, "Are you sure to delete group 'East'?");
    ASSERT_EQ(dialog.gprsGroups().size(), 1u);
    EXPECT_EQ(dialog.groupList()->currentRow(), 0);
    // `make screenshot` keeps a picture of the GPRS half of the dialog.
    if (const char* shot = std::getenv("LUMAVOX_GPRS_OPTION_PNG")) {
        dialog.show();
        QApplication::processEvents();
        dialog.grab().save(shot);
    }

    dialog.accept();
    const Settings stored = f.context().store->LoadSettings();
    EXPECT_EQ(stored.sendType, SendType::Gprs);
    EXPECT_EQ(stored.gprsServerPort, 9100);
    EXPECT_EQ(stored.tcpPort, 6001);
    ASSERT_EQ(stored.gprsGroups.size(), 1u);
    EXPECT_EQ(stored.gprsGroups[0].name, "North");
    EXPECT_EQ(stored.lastGprsGroupName, "North");
}

TEST(GprsDialogs, TheNvsFamilyOffersNoGprs) {
    FrameFixture f(SignMode::NVS);
    ui::CCommOptionDlg dialog(f.context());
    EXPECT_FALSE(dialog.gprs()->isEnabled());
    dialog.reject();
}

TEST(GprsDialogs, GroupEditChecksDeviceNames) {
    ui::CGprsGroupEditDlg dialog({"North", {"DTU1"}});
    QString seen;
    answerName("dtu1", &seen);
    dialog.addDevice();
    EXPECT_EQ(seen, "This GPRS Modem has exist.");
    answerName(" ", &seen);
    dialog.addDevice();
    EXPECT_EQ(seen, "The device name for GPRS Modem can not be left blank!");
    answerName("DTU2");
    dialog.addDevice();
    answerName("DTU3");
    dialog.editDevice();  // the new one is selected
    EXPECT_EQ(dialog.group().devices, (std::vector<std::string>{"DTU1", "DTU3"}));
    pressInNextBox("Yes", &seen);
    dialog.deleteDevice();
    EXPECT_EQ(seen, "Are you sure to delete this item?");
    EXPECT_EQ(dialog.group().devices, std::vector<std::string>{"DTU1"});
    EXPECT_EQ(dialog.devices()->count(), 1);
}

TEST(GprsDialogs, ConnectionListsRegisteredDevicesAndTheirDetail) {
    FrameFixture f;
    std::ifstream in(GPRSLINK_FILE, std::ios::binary);
    std::vector<uint8_t> library((std::istreambuf_iterator<char>(in)), {});
    ResourceTable table;
    table.add(res::kGateway, library);
    GprsGateway gateway(table, ApplicationEnvironment::inHome(f.home(), f.home() / "store.ini"));
    const int port = freeLoopbackPort();
    gateway.monitor().Start(port);

    ui::CGprsConnectionDlg dialog(gateway.monitor());
    EXPECT_EQ(dialog.timer()->interval(), 100);
    EXPECT_EQ(dialog.connections()->count(), 0);
    const pid_t parent = ::getpid();
    pid_t dtu = ::fork();
    if (dtu == 0) {
        test::tieToStartingProcess(parent);
        std::string gatewayAt = "127.0.0.1:" + std::to_string(port);
        ::execl(LUMAVOX_DTUSIM_PATH, LUMAVOX_DTUSIM_PATH, "--gateway", gatewayAt.c_str(), "--name",
                "SHOP1", "--phone", "5550100", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_TRUE(
        waitForGprsDevices(gateway.monitor(), {"SHOP1"}, 15000, SystemClock::instance()).empty());
    dialog.refresh();
    ASSERT_EQ(dialog.connections()->count(), 1);
    dialog.connections()->setCurrentRow(0);
    QString seen;
    pressInNextBox("OK", &seen);
    dialog.showDetail();
    EXPECT_TRUE(
        seen.startsWith("Detail for connection from device SHOP1:\n    IP Address : \t127.0.0.1"))
        << seen.toStdString();
    EXPECT_TRUE(seen.endsWith("Phone : \t\t5550100"));
    dialog.reject();
    EXPECT_FALSE(dialog.timer()->isActive());
    ::kill(dtu, SIGTERM);
    ::waitpid(dtu, nullptr, 0);
    gateway.monitor().Stop();
}

TEST(GprsDialogs, ChoosingGprsStartsTheMonitorAndLeavingItStopsIt) {
    FrameFixture f;
    std::ifstream in(GPRSLINK_FILE, std::ios::binary);
    std::vector<uint8_t> library((std::istreambuf_iterator<char>(in)), {});
    ResourceTable table;
    table.add(res::kGateway, library);
    GprsGateway gateway(table, ApplicationEnvironment::inHome(f.home(), f.home() / "store.ini"));
    f.context().gprs = &gateway.monitor();
    ASSERT_NE(f.frame().newDocument(160, 16, 0), nullptr);
    const int port = freeLoopbackPort();

    QString seen;
    answerNextDialog([&](QWidget* w) {
        auto* dialog = qobject_cast<ui::CCommOptionDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->gprs()->setChecked(true);
        dialog->port()->setValue(port);
        dialog->accept();
        pressInNextBox("OK", &seen);
    });
    ASSERT_TRUE(f.frame().runCommand(cmd::kCommunicationMode));
    EXPECT_TRUE(seen.startsWith("You have change the communication mode to GPRS mode"));
    EXPECT_TRUE(gateway.monitor().running());
    EXPECT_EQ(gateway.monitor().port(), port);

    answerNextDialog([&](QWidget* w) {
        auto* dialog = qobject_cast<ui::CCommOptionDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->serial()->setChecked(true);
        dialog->accept();
        pressInNextBox("OK", &seen);
    });
    ASSERT_TRUE(f.frame().runCommand(cmd::kCommunicationMode));
    EXPECT_TRUE(seen.startsWith("You have change the communication mode to non-GPRS mode"));
    EXPECT_FALSE(gateway.monitor().running());

    // A server port another program holds: the status line says why no
    // device can connect.
    test::HeldPort held;
    answerNextDialog([&](QWidget* w) {
        auto* dialog = qobject_cast<ui::CCommOptionDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->gprs()->setChecked(true);
        dialog->port()->setValue(held.port());
        dialog->accept();
        pressInNextBox("OK", &seen);
    });
    ASSERT_TRUE(f.frame().runCommand(cmd::kCommunicationMode));
    EXPECT_FALSE(gateway.monitor().running());
    EXPECT_EQ(f.frame().paneText(0).toStdString(), "The GPRS server cannot listen on port " +
                                                       std::to_string(held.port()) +
                                                       ".(Address already in use)");
}

}  // namespace
}  // namespace lumavox

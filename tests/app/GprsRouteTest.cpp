// The GPRS route's shared rules: group and device names, what a mode or port
// change does to the monitor, the devices a command names, and the session
// configuration of the stored GPRS route.
#include <gtest/gtest.h>

#include "operations/GprsRoute.h"
#include "operations/Operations.h"
#include "strings/GprsTexts.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

TEST(GprsRoute, GroupAndDeviceNamesAreUniqueWhateverTheirCase) {
    std::vector<GprsGroup> groups = {{"North", {"DTU1", "dtu2"}}, {"South", {}}};
    EXPECT_EQ(checkGprsGroupName(groups, "north"), msg::kGprsGroupNameExists);
    EXPECT_EQ(checkGprsGroupName(groups, "north", 0), 0);  // renaming North itself
    EXPECT_EQ(checkGprsGroupName(groups, "SOUTH", 0), msg::kGprsGroupNameExists);
    EXPECT_EQ(checkGprsGroupName(groups, ""), msg::kGprsGroupNameBlank);
    EXPECT_EQ(checkGprsGroupName(groups, "East"), 0);
    EXPECT_EQ(gprsRefusalText(msg::kGprsGroupNameExists, "north"),
              "Sorry, this name(north) for GPRS Group has exist. Please input another name.");

    EXPECT_EQ(checkGprsDeviceName(groups[0], "DTU2"), msg::kGprsDeviceExists);
    EXPECT_EQ(checkGprsDeviceName(groups[0], "DTU2", 1), 0);
    EXPECT_EQ(checkGprsDeviceName(groups[0], ""), msg::kGprsDeviceNameBlank);
    // A registration record carries eight characters of name.
    EXPECT_EQ(checkGprsDeviceName(groups[0], "ABCDEFGH"), 0);
    EXPECT_EQ(checkGprsDeviceName(groups[0], "ABCDEFGHI"), msg::kGprsDeviceNameTooLong);

    EXPECT_EQ(findGprsGroup(groups, "SOUTH"), &groups[1]);
    EXPECT_EQ(findGprsGroup(groups, "West"), nullptr);
    EXPECT_EQ(deleteGroupQuestion("North"), "Are you sure to delete group 'North'?");
    EXPECT_EQ(rowAfterDelete(1, 2), 1);
    EXPECT_EQ(rowAfterDelete(2, 2), 1);
    EXPECT_EQ(rowAfterDelete(0, 0), -1);
}

TEST(GprsRoute, ModeAndPortChangesStartStopOrRestartTheMonitor) {
    EXPECT_EQ(gprsModeChange(SendType::Serial, 8001, SendType::TcpIp, 8001).action,
              GprsMonitorAction::None);
    EXPECT_EQ(gprsModeChange(SendType::Gprs, 8001, SendType::Gprs, 8001).action,
              GprsMonitorAction::None);
    GprsModeChange start = gprsModeChange(SendType::Serial, 8001, SendType::Gprs, 8001);
    EXPECT_EQ(start.action, GprsMonitorAction::Start);
    EXPECT_EQ(start.notice.rfind("You have change the communication mode to GPRS mode", 0), 0u);
    GprsModeChange stop = gprsModeChange(SendType::Gprs, 8001, SendType::TcpIp, 9000);
    EXPECT_EQ(stop.action, GprsMonitorAction::Stop);
    EXPECT_EQ(stop.notice.rfind("You have change the communication mode to non-GPRS mode", 0), 0u);
    GprsModeChange restart = gprsModeChange(SendType::Gprs, 8001, SendType::Gprs, 9000);
    EXPECT_EQ(restart.action, GprsMonitorAction::Restart);
    EXPECT_EQ(restart.notice.rfind("You have change the server port(Old is 8001, now is 9000)", 0),
              0u);
    EXPECT_NE(restart.notice.find("\n IMPORTANT: If you change the server port"),
              std::string::npos);
}

TEST(GprsRoute, ACommandNamesAStoredGroupOrTheDevicesThemselves) {
    std::vector<GprsGroup> groups = {{"North", {"DTU1", "DTU2"}}};
    GprsTargets group = gprsTargetsFor(groups, "NORTH");
    EXPECT_EQ(group.groupName, "North");
    EXPECT_EQ(group.devices, (std::vector<std::string>{"DTU1", "DTU2"}));
    GprsTargets listed = gprsTargetsFor(groups, " A1,,b2 ,a1");
    EXPECT_EQ(listed.groupName, "");
    EXPECT_EQ(listed.devices, (std::vector<std::string>{"A1", "b2"}));
    EXPECT_TRUE(gprsTargetsFor(groups, ",").devices.empty());
}

TEST(GprsRoute, TheStoredGprsRouteSendsToTheLastGroup) {
    Settings s;
    s.sendType = SendType::Gprs;
    s.gprsGroups = {{"North", {"DTU1"}}};
    s.lastGprsGroupName = "north";
    SessionConfig c = sessionConfigFrom(s);
    EXPECT_EQ(c.route, Route::Gprs);
    EXPECT_EQ(c.groupName, "north");
    ASSERT_TRUE(c.gprsDevices.has_value());
    EXPECT_EQ(*c.gprsDevices, std::vector<std::string>{"DTU1"});
    s.lastGprsGroupName = "Gone";
    EXPECT_FALSE(sessionConfigFrom(s).gprsDevices.has_value());

    // Without a registry of devices on the link the stored route is refused.
    OperationRequest r;
    std::string detail;
    EXPECT_EQ(checkRequest(s, r, detail), OperationProblem::GprsRoute);
    EXPECT_EQ(checkRequest(s, r, detail, true), OperationProblem::None);
}

}  // namespace
}  // namespace lumavox

#include <gtest/gtest.h>

#include <fstream>

#include "operations/Settings.h"
#include "platform/Profile.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

struct SettingsTest : ::testing::Test {
    TempDir home;
    TempDir config;
    SettingsStore store{home.path(), config / "store" / "LUMAVOX.ini"};

    void softwareSet(const std::string& text) { std::ofstream(home / "SoftwareSet.ini") << text; }
    void userStore(const std::string& text) {
        std::filesystem::create_directories(config / "store");
        std::ofstream(config / "store" / "LUMAVOX.ini") << text;
    }
};

}  // namespace

TEST_F(SettingsTest, MissingFilesGiveTheDefaults) {
    Settings s = store.LoadSettings();
    EXPECT_EQ(s, Settings{});
    EXPECT_EQ(s.repeatTimes, 3);
    EXPECT_EQ(s.frameSize, 1000);
    EXPECT_EQ(s.lanRs232TimeoutMs, 13000);
    EXPECT_EQ(s.sendType, SendType::Serial);
    EXPECT_EQ(s.tcpPort, 5005);
    EXPECT_EQ(s.gprsServerPort, 8001);
    EXPECT_TRUE(s.gprsGroups.empty());
    EXPECT_EQ(store.DefaultFontName(), "SS7");
    EXPECT_EQ(store.LoadDefaultSignSize(), (DefaultSignSize{160, 16, 0}));
    EXPECT_EQ(s.comDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(s.comDevicePath(4), "/dev/ttyS3");
}

TEST_F(SettingsTest, ReadValuesAreCorrected) {
    struct Case {
        int written, frame;
    };
    for (Case c : {Case{10, 1000}, Case{11, 11}, Case{999, 999}, Case{1000, 1000}, Case{5000, 1000},
                   Case{-3, 1000}}) {
        softwareSet("[Settings for Communication]\nNumber for Frame=" + std::to_string(c.written) +
                    "\n");
        EXPECT_EQ(store.LoadSettings().frameSize, c.frame) << c.written;
    }
    softwareSet("[Settings for Communication]\nTime for Repeating send=0\n");
    EXPECT_EQ(store.LoadSettings().repeatTimes, 1);
    softwareSet("[Settings for Communication]\nTime for Repeating send=-4\n");
    EXPECT_EQ(store.LoadSettings().repeatTimes, 1);

    userStore("[SendInfo]\nSendType=3\n");
    softwareSet("[Sign Type]\nIs For NVS=0\n");
    EXPECT_EQ(store.LoadSettings().sendType, SendType::Gprs);
    softwareSet("[Sign Type]\nIs For NVS=1\n[Font]\nDefault=SS16\n");
    Settings nvs = store.LoadSettings();
    EXPECT_EQ(nvs.mode, SignMode::NVS);
    EXPECT_EQ(nvs.sendType, SendType::Serial);
    EXPECT_EQ(store.DefaultFontName(), "SS16");
}

TEST_F(SettingsTest, EveryWrittenSectionReadsBack) {
    userStore(
        "[Unrelated]\nKeep=me\n[DefaultPingSize]\nPingWidth=96\n[Comports]\nCOM3=/dev/ttyUSB0\n");
    Settings s = store.LoadSettings();
    s.commuStatus = 2;
    s.autoOn = true;
    s.autoOffHour = 22;
    s.autoOffMinute = 45;
    s.lastGroupName = "Hall";
    s.tcpPort = 6001;
    s.sendType = SendType::TcpIp;
    s.comport = 3;
    s.alwaysDisplay = false;
    s.address = "1,3,10-12";
    s.baudRateIndex = 5;
    s.clearAllMemory = 3;
    s.checkResponseEachSignNvs = false;
    s.lastGprsGroupName = "North";
    s.fontFileName = "/opt/KV2fnt.bin";
    s.modemName = "Hayes Compatible";
    s.hangUpModemWhenSendOver = true;
    s.phones = {"5551234", "5559876"};
    s.lastPhoneNo = "5559876";
    s.tcpGroups = {{"Hall", "10.0.0.5,10.0.0.6"}, {"Gate", "sign.example"}};
    s.gprsServerPort = 9001;
    s.gprsGroups = {{"North", {"DTU1", "DTU2"}}, {"South", {}}};
    std::string error;
    ASSERT_TRUE(store.SaveSettings(s, error)) << error;
    Settings back = store.LoadSettings();
    EXPECT_EQ(back, s);
    EXPECT_EQ(back.comDevicePath(3), "/dev/ttyUSB0");
    LinkSettings link = linkSettingsFrom(back);
    EXPECT_EQ(link.tcpPort, 6001);
    EXPECT_EQ(link.comPort, 3);
    EXPECT_EQ(link.baudIndex, 5);
    EXPECT_EQ(link.address, "1,3,10-12");
    EXPECT_EQ(link.lanTimeoutMs, 13000);
    EXPECT_EQ(comPortsFrom(back).devicePath(3), "/dev/ttyUSB0");

    Profile user = Profile::load(store.userStorePath());
    EXPECT_EQ(user.getString("Unrelated", "Keep"), "me");
    EXPECT_EQ(user.getInt("DefaultPingSize", "PingWidth", 0), 96);
    EXPECT_EQ(user.getInt("SendInfo", "HangUpWhenSendOverByTcpIp", 0), 1);
    EXPECT_EQ(user.getString("AutoSet", "AutoOffMunute"), "45");
    Profile gprs = Profile::load(store.gprsSetPath());
    EXPECT_EQ(gprs.getString("GPRS Group1", "Item2"), "DTU2");

    // Shorter lists leave nothing of the longer ones behind.
    s.phones = {"1"};
    s.gprsGroups = {{"Only", {"X"}}};
    ASSERT_TRUE(store.SaveSettings(s, error)) << error;
    EXPECT_FALSE(Profile::load(store.userStorePath()).hasKey("Phone", "Phone 1"));
    EXPECT_FALSE(Profile::load(store.gprsSetPath()).hasSection("GPRS Group2"));
    EXPECT_EQ(store.LoadSettings().gprsGroups, s.gprsGroups);

    ASSERT_TRUE(store.SaveDefaultSignSize({128, 24, 1}, error));
    EXPECT_EQ(store.LoadDefaultSignSize(), (DefaultSignSize{128, 24, 1}));
}

TEST_F(SettingsTest, ListCountsReadTheirNumberedKeys) {
    userStore(
        "[Phone]\nPhone Count=2\nPhone 0=111\nPhone 1=222\nPhone 2=333\n"
        "[ServerIPList]\nCount=1\nGroup0 Name=A\nGroup0 IP=1.2.3.4\n");
    std::ofstream(home / "GPRSSet.ini")
        << "[GPRS]\nGroup Count=1\n[GPRS Group1]\nGroup Name=G\nCount=3\nItem1=a\nItem3=c\n";
    Settings s = store.LoadSettings();
    EXPECT_EQ(s.phones, (std::vector<std::string>{"111", "222"}));
    EXPECT_EQ(s.tcpGroups, (std::vector<TcpIpGroup>{{"A", "1.2.3.4"}}));
    ASSERT_EQ(s.gprsGroups.size(), 1u);
    EXPECT_EQ(s.gprsGroups[0].devices, (std::vector<std::string>{"a", "", "c"}));
    // A hostile count is bounded instead of looping for ever.
    userStore("[Phone]\nPhone Count=2000000000\n");
    EXPECT_LE(store.LoadSettings().phones.size(), 10000u);
}

TEST_F(SettingsTest, AGarbageGprsGroupCountCountsOnlyTheGroupsThatExist) {
    std::ofstream(home / "GPRSSet.ini")
        << "[GPRS]\nServer Port=8002\nGroup Count=2147483647\n"
           "[GPRS Group1]\nGroup Name=North\nCount=1\nItem1=13800000001\n"
           "[GPRS Group3]\nGroup Name=South\nCount=0\n"
           "[GPRS Group12000]\nGroup Name=Stale\nCount=0\n";
    Settings s = store.LoadSettings();
    ASSERT_EQ(s.gprsGroups.size(), 2u);
    EXPECT_EQ(s.gprsGroups[0].name, "North");
    EXPECT_EQ(s.gprsGroups[1].name, "South");

    // Written back: the two groups, numbered afresh, and nothing else.
    std::string error;
    ASSERT_TRUE(store.SaveSettings(s, error)) << error;
    Profile gprs = Profile::load(store.gprsSetPath());
    EXPECT_EQ(gprs.getInt("GPRS", "Group Count", 0), 2);
    EXPECT_EQ(gprs.sections(), (std::vector<std::string>{"GPRS", "GPRS Group1", "GPRS Group2"}));
    EXPECT_EQ(gprs.getString("GPRS Group2", "Group Name"), "South");
    EXPECT_EQ(gprs.getInt("GPRS", "Server Port", 0), 8002);
    EXPECT_EQ(store.LoadSettings().gprsGroups, s.gprsGroups);
}

TEST_F(SettingsTest, ASystemDeviceGetsAFreeComNumberThatTheStoreKeeps) {
    Settings s = store.LoadSettings();
    // The number must not stand for a serial port the machine has.
    s.comDevices[1] = "/dev/ttyUSB7";
    const int com = s.mapComDevice("/dev/ttyACM3");
    ASSERT_GT(com, 1);
    EXPECT_FALSE(std::filesystem::exists(
        s.comDevicePath(com) == "/dev/ttyACM3" ? "/dev/ttyS" + std::to_string(com - 1) : "/"));
    // Asking again gives the same number; the store keeps the mapping.
    EXPECT_EQ(s.mapComDevice("/dev/ttyACM3"), com);
    EXPECT_EQ(s.mapComDevice("/dev/ttyUSB7"), 1);
    std::string error;
    ASSERT_TRUE(store.SaveSettings(s, error)) << error;
    EXPECT_EQ(store.LoadSettings().comDevicePath(com), "/dev/ttyACM3");
}

// The modem registry: enumeration from a key store, and installing,
// removing and selecting modems as lumavox-cli does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/Cli.h"
#include "operations/Modems.h"
#include "platform/Profile.h"
#include "strings/ModemTexts.h"
#include "support/TestSupport.h"
#include "transport/ModemRegistry.h"

namespace lumavox {
namespace {

const std::string kClass =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
    "{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";

RegistryEx storeOf(const std::string& text) {
    return RegistryEx(Profile::parse(text));
}

// Three modems: one attached to COM12, an IP virtual modem, and one whose
// port is found through its device key below "Enum".
std::string sampleStore() {
    return "[" + kClass + "0000]\n" +
           "Model=Standard 56000 bps Modem\n"
           "AttachedTo=COM12\n"
           "Reset=ATZ\n"
           "DCB=hex:1c,00,00,00,00,c2,01,00,15,20\n"
           "[" +
           kClass + "0000\\Settings]\n" +
           "Prefix=AT\nInit=AT&F\nTerminator=<cr>\n"
           "[" +
           kClass + "0001]\n" +
           "Model=Microsoft IP Virtual Modem\n"
           "AttachedTo=COM9\n"
           "[" +
           kClass + "0002]\n" +
           "Model=USB GSM Modem\n"
           "Reset=NONE\n"
           "DCB=hex:1c,00,00,00,39,30,00,00\n"
           "[HKEY_LOCAL_MACHINE\\Enum\\USB\\VID_1234\\5&0]\n"
           "Driver=Modem\\0000\n"
           "PORTNAME=COM1\n"
           "[HKEY_LOCAL_MACHINE\\Enum\\USB\\VID_1234\\7&1\\Dev]\n"
           "Driver=modem\\0002\n"
           "PORTNAME=COM7\n";
}

TEST(ModemRegistry, EnumerationFollowsTheKeys) {
    RegistryEx r = storeOf(sampleStore());
    ModemList list = enumerateModems(r);
    ASSERT_EQ(list.modems.size(), 3u);
    EXPECT_EQ(list.counted, 2);  // the IP virtual modem is listed, not counted

    const ModemEntry& first = list.modems[0];
    EXPECT_EQ(first.key, "0000");
    EXPECT_EQ(first.port, 12);  // "AttachedTo" wins over a device key
    EXPECT_EQ(first.speed, 115200);
    EXPECT_EQ(first.resetString, "ATZ");
    EXPECT_EQ(first.initString, "AT AT&F <cr>");

    EXPECT_FALSE(list.modems[1].counted());
    EXPECT_EQ(list.modems[1].port, 9);

    // Without "AttachedTo": the device key below "Enum" whose "Driver" names
    // the modem key (case ignored), searched depth first.
    const ModemEntry& usb = list.modems[2];
    EXPECT_EQ(usb.port, 7);
    EXPECT_EQ(usb.speed, 0);  // 12345 is no standard rate
    EXPECT_EQ(usb.resetString, "");

    EXPECT_EQ(modemPort(r, "Standard 56000 bps Modem"), 12);
    EXPECT_EQ(modemPort(r, "Nothing"), 0);
}

TEST(ModemRegistry, GapsEmptyModelsAndDamagedValues) {
    RegistryEx r = storeOf("[" + kClass + "0003]\nModel=\n[" + kClass +
                           "0009]\nModel=Last\nAttachedTo=COM\nDCB=hex:zz,01\n[" + kClass +
                           "0010]\nModel=Eleventh\n");
    ModemList list = enumerateModems(r);
    ASSERT_EQ(list.modems.size(), 1u);  // empty model: no modem; index 10 is never read
    EXPECT_EQ(list.modems[0].model, "Last");
    EXPECT_EQ(list.modems[0].port, 0);
    EXPECT_EQ(list.modems[0].speed, 0);
    EXPECT_EQ(portNumberOf("COM12"), 12);
    EXPECT_EQ(portNumberOf("COM99999"), 0);
    EXPECT_EQ(portNumberOf("CO"), 0);
}

TEST(ModemRegistry, KeysBelowAndTheDepthFirstSearch) {
    RegistryEx r = storeOf(
        "[A\\b\\x]\nDriver=one\n[A\\C]\nDriver=two\n[A\\b]\nV=1\n[A\\b\\x\\deep]\nDriver=TWO\n");
    EXPECT_TRUE(r.keyExists("a"));  // exists through the keys below it
    EXPECT_EQ(r.subKeys("A"), (std::vector<std::string>{"b", "C"}));
    // b before C, and b's subtree before C.
    EXPECT_EQ(r.findKeyWithValue("A", "driver", "two").value_or(""), "A\\b\\x\\deep");
    EXPECT_FALSE(r.findKeyWithValue("A", "Driver", "three"));
    r.deleteKey("A\\b");
    EXPECT_FALSE(r.keyExists("A\\b\\x"));
    EXPECT_EQ(r.findKeyWithValue("A", "Driver", "two").value_or(""), "A\\C");
}

TEST(ModemRegistry, OnlyVirtualModemsRefuseTheDialWindow) {
    Icon icon = Icon::None;
    ModemList list = enumerateModems(storeOf("[" + kClass + "0000]\nModel=IP Virtual Modem\n"));
    EXPECT_EQ(list.modems.size(), 1u);
    EXPECT_EQ(dialWindowRefusal(list, LinkState::None, icon), msg::kNoModemInstalled);
    EXPECT_EQ(icon, Icon::Error);
    list = enumerateModems(storeOf(sampleStore()));
    EXPECT_EQ(dialWindowRefusal(list, LinkState::None, icon), 0);
    EXPECT_EQ(dialWindowRefusal(list, LinkState::Tcp, icon), msg::kModemLineOnNetwork);
    EXPECT_EQ(dialWindowRefusal(list, LinkState::Gprs, icon), msg::kModemLineOnGprs);
}

TEST(ModemRegistry, InstallRemoveAndSelect) {
    test::TempDir dir;
    SettingsStore store(dir.path(), dir / "user" / "LUMAVOX.ini");
    Settings s = store.LoadSettings();
    std::string e;
    ASSERT_TRUE(installModem(store, s, "First", "COM4", 0, e)) << e;
    ASSERT_TRUE(installModem(store, s, "USB GSM", "/dev/ttyACM0", 9600, e)) << e;
    EXPECT_FALSE(installModem(store, s, "First", "5", 0, e));    // twice
    EXPECT_FALSE(installModem(store, s, "Bad", "COMx", 0, e));   // no number
    EXPECT_FALSE(installModem(store, s, "Bad", "3", 12345, e));  // odd speed
    EXPECT_FALSE(installModem(store, s, "", "3", 0, e));         // no name

    Settings back = store.LoadSettings();
    EXPECT_EQ(back.modemName, "First");  // the first one installed is selected
    RegistryEx r = loadModemRegistry(store);
    ModemTarget t = modemTargetFrom(back, r);
    EXPECT_EQ(t.comPort, 4);
    int usbCom = modemPort(r, "USB GSM");
    EXPECT_EQ(back.comDevicePath(usbCom), "/dev/ttyACM0");  // through "Comports"
    EXPECT_EQ(findModem(r, "USB GSM")->speed, 9600);

    EXPECT_TRUE(selectModem(store, s, "USB GSM", e)) << e;
    EXPECT_FALSE(selectModem(store, s, "Nobody", e));
    EXPECT_EQ(store.LoadSettings().modemName, "USB GSM");
    EXPECT_TRUE(uninstallModem(store, s, "USB GSM", e)) << e;
    EXPECT_EQ(store.LoadSettings().modemName, "First");  // the selection moves on
    EXPECT_FALSE(uninstallModem(store, s, "USB GSM", e));
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(installModem(store, s, "M" + std::to_string(i), "2", 0, e)) << e;
    EXPECT_FALSE(installModem(store, s, "Eleventh", "2", 0, e));  // ten keys at most
}

TEST(ModemRegistry, CommandLine) {
    test::TempDir dir;
    const char* before = std::getenv("LUMAVOX_CONFIG_DIR");
    std::string kept = before ? before : "";
    ::setenv("LUMAVOX_CONFIG_DIR", (dir / "cfg").c_str(), 1);
    auto cli = [&](std::vector<std::string> args, std::string* out = nullptr) {
        args.push_back("--home");
        args.push_back(dir.path().string());
        std::ostringstream o, err;
        int status = runCli(args, o, err);
        if (out) *out = o.str() + err.str();
        return status;
    };
    std::string out;
    EXPECT_EQ(cli({"modem", "list"}, &out), 0);
    EXPECT_NE(out.find("No modem installed"), std::string::npos);
    EXPECT_EQ(cli({"modem", "check"}, &out), 1);
    EXPECT_NE(out.find("Sorry, your computer hasn't install MODEM"), std::string::npos);
    EXPECT_EQ(cli({"modem", "add", "--model", "Hayes", "--port", "3"}), 0);
    EXPECT_EQ(cli({"modem", "add", "--model", "IP Virtual Modem", "--port", "4"}), 0);
    EXPECT_EQ(cli({"modem", "add", "--model", "GSM", "--port", "/dev/ttyACM0"}), 0);
    EXPECT_EQ(cli({"modem", "add", "--model", "GSM", "--port", "5"}), 1);
    EXPECT_EQ(cli({"modem", "add", "--model", "X"}), 2);
    EXPECT_EQ(cli({"modem", "select", "GSM"}), 0);
    EXPECT_EQ(cli({"modem", "select", "IP Virtual Modem"}), 1);
    EXPECT_EQ(cli({"modem", "list"}, &out), 0);
    EXPECT_NE(out.find("  Hayes\tCOM3"), std::string::npos) << out;
    EXPECT_NE(out.find("* GSM\tCOM"), std::string::npos) << out;
    EXPECT_NE(out.find("IP Virtual Modem\tCOM4\t115200 baud\t(not counted)"), std::string::npos);
    EXPECT_EQ(cli({"modem", "remove", "GSM"}), 0);
    EXPECT_EQ(cli({"modem", "remove", "GSM"}), 1);
    EXPECT_EQ(cli({"modem", "frobnicate"}), 2);
    if (before)
        ::setenv("LUMAVOX_CONFIG_DIR", kept.c_str(), 1);
    else
        ::unsetenv("LUMAVOX_CONFIG_DIR");
}

}  // namespace
}  // namespace lumavox

// Serial ports by their stable names: a folder of real symbolic links to
// pseudo-terminals stands for /dev/serial/by-id.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Cli.h"
#include "operations/Settings.h"
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "support/TestSupport.h"
#include "transport/PortList.h"
#include "transport/SignLink.h"

namespace lumavox {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct Pty {
    RawPseudoTerminal pty;
    Pty() {
        std::string error;
        EXPECT_TRUE(openRawPseudoTerminal(pty, true, error)) << error;
    }
    ~Pty() {
        ::close(pty.master);
        ::close(pty.slave);
    }
    const std::string& path() const { return pty.path; }
};

constexpr const char* kFtdi = "usb-FTDI_FT232R_USB_UART_A1234-if00-port0";
constexpr const char* kProlific = "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";

struct SerialNames : ::testing::Test {
    TempDir byId;
    Pty adapter, mapped, plain;
    SerialNames() {
        fs::create_symlink(adapter.path(), byId / kFtdi);
        fs::create_symlink(mapped.path(), byId / kProlific);
        // Neither a link whose device is gone nor a file that is no link counts.
        fs::create_symlink("/dev/lumavox-no-such-port", byId / "usb-gone-if00-port0");
        std::ofstream(byId / "not-a-link");
    }
    fs::path link(const char* name) const { return byId / name; }
};

TEST_F(SerialNames, DevicesAreShownWithTheirStableNamesAndMappedByThem) {
    const std::vector<SerialPortName> names = serialPortNames(byId.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].name(), kFtdi);
    EXPECT_EQ(names[0].device, fs::canonical(adapter.path()).string());
    EXPECT_EQ(names[1].link, link(kProlific).string());
    // Either path of a device shows both names.
    const std::string shown = adapter.path() + " (" + kFtdi + ")";
    EXPECT_EQ(serialPortText(adapter.path(), names), shown);
    EXPECT_EQ(serialPortText(link(kFtdi), names), shown);
    EXPECT_EQ(serialPortText(plain.path(), names), plain.path());

    // A COM number mapped to a stable name is listed with the device and opens
    // through the link.
    const ComPortMap ports({{5, link(kProlific).string()}});
    const std::vector<ComPortEntry> list = listComPorts(ports, names);
    auto com5 = std::find_if(list.begin(), list.end(), [](auto& e) { return e.number == 5; });
    ASSERT_NE(com5, list.end());
    EXPECT_EQ(com5->text, "COM5  (" + mapped.path() + ", " + kProlific + ")");
    CSignLink line(ports);
    EXPECT_TRUE(line.open(nullptr, 5, 9600));

    // The adapter without a COM number is offered by its stable name; the
    // mapped device is not offered again under its other path.
    const std::vector<SystemPortEntry> offered = unmappedSystemPorts(ports, names);
    auto byDevice = [&](const std::string& device) {
        return std::find_if(offered.begin(), offered.end(),
                            [&](auto& p) { return p.device == device; });
    };
    ASSERT_NE(byDevice(link(kFtdi)), offered.end());
    EXPECT_EQ(byDevice(link(kFtdi))->text, shown);
    EXPECT_EQ(byDevice(adapter.path()), offered.end());
    EXPECT_EQ(byDevice(link(kProlific)), offered.end());
    EXPECT_EQ(byDevice(mapped.path()), offered.end());

    // Choosing it in the dialog keeps the stable name in "Comports".
    Settings settings;
    const int com = settings.mapComDevice(byDevice(link(kFtdi))->device);
    ASSERT_GT(com, 0);
    EXPECT_EQ(settings.comDevicePath(com), link(kFtdi).string());
}

TEST_F(SerialNames, TheCliListsThePortsAndSendsThroughAStableName) {
    ::setenv("LUMAVOX_SERIAL_BY_ID", byId.path().c_str(), 1);
    EXPECT_EQ(serialByIdDir(), byId.path());
    TempDir home;
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"ports", "--home", home.path().string()}, out, err), 0) << err.str();
    EXPECT_NE(
        out.str().find(adapter.path() + " (" + kFtdi + ")\tserial:" + link(kFtdi).string() + "\n"),
        std::string::npos)
        << out.str();
    // A sign command takes the stable name as its serial device.
    std::ostringstream sent, failed;
    runCli({"sign-off", "--home", home.path().string(), "--link",
            "serial:" + link(kFtdi).string() + "@9600", "--reply-timeout-ms", "50"},
           sent, failed);
    EXPECT_NE(sent.str().find("serial " + link(kFtdi).string()), std::string::npos) << sent.str();
    ::unsetenv("LUMAVOX_SERIAL_BY_ID");
}

}  // namespace
}  // namespace lumavox

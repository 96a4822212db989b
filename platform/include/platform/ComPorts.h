// Serial port COM n and the device it stands for.
//
// The per-user store's section "Comports" names devices for COM numbers
// ("COM3=/dev/ttyUSB0"); a COM number without an entry (or with an empty one)
// is /dev/ttyS(n-1). Any path that opens as a terminal device is valid,
// pseudo-terminals included. The editor, the control and the gateway all find
// their devices this way.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lumavox {

class Profile;

// The per-user store's section of COM device entries.
inline constexpr std::string_view kComportsSection = "Comports";

// /dev/ttyS(n-1).
std::string defaultComDevicePath(int com);

// The COM number a key of the section names: "COM3" (any case) gives 3; a key
// that is not "COM" followed by a positive decimal number gives 0.
int comNumberOfKey(std::string_view key);

// The section's entries with a device, by COM number. When several keys name
// the same number ("COM3", "com03") the first one in the file counts, as for
// every other lookup in a profile.
std::map<int, std::string> readComDevices(const Profile& store);

// A stable name the system gives a serial device: a symbolic link in
// /dev/serial/by-id (named after the adapter's maker, model and serial
// number, so it stays the same whichever ttyUSB number the device gets) and
// the device it leads to.
struct SerialPortName {
    std::string link;    // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1234-if00-port0"
    std::string device;  // "/dev/ttyUSB0"
    // The link's own name: "usb-FTDI_FT232R_USB_UART_A1234-if00-port0".
    std::string name() const { return std::filesystem::path(link).filename().string(); }
};

// The folder of those links: LUMAVOX_SERIAL_BY_ID when set (the tests' own
// folder), else /dev/serial/by-id.
std::filesystem::path serialByIdDir();

// The links of the folder that lead to a device, in name order; links whose
// device is gone and anything that is not a link are left out. None when the
// folder does not exist (no USB serial adapter is plugged in).
std::vector<SerialPortName> serialPortNames(const std::filesystem::path& byIdDir = serialByIdDir());

// The stable name of a device given by either of its paths (the device or a
// link to it), or nullptr when it has none.
const SerialPortName* stableNameOf(std::string_view path, const std::vector<SerialPortName>& names);

// The device of COM n: its entry in `devices` when there is one, else the default.
std::string comDevicePath(int com, const std::map<int, std::string>& devices);
// The same with the entries read from a profile (the per-user store).
std::string comDevicePath(int com, const Profile& store);

}  // namespace lumavox

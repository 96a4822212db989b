// Serial port COM n and the device it stands for.
//
// The per-user store's section "Comports" names devices for COM numbers
// ("COM3=/dev/ttyUSB0"); a COM number without an entry (or with an empty one)
// is /dev/ttyS(n-1). Any path that opens as a terminal device is valid,
// pseudo-terminals included. The editor, the control and the gateway all find
// their devices this way.
#pragma once

#include <map>
#include <string>
#include <string_view>

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

// The device of COM n: its entry in `devices` when there is one, else the default.
std::string comDevicePath(int com, const std::map<int, std::string>& devices);
// The same with the entries read from a profile (the per-user store).
std::string comDevicePath(int com, const Profile& store);

}  // namespace lumavox

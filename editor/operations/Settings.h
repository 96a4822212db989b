// The editor's settings, typed, and the one place that reads and writes them.
//
// Three stores hold them: "SoftwareSet.ini" in the program directory (read only),
// the per-user store (the communication and user choices between runs) and
// "GPRSSet.ini" in the program directory (the GPRS gateway's port and groups).
// No other code parses these files.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "content/Model.h"
#include "operations/Environment.h"
#include "transport/LinkSettings.h"

namespace lumavox {

enum class SendType : int { Serial = 1, TcpIp = 2, Gprs = 3 };

struct TcpIpGroup {
    std::string name;
    std::string addresses;  // comma-separated
    bool operator==(const TcpIpGroup&) const = default;
};

struct GprsGroup {
    std::string name;
    std::vector<std::string> devices;
    bool operator==(const GprsGroup&) const = default;
};

struct Settings {
    // "SoftwareSet.ini" "Settings for Communication" / "Sign Type"
    int repeatTimes = 3;            // "Time for Repeating send", at least 1
    int modemTimeoutMs = 6500;      // "Time out for Modem connection"
    int lanRs232TimeoutMs = 13000;  // "Time out for LAN / RS232 connection"
    int frameSize = 1000;           // "Number for Frame", 11..999 or 1000
    SignMode mode = SignMode::KV2;  // "Is For NVS"

    // Per-user store
    int commuStatus = -1;  // "MenuCheck" "iCommuStatus"
    bool autoOn = false;   // "AutoSet"
    bool autoOff = false;
    int autoOnHour = 0;
    int autoOnMinute = 0;
    int autoOffHour = 0;
    int autoOffMinute = 0;
    std::string lastGroupName;  // "SendInfo"
    int tcpPort = 5005;
    SendType sendType = SendType::Serial;
    int comport = 1;
    bool alwaysDisplay = true;
    std::string address;
    int baudRateIndex = 3;
    int clearAllMemory = 0;  // 0 none, 1 memory, 2 text files, 3 both
    bool checkResponseEachSignNvs = true;
    std::string lastGprsGroupName;
    bool hangUpWhenSendOverByTcpIp = true;  // written only; starts as 1 every run
    std::string fontFileName;               // "Font" "FontName"
    std::string modemName;                  // "Modem" "Use Modem Name"
    bool hangUpModemWhenSendOver = false;   // "Modem" "HangUpWhenSendOver"
    std::vector<std::string> phones;        // "Phone"
    std::string lastPhoneNo;
    std::vector<TcpIpGroup> tcpGroups;  // "ServerIPList"
    // "Comports": COM number -> device path, for ports that are not /dev/ttyS(n-1).
    std::map<int, std::string> comDevices;

    // "GPRSSet.ini"
    int gprsServerPort = 8001;
    std::vector<GprsGroup> gprsGroups;

    // The device path of serial port COM n.
    std::string comDevicePath(int com) const;
    // Gives a serial device the system reports a COM number of its own (the
    // one it already has, else the lowest of 1 ... 49 that neither maps to a
    // device nor stands for an existing /dev/ttyS port) and returns it; -1 when
    // every number is taken.
    int mapComDevice(const std::string& device);
    bool operator==(const Settings&) const = default;
};

// What the link and the send session take from the settings.
LinkSettings linkSettingsFrom(const Settings& settings);
ComPortMap comPortsFrom(const Settings& settings);

// Sign size and colour kind proposed for a new document ("DefaultPingSize").
struct DefaultSignSize {
    int width = 160;
    int height = 16;
    int colourType = 0;
    bool operator==(const DefaultSignSize&) const = default;
};

class SettingsStore {
  public:
    // settingsDir holds "SoftwareSet.ini" and "GPRSSet.ini"; userStore is the
    // per-user profile file.
    SettingsStore(std::filesystem::path settingsDir, std::filesystem::path userStore);
    // The settings of the environment's folders.
    explicit SettingsStore(const ApplicationEnvironment& environment)
        : SettingsStore(environment.settingsDir, environment.userStore) {}

    // Reads every setting with its default and correction; never fails.
    Settings LoadSettings() const;
    // Writes the per-user sections and "GPRSSet.ini". Other sections and keys
    // of both files are kept; each file is replaced atomically.
    bool SaveSettings(const Settings& settings, std::string& error) const;

    DefaultSignSize LoadDefaultSignSize() const;
    bool SaveDefaultSignSize(const DefaultSignSize& size, std::string& error) const;
    // "SoftwareSet.ini" "Font" "Default": the name of the default text font.
    std::string DefaultFontName() const;

    std::filesystem::path softwareSetPath() const { return settingsDir_ / "SoftwareSet.ini"; }
    std::filesystem::path gprsSetPath() const { return settingsDir_ / "GPRSSet.ini"; }
    const std::filesystem::path& userStorePath() const { return userStore_; }

  private:
    std::filesystem::path settingsDir_;
    std::filesystem::path userStore_;
};

}  // namespace lumavox

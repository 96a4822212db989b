// The communication settings the link and the send session use, as plain
// values. The settings layer fills them from "SoftwareSet.ini" (section
// "Settings for Communication") and the per-user section "SendInfo"; the
// Comports section of the per-user store fills the COM-number mapping.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace lumavox {

// Baud table: index 0 ... 7 -> 1200, 2400, 4800, 9600, 14400, 19200, 28800,
// 57600 bits per second; any other index gives 9600.
int baudRateForIndex(int index);
constexpr int kBaudTableSize = 8;

struct LinkSettings {
    int frameSize = 1000;       // "Number for Frame", as stored
    int repeatTimes = 3;        // "Time for Repeating send", as stored
    int modemTimeoutMs = 6500;  // "Time out for Modem connection"
    int lanTimeoutMs = 13000;   // "Time out for LAN / RS232 connection"
    int comPort = 1;            // "Comport"
    int baudIndex = 3;          // "BaudRate"
    std::string address = "1";  // "Address", the sign address list as typed
    int tcpPort = 5005;         // "Port"

    // Payload bytes per frame: 11 ... 999 as stored, else 1000.
    int frameLimit() const;
    // Attempts per frame: the stored value, at least 1.
    int attemptsPerFrame() const;
    int baudRate() const { return baudRateForIndex(baudIndex); }
};

// COM number -> device path by the rule of platform/ComPorts.h: entries of the
// per-user "Comports" section (COM3=/dev/ttyUSB0, held in the overrides)
// replace the default /dev/ttyS(n-1).
class ComPortMap {
  public:
    ComPortMap() = default;
    explicit ComPortMap(std::map<int, std::string> overrides) : overrides_(std::move(overrides)) {}
    // Asks a function first (for example the settings store); an empty answer
    // falls back to the overrides and then the default.
    explicit ComPortMap(std::function<std::string(int com)> lookup) : lookup_(std::move(lookup)) {}

    void set(int com, std::string path) { overrides_[com] = std::move(path); }
    std::string devicePath(int com) const;
    static std::string defaultPath(int com);

  private:
    std::map<int, std::string> overrides_;
    std::function<std::string(int)> lookup_;
};

}  // namespace lumavox

// The modems installed on this computer, found in the registry's modem class
// keys (kept by RegistryEx): up to ten keys "0000" ... "0009", each naming a
// modem by "Model" and its port by "AttachedTo" (such as COM3), or through the
// device key below "Enum" whose "Driver" names the modem key and whose
// "PORTNAME" names the port.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "transport/RegistryEx.h"

namespace lumavox {

// The modem class key and the device tree searched for ports.
inline constexpr const char* kModemClassKey =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
    "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kEnumKey = "HKEY_LOCAL_MACHINE\\Enum";
inline constexpr int kMaxModems = 10;
inline constexpr const char* kIpVirtualModem = "IP Virtual Modem";

struct ModemEntry {
    std::string key;          // "0000" ... "0009"
    std::string model;        // "Model"
    int port = 0;             // COM number; 0 when none was found
    int speed = 0;            // the BaudRate of "DCB" when it is a standard rate, else 0
    std::string resetString;  // "Reset"; "NONE" reads as empty
    std::string initString;   // the values under "\Settings", side by side
    bool counted() const;     // false for an "IP Virtual Modem"
};

struct ModemList {
    std::vector<ModemEntry> modems;  // every modem found, in key order
    int counted = 0;                 // those that are no "IP Virtual Modem"
};

// "0000" ... "0009".
std::string modemKeyName(int index);
// The number after the first three characters of "COM12" and the like; 0
// when there is none.
int portNumberOf(const std::string& text);

ModemList enumerateModems(const RegistryEx& registry);
// The first modem of that model, or nothing.
std::optional<ModemEntry> findModem(const RegistryEx& registry, const std::string& model);
// The COM number of the modem of that model; 0 when none is found.
int modemPort(const RegistryEx& registry, const std::string& model);

// Installs a modem in the first free key: "Model", "AttachedTo" = "COM%d",
// "Reset" "ATZ", a "DCB" at `speed` and the usual "\Settings" values. False
// with the reason when the model is empty or already there, the port is not
// 1 ... 255, or all ten keys are taken.
bool addModem(RegistryEx& registry, const std::string& model, int port, int speed,
              std::string& error);
// Removes the modem of that model (its class key and its device keys); false
// when there is none.
bool removeModem(RegistryEx& registry, const std::string& model);

}  // namespace lumavox

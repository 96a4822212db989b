// The ports offered by the "Comport & Addr." dialog.
#pragma once

#include <string>
#include <vector>

#include "platform/ComPorts.h"
#include "transport/LinkSettings.h"

namespace lumavox {

struct ComPortEntry {
    int number = 0;      // n of "COMn"
    std::string label;   // "COM%d"
    std::string device;  // the device path it maps to
    std::string text;    // as listed: "COM3  (/dev/ttyUSB0, usb-FTDI_..._A1234-if00-port0)"
};

// A serial device as the user knows it: "/dev/ttyUSB0 (usb-FTDI_..._A1234-if00-port0)"
// when a stable name in /dev/serial/by-id leads to it (whichever of the two
// paths is given), else the path as given.
std::string serialPortText(const std::string& path, const std::vector<SerialPortName>& names);

// COM numbers 0 ... 49 whose device opens, or exists but is held by another
// program: each is listed as "COM%d", with its device and stable name.
std::vector<ComPortEntry> listComPorts(
    const ComPortMap& ports, const std::vector<SerialPortName>& names = serialPortNames());

struct SystemPortEntry {
    std::string device;  // what a COM number is mapped to: the stable name when there is one
    std::string text;    // as listed (serialPortText)
};

// Serial devices the system reports (through libserialport, and every device
// a stable name leads to) that no COM number 0 ... 49 maps to yet, by either
// of their paths, so that the settings can offer to map them.
std::vector<SystemPortEntry> unmappedSystemPorts(
    const ComPortMap& ports, const std::vector<SerialPortName>& names = serialPortNames());

// The entry to preselect: the one for `current`, else the first (-1 when the
// list is empty).
int preselectedPort(const std::vector<ComPortEntry>& list, int current);

// The number after "COM" of a chosen label; 1 when nothing valid is chosen.
int comNumberFromLabel(const std::string& label);

}  // namespace lumavox

// The ports offered by the "Comport & Addr." dialog.
#pragma once

#include <string>
#include <vector>

#include "transport/LinkSettings.h"

namespace lumavox {

struct ComPortEntry {
    int number = 0;      // n of "COMn"
    std::string label;   // "COM%d"
    std::string device;  // the device path it maps to
};

// COM numbers 0 ... 49 whose device opens, or exists but is held by another
// program: each is listed as "COM%d".
std::vector<ComPortEntry> listComPorts(const ComPortMap& ports);

// Serial devices the system reports (through libserialport) that no COM number
// 0 ... 49 maps to yet, so that the settings can offer to map them.
std::vector<std::string> unmappedSystemPorts(const ComPortMap& ports);

// The entry to preselect: the one for `current`, else the first (-1 when the
// list is empty).
int preselectedPort(const std::vector<ComPortEntry>& list, int current);

// The number after "COM" of a chosen label; 1 when nothing valid is chosen.
int comNumberFromLabel(const std::string& label);

}  // namespace lumavox

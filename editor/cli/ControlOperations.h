// lumavox-cli's sign commands for the NVS family: the same route engine as the
// window's "Update Files" dialog, with the terminal as its result list.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lumavox {

// True for the sub-commands the NVS family sends through the control.
bool isControlCommand(const std::string& name);

// Runs `lumavox-cli --family nvs COMMAND ...` (args without the program name);
// prints the result list to `out`. Exit status: 0 when every target finished
// without a failure, 1 on a failure, 2 on a usage error.
int runControlCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lumavox

// lumavox-cli's "modem" commands: install, list, remove and select the modems
// the modem route dials with, and check the selected GSM modem.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lumavox {

// True when the first word of the arguments (options aside) is "modem".
bool isModemCommand(const std::vector<std::string>& args);
// Runs it; exit status 0 success, 1 failure, 2 usage error.
int runModemCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lumavox

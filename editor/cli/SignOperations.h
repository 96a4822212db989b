// lumavox-cli's sign operations: each command of the Update and Read menus as a
// sub-command. The command line parses the arguments and prints; the operation
// table of the editor (operations/Operations.h) checks and runs them.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lumavox {

// The sign operation the arguments name, or "" when they name none.
std::string signCommandIn(const std::vector<std::string>& args);
// Runs it; exit status 0 success, 1 failure, 2 usage error.
int runSignCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lumavox

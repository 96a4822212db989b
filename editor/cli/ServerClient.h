// lumavox-cli's sending commands through a running lumavox-server: with
// --server URL the command is queued as a job for a registered sign, a group
// or every sign, and the command line follows it to its end.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lumavox {

bool namesServer(const std::vector<std::string>& args);
// Exit status 0 when every job was delivered, 1 otherwise, 2 on a usage error.
int runServerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lumavox

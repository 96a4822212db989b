// lumavox-cli: the editor's engine driven from the command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lumavox {

// Runs one command; returns the exit status (0 success, 1 failure, 2 usage error).
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCli(int argc, char** argv);

}  // namespace lumavox

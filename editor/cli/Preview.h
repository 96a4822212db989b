// lumavox-cli preview: a text file played as the preview window plays it, in
// virtual time, written as an animated GIF.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lumavox {

// True when the command the arguments name is "preview".
bool isPreviewCommand(const std::vector<std::string>& args);
// Runs it; exit status 0 success, 1 failure, 2 usage error.
int runPreviewCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lumavox

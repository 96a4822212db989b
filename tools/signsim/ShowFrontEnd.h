// The windows of `signsim --show`: the one part of the virtual sign that needs
// a window system. Built only when Qt is found; everything it shows comes from
// LiveSign, which the line's thread feeds.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "LiveSign.h"

namespace lumavox::sim {

// True when the program was built with the windows.
bool showFrontEndBuilt();

// Opens a window per sign and runs the window system on this thread while
// `line` serves the line on another. Closing the last window ends the line
// (stopLine); the line ending (a signal) closes the windows. Returns the
// line's exit status, or 1 with the reason on standard error when no window
// can be opened. With `screenshot`, the windows as they stand when the line
// ends are kept one below the other in that PNG file.
int runShowWindows(int argc, char** argv, const std::vector<LiveSign*>& signs, int dot,
                   const std::string& screenshot, const std::function<int()>& line);

}  // namespace lumavox::sim

// dtusim --serial-config: a DTU on a pseudo-terminal that answers the
// configuration dialogue. The pseudo-terminal's device is reachable through a
// symbolic link at the given path for as long as dtusim runs.
#pragma once

#include "Options.h"

namespace lumavox::dtusim {

int runSerialConfig(const Options& options);

}  // namespace lumavox::dtusim

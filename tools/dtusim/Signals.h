// SIGTERM and SIGINT end dtusim cleanly.
#pragma once

namespace lumavox::dtusim {

void installStopHandlers();
bool stopRequested();

}  // namespace lumavox::dtusim

// The line of the virtual sign: a TCP listener serving one connection at a
// time, or a pseudo-terminal. Received bytes go to the protocol engine; its
// output is written when due. Runs until SIGINT or SIGTERM.
//
// A TCP connection on which nothing has crossed for the idle limit while the
// sign had nothing pending is dropped, so that one silent client does not keep
// every other waiting; the log and standard error say so.
#pragma once

#include <string>

#include "ConversationLog.h"
#include "SignProtocol.h"
#include "SimOptions.h"

namespace lumavox::sim {

// Returns the process exit status: 0 after a signal, 1 when the line could
// not be set up (the reason on standard error).
int runLine(const SimOptions& options, SignProtocol& engine, ConversationLog& log);

// Ends runLine as SIGTERM does; safe from any thread.
void stopLine();

}  // namespace lumavox::sim

// dtusim --gateway: one or many DTUs connected to a gateway over TCP.
//
// Each DTU connects, sends its registration record and then either echoes
// what it receives, bridges it to a sign (--sign), or speaks the framed
// protocol (--framed), where the remote command "+++ in set" switches the
// connection into the configuration dialogue until OUTSET=ON.
//
// Once every DTU has connected and sent its record, one line goes to standard
// output: "connected OK N FIRST LAST", OK of N DTUs connected, FIRST and LAST
// the monotonic clock in milliseconds when the first and the last connected.
#pragma once

#include "Options.h"

namespace lumavox::dtusim {

int runTcpDtus(const Options& options);

}  // namespace lumavox::dtusim

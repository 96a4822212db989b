// Connecting a TCP client socket to a host text and a port, so that the wait
// can be cancelled and the caller's window kept alive.
//
// The host text is a name when it starts with a letter (looked up; on failure
// it is still tried as a dotted address), otherwise a dotted IPv4 address. The
// connect is non-blocking and watched in slices of at most `sliceMs`; between
// slices the pump runs and the cancel callback is asked, and after `limitMs` on
// the clock the attempt ends. The connected socket is handed back in blocking
// mode. Failures name the step and the system's error number, so that each
// caller words them in its own texts.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"

namespace lumavox {

struct TcpConnectOptions {
    uint64_t limitMs = 15000;
    unsigned sliceMs = 10;
    // Receive and send buffer sizes set before connecting; 0 keeps the system's.
    int bufferBytes = 0;
    // Sends small writes at once (TCP_NODELAY).
    bool noDelay = false;
    // A name is looked up for IPv4 addresses only; otherwise the first answer
    // of any family is taken.
    bool ipv4Only = false;
    // Asked after every slice that ended without a result; true ends the wait.
    std::function<bool()> cancelled;
    // Run after every slice that ended without a result, before the cancel check.
    std::function<void()> pump;
    // Measures the limit; the system's steady clock when not given.
    const Clock* clock = nullptr;
};

// The step a connect failed at.
enum class TcpConnectStep {
    None,       // connected
    Port,       // the port is outside 0-65535
    Address,    // the host text is neither a name that resolves nor a dotted address
    Socket,     // the socket could not be created
    Mode,       // switching between non-blocking and blocking mode failed
    Connect,    // the connect failed (refused, unreachable, a failed wait, ...)
    Cancelled,  // the cancel callback said so
    TimedOut,   // limitMs passed
};

struct TcpConnectResult {
    int fd = -1;  // the connected socket (blocking, close-on-exec), or -1
    TcpConnectStep failed = TcpConnectStep::None;
    int error = 0;         // the system's error number of Socket, Mode and Connect
    std::string resolver;  // the name lookup's own message when a lookup failed
    bool ok() const { return fd >= 0; }
};

// The address a host text stands for (see above). False when neither the
// lookup nor the dotted form works; `resolver` then holds the lookup's message
// when a lookup was made.
bool resolveTcpAddress(const std::string& host, int port, bool ipv4Only, sockaddr_storage& addr,
                       socklen_t& length, std::string& resolver);

// Connects to host:port. On failure no socket is left open. The caller owns the
// socket of a successful result.
TcpConnectResult connectTcp(const std::string& host, int port, const TcpConnectOptions& options);

}  // namespace lumavox

// Who the link hands received bytes to, and whose cancel flag and window pump
// its waits honour: the operation dialog while it exists, the modem dialer
// while that runs.
#pragma once

#include <cstdint>
#include <span>

namespace lumavox {

class LinkReceiver {
  public:
    virtual ~LinkReceiver() = default;
    // Bytes that arrived. `handshakeAwaited` is true while the link counts
    // handshake bytes; the receiver keeps or drops the bytes by its own state.
    virtual void onLinkBytes(std::span<const uint8_t> bytes, bool handshakeAwaited) = 0;
    // The user asked to stop ("Close" while busy).
    virtual bool cancelRequested() const = 0;
    // Keeps the user interface alive during a wait (dispatches window messages).
    virtual void pump() = 0;
};

}  // namespace lumavox

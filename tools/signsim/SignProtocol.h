// What the line loop of the virtual sign drives: a protocol engine that takes
// received bytes and produces the bytes to send, each at its due time. The
// engine does no I/O of its own, so it runs the same over TCP and a
// pseudo-terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumavox::sim {

class SignProtocol {
  public:
    virtual ~SignProtocol() = default;
    // A new peer is on the line (a TCP connection was accepted).
    virtual void connected(uint64_t nowMs) = 0;
    virtual void feed(std::span<const uint8_t> bytes, uint64_t nowMs) = 0;
    // Runs the timers (acknowledgement waits) due by now.
    virtual void tick(uint64_t nowMs) = 0;
    // The earliest time tick() or takeOutput() has something to do.
    virtual std::optional<uint64_t> nextDeadline() const = 0;
    // The bytes due to be sent by now, in order.
    virtual std::vector<uint8_t> takeOutput(uint64_t nowMs) = 0;
    // The engine asks the line loop to drop the connection.
    virtual bool wantsClose() const = 0;
};

}  // namespace lumavox::sim

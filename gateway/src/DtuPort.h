// The byte transport a handle owns: a serial port, a listening server, or one
// DTU's TCP connection.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumavox::gateway {

class DtuPort {
  public:
    virtual ~DtuPort() = default;

    // Opens the port; true when it is open afterwards (also when it was).
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Bytes written, 0 when the port is not open, negative when the transport
    // failed.
    virtual long write(const uint8_t* data, size_t n) = 0;
    // Unread bytes the port holds.
    virtual size_t available() = 0;
    // Moves up to capacity unread bytes into buffer.
    virtual size_t read(uint8_t* buffer, size_t capacity) = 0;
    // Discards what is unread.
    virtual void purge();
    // Waits up to ms milliseconds for bytes to arrive (or less).
    virtual void waitReadable(int ms) = 0;
    // How long the configuration dialogue waits for a reply on this port.
    virtual int replyTimeoutMs() const = 0;
};

}  // namespace lumavox::gateway

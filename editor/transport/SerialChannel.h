// The RS-232 channel of the sign link: one serial device (a COM port mapped to a
// device path, or a pseudo-terminal), opened exclusively, written in 30-byte
// pieces and polled for received bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/SerialPort.h"
#include "transport/LinkChannel.h"

namespace lumavox {

class SerialChannel final : public LinkChannel {
  public:
    // Shows a message box: title, text.
    using MessageBox = std::function<void(const std::string&, const std::string&)>;

    static constexpr size_t kWritePiece = 30;

    // Opens `device` for COM number `comNumber` and configures it. Returns false
    // (with the reason in `error`) only when the device cannot be opened or
    // another program holds it. A configuration step that fails afterwards is
    // shown through `messageBox` ("Application Error") and the open still
    // counts as successful, the port keeping the settings it had.
    bool open(const std::string& device, int comNumber, int baud, char parity, int dataBits,
              int stopBits, const MessageBox& messageBox, std::string& error);
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    int portNumber() const { return portNumber_; }
    int fd() const { return port_.fd(); }

    // Writes the bytes in pieces of at most 30 bytes and waits until they have
    // left the driver. Stops at the first piece that fails.
    bool write(std::span<const uint8_t> bytes, std::string& error);
    bool send(std::span<const uint8_t> bytes, std::string& error) override {
        return write(bytes, error);
    }

    // Waits up to waitMs for bytes, then reads everything queued into `out`
    // (appending). Fails with "ClearCommError function error" when the port
    // cannot report its queue (closed, or the device went away).
    bool poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) override;

    // Calls `write` for each consecutive piece of at most `piece` bytes until it
    // returns false; returns whether every piece was written.
    static bool forEachPiece(std::span<const uint8_t> bytes, size_t piece,
                             const std::function<bool(std::span<const uint8_t>)>& write);

  private:
    SerialPort port_;
    int portNumber_ = 0;
};

// Line speeds the termios constants do not cover (14400, 28800): set through
// the kernel's arbitrary-rate interface. False with the reason on failure.
bool setArbitraryBaud(int fd, int baud, std::string& error);

}  // namespace lumavox

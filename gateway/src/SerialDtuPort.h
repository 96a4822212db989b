// A serial port with a DTU on it, for the configuration dialogue.
//
// COM number n names a device as everywhere else (platform/ComPorts.h): the
// per-user store's section "Comports" (COM3=/dev/ttyUSB0), else /dev/ttyS<n-1>.
// Pseudo-terminals work the same way.
#pragma once

#include <string>

#include "DtuPort.h"
#include "platform/SerialPort.h"

namespace lumavox::gateway {

struct SerialLine {
    int baud = 9600;
    int dataBits = 8;
    int parity = 0;  // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 1;
};

class SerialDtuPort final : public DtuPort {
  public:
    static constexpr int kReplyTimeoutMs = 1000;
    // A write that the line cannot take within this time fails instead of
    // hanging the caller.
    static constexpr unsigned kWriteTimeoutMs = 10000;

    SerialDtuPort(int comNumber, const SerialLine& line) : comNumber_(comNumber), line_(line) {}
    ~SerialDtuPort() override { close(); }

    bool open() override;
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    long write(const uint8_t* data, size_t n) override;
    size_t available() override;
    size_t read(uint8_t* buffer, size_t capacity) override;
    void purge() override { port_.purge(); }
    void waitReadable(int ms) override;
    int replyTimeoutMs() const override { return kReplyTimeoutMs; }

  private:
    // Parity beyond odd and even, input parity checking, DTR and RTS.
    bool applyLineExtras();

    int comNumber_;
    SerialLine line_;
    SerialPort port_;
};

}  // namespace lumavox::gateway

// A serial port: device paths such as /dev/ttyS0, /dev/ttyUSB0 or a
// pseudo-terminal's slave side.
//
// libserialport lists the ports the system has. The port itself is driven
// through termios, because libserialport's lookup by name only accepts devices
// it finds in sysfs and so refuses pseudo-terminals, which the virtual sign and
// the DTU and modem simulators use.
//
// Every call reports failure as false plus a text naming the step that failed
// and the system's reason; nothing throws. Reads wait at most the given number
// of milliseconds, so callers can keep their windows alive and honour a cancel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumavox {

struct SerialSettings {
    int baud = 9600;
    int dataBits = 8;
    char parity = 'N';  // 'N', 'E', 'O'
    int stopBits = 1;
};

// What a user who may not open `path` does about it: join the device's group
// (dialout on Debian) and log in again, in words.
std::string serialPermissionHint(const std::string& path);

class SerialPort {
  public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    SerialPort(SerialPort&& other) noexcept;
    SerialPort& operator=(SerialPort&& other) noexcept;

    // Opens the device for reading and writing and applies the settings (no flow
    // control). On failure the port stays closed and error says which step failed.
    bool open(const std::string& path, const SerialSettings& settings, std::string& error);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    bool setSettings(const SerialSettings& settings, std::string& error);
    // Writes all bytes, waiting at most timeoutMs for the driver to take them.
    bool write(const uint8_t* data, size_t size, unsigned timeoutMs, std::string& error);
    // Reads what arrives within timeoutMs (0: only what is already there), at most
    // `capacity` bytes. Returns the count, or -1 with error set.
    long read(uint8_t* buffer, size_t capacity, unsigned timeoutMs, std::string& error);
    // Waits up to timeoutMs for bytes to arrive; true when some are waiting.
    bool waitReadable(unsigned timeoutMs);
    // Bytes waiting in the input queue, or -1.
    long bytesWaiting();
    // Drops whatever is queued in either direction.
    void purge();
    // The descriptor for poll(), or -1.
    int fd() const { return fd_; }

    // Device paths of the serial ports the system knows.
    static std::vector<std::string> listPorts();

  private:
    bool fail(const char* step, std::string& error);
    int fd_ = -1;
    std::string path_;
};

}  // namespace lumavox

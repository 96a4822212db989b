#include "transport/SerialChannel.h"

#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "transport/SystemText.h"

namespace lumavox {

namespace {

bool standardBaud(int baud) {
    switch (baud) {
        case 1200:
        case 2400:
        case 4800:
        case 9600:
        case 19200:
        case 38400:
        case 57600:
        case 115200:
            return true;
        default:
            return false;
    }
}

// The name of the configuration step a SerialPort error text comes from, and
// the reason behind it.
void splitSettingsError(const std::string& error, std::string& step, std::string& reason) {
    auto colon = error.find(": ");
    std::string what = colon == std::string::npos ? error : error.substr(0, colon);
    reason = colon == std::string::npos ? error : error.substr(colon + 2);
    if (what == "read line settings")
        step = "GetCommState()";
    else if (what == "apply line settings")
        step = "SetCommState()";
    else
        step = "BuildCommDCB()";
}

}  // namespace

bool SerialChannel::forEachPiece(std::span<const uint8_t> bytes, size_t piece,
                                 const std::function<bool(std::span<const uint8_t>)>& write) {
    if (piece == 0) return false;
    while (!bytes.empty()) {
        size_t n = std::min(piece, bytes.size());
        if (!write(bytes.first(n))) return false;
        bytes = bytes.subspan(n);
    }
    return true;
}

bool SerialChannel::open(const std::string& device, int comNumber, int baud, char parity,
                         int dataBits, int stopBits, const MessageBox& messageBox,
                         std::string& error) {
    close();
    portNumber_ = comNumber;
    // The device opens with neutral line settings; the requested ones follow
    // as separate steps, so that a setting the device refuses is reported and
    // the port is still usable, as the configuration rule asks.
    if (!port_.open(device, SerialSettings{}, error)) return false;
    // Exclusive use: the terminal's exclusive mode does not bind a privileged
    // process, so a lock on the device keeps two of our programs apart too.
    if (::flock(port_.fd(), LOCK_EX | LOCK_NB) != 0) {
        error = "lock port: " + systemMessage(errno == EWOULDBLOCK ? EBUSY : errno);
        port_.close();
        return false;
    }

    auto report = [&](const std::string& step, const std::string& reason) {
        if (messageBox)
            messageBox(text(msg::kApplicationErrorTitle),
                       textf(msg::kCommSetupFailed, {step, reason, comNumber}));
    };
    SerialSettings settings;
    settings.baud = standardBaud(baud) ? baud : 9600;
    settings.parity = parity;
    settings.dataBits = dataBits;
    settings.stopBits = stopBits;
    std::string settingsError;
    if (parity != 'N' && parity != 'E' && parity != 'O') {
        report("BuildCommDCB()", systemMessage(EINVAL));
    } else if (stopBits != 1 && stopBits != 2) {
        report("BuildCommDCB()", systemMessage(EINVAL));
    } else if (!port_.setSettings(settings, settingsError)) {
        std::string step, reason;
        splitSettingsError(settingsError, step, reason);
        report(step, reason);
    } else if (!standardBaud(baud)) {
        if (baud <= 0 || !setArbitraryBaud(port_.fd(), baud, settingsError))
            report("SetCommState()", baud <= 0 ? systemMessage(EINVAL) : settingsError);
    }
    // RTS held on; devices without modem lines (pseudo-terminals) have none to set.
    int rts = TIOCM_RTS;
    (void)::ioctl(port_.fd(), TIOCMBIS, &rts);
    port_.purge();
    return true;
}

void SerialChannel::close() {
    port_.close();
}

bool SerialChannel::write(std::span<const uint8_t> bytes, std::string& error) {
    if (!port_.isOpen()) {
        error = withSystemTextDot(msg::kComportWriteError, systemMessage(EBADF));
        return false;
    }
    std::string reason;
    bool ok = forEachPiece(bytes, kWritePiece, [&](std::span<const uint8_t> piece) {
        return port_.write(piece.data(), piece.size(), 1000, reason);
    });
    if (!ok) {
        error = withSystemTextDot(msg::kComportWriteError, reason);
        return false;
    }
    // The bytes are on their way before the caller goes on (a blocking write).
    while (::tcdrain(port_.fd()) != 0 && errno == EINTR) {
    }
    return true;
}

bool SerialChannel::poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) {
    if (!port_.isOpen()) {
        error = text(msg::kClearCommError);
        return false;
    }
    pollfd p{port_.fd(), POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(waitMs));
    if (r < 0 && errno != EINTR) {
        error = text(msg::kClearCommError);
        return false;
    }
    long queued = port_.bytesWaiting();
    if (queued < 0) {
        error = text(msg::kClearCommError);
        return false;
    }
    if (queued == 0) {
        // A device that hung up (unplugged adapter, closed terminal pair) reports
        // readiness forever with nothing to read: that is a failed port.
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            error = text(msg::kClearCommError);
            return false;
        }
        return true;
    }
    size_t old = out.size();
    out.resize(old + static_cast<size_t>(queued));
    std::string reason;
    long got = port_.read(out.data() + old, static_cast<size_t>(queued), 0, reason);
    if (got < 0) {
        out.resize(old);
        error = withSystemTextDot(msg::kClearCommError, reason);
        return false;
    }
    out.resize(old + static_cast<size_t>(got));
    return true;
}

}  // namespace lumavox

#include "transport/TcpChannel.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/TcpConnect.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "transport/SystemText.h"

namespace lumavox {

namespace {

// The link's wording of a failed connect; a refused or unreachable address
// is named with the port tried, so the user sees which setting to check.
std::string connectFailureText(const TcpConnectResult& r, const std::string& host, int port) {
    auto tried = [&](const std::string& reason) {
        return textf(msg::kConnectTried, {reason, host, port});
    };
    switch (r.failed) {
        case TcpConnectStep::Address:
            return tried(withSystemTextColon(
                msg::kConnectError, r.resolver.empty() ? systemMessage(EINVAL) : r.resolver));
        case TcpConnectStep::Mode:
            return withSystemTextColon(msg::kConnectTypeSetError, systemMessage(r.error));
        case TcpConnectStep::Cancelled:
            return text(msg::kCancelledByUser);
        case TcpConnectStep::TimedOut:
            return text(msg::kConnectTimeout);
        default:  // the port, the socket, the connect itself
            return tried(withSystemTextColon(msg::kConnectError, systemMessage(r.error)));
    }
}

}  // namespace

TcpChannel::~TcpChannel() {
    close();
}

void TcpChannel::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TcpChannel::fail(std::string& error, std::string text) {
    close();
    error = std::move(text);
    return false;
}

bool TcpChannel::connect(const std::string& host, int port, const Hooks& hooks, const Clock& clock,
                         std::string& error) {
    close();
    closedByPeer_ = false;
    if (host.empty()) return fail(error, text(msg::kIpAddressEmpty));
    TcpConnectOptions options;
    options.limitMs = kConnectLimitMs;
    options.sliceMs = kWaitSliceMs;
    options.bufferBytes = kSocketBuffer;
    options.cancelled = hooks.cancelled;
    options.pump = hooks.pump;
    options.clock = &clock;
    TcpConnectResult r = connectTcp(host, port, options);
    if (!r.ok()) return fail(error, connectFailureText(r, host, port));
    fd_ = r.fd;
    // A peer that stops reading must not hold the user interface forever.
    timeval tv{5, 0};
    (void)::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    return true;
}

bool TcpChannel::send(std::span<const uint8_t> bytes, std::string& error) {
    if (fd_ < 0) {
        error = withSystemTextDot(msg::kSendFailed, systemMessage(EBADF));
        return false;
    }
    while (!bytes.empty()) {
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = withSystemTextDot(msg::kSendFailed, systemMessage(errno));
            return false;
        }
        if (n == 0) {
            closedByPeer_ = true;
            return fail(error, text(msg::kClientClosed));
        }
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return true;
}

bool TcpChannel::poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) {
    if (fd_ < 0) {
        error = withSystemTextDot(msg::kIoctlSocketError, systemMessage(EBADF));
        return false;
    }
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(waitMs));
    if (r <= 0) return true;  // nothing arrived (or an interrupted wait)
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
        error = withSystemTextDot(msg::kIoctlSocketError, systemMessage(errno));
        return false;
    }
    // Readable with nothing waiting is the peer's end of stream (or an error),
    // which recv() tells apart; ask for at least one byte.
    size_t want = waiting > 0 ? static_cast<size_t>(waiting) : 1;
    size_t old = out.size();
    out.resize(old + want);
    ssize_t n = ::recv(fd_, out.data() + old, want, MSG_DONTWAIT);
    if (n < 0) {
        out.resize(old);
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return true;
        error = withSystemTextDot(msg::kRecvError, systemMessage(errno));
        return false;
    }
    out.resize(old + static_cast<size_t>(n));
    if (n == 0) {
        closedByPeer_ = true;
        return fail(error, text(msg::kClientClosed));
    }
    return true;
}

}  // namespace lumavox

#include "SendEngine.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>

#include "ControlProtocol.h"
#include "Texts.h"
#include "platform/ComPorts.h"
#include "platform/Profile.h"
#include "platform/TcpConnect.h"

namespace lumavox::nvs {

std::string format(const char* fmt, ...) {
    char buf[kMaxNotifyText + 1];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

uint64_t steadyMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace {

// The reply buffer is bounded: a sign that talks without end cannot make it grow
// without end. The oldest half goes when the bound is reached.
constexpr size_t kMaxReplyBytes = 1 << 20;
constexpr size_t kSerialChunk = 30;
constexpr unsigned kSerialWriteMs = 1000;
constexpr size_t kTcpReadChunk = 1224;
constexpr int kSocketBuffer = 8092;
constexpr unsigned kConnectSliceMs = 10;

// Writes to a descriptor in chunks, waiting up to kSerialWriteMs per chunk.
bool writeFd(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        size_t want = std::min(size, kSerialChunk);
        size_t done = 0;
        uint64_t end = steadyMs() + kSerialWriteMs;
        while (done < want) {
            ssize_t w = ::write(fd, data + done, want - done);
            if (w > 0) {
                done += static_cast<size_t>(w);
                continue;
            }
            if (w < 0 && errno != EAGAIN && errno != EINTR) return false;
            uint64_t now = steadyMs();
            if (now >= end) return false;
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(end - now));
        }
        data += want;
        size -= want;
    }
    return true;
}

// The control's wording of a failed connect.
std::string connectFailureText(const TcpConnectResult& r, int limitMs) {
    switch (r.failed) {
        case TcpConnectStep::Port:
            return format(text::kConnectFailed, "the port is out of range");
        case TcpConnectStep::Address:
            return format(text::kConnectFailed, "the address is not valid");
        case TcpConnectStep::Socket:
            return format(text::kOpenSocketFailed, std::strerror(r.error));
        case TcpConnectStep::Mode:
            return format(text::kIoctlFailed, std::strerror(r.error));
        case TcpConnectStep::Cancelled:
            return text::kCancelled;
        case TcpConnectStep::TimedOut:
            return format(text::kConnectTimeOut, (limitMs + 999) / 1000);
        default:
            return format(text::kConnectFailed, std::strerror(r.error));
    }
}

}  // namespace

void SendEngine::start(const EngineSettings& settings, const Timings& timings) {
    stop();
    settings_ = settings;
    timings_ = timings;
    stopRequested_ = false;
    {
        std::lock_guard<std::mutex> lock(pieceLock_);
        pending_.reset();
    }
    reply_.clear();
    waiting_ = false;
    // "started" is signalled before the thread's first step, so that a caller
    // sees it running as soon as start() returns.
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void SendEngine::stop() {
    if (!thread_.joinable()) return;
    stopRequested_ = true;
    // A write blocked on a full socket returns once the socket is shut down.
    int s = socket_.load();
    if (s >= 0) ::shutdown(s, SHUT_RDWR);
    pieceCv_.notify_all();
    thread_.join();
    running_ = false;
    std::lock_guard<std::mutex> lock(pieceLock_);
    pending_.reset();
}

void SendEngine::handPiece(Piece piece) {
    {
        std::lock_guard<std::mutex> lock(pieceLock_);
        pending_ = std::move(piece);
    }
    pieceCv_.notify_all();
}

bool SendEngine::pause(int ms) {
    std::unique_lock<std::mutex> lock(pieceLock_);
    return !pieceCv_.wait_for(lock, std::chrono::milliseconds(ms),
                              [this] { return stopRequested_.load(); });
}

bool SendEngine::openConnection() {
    const auto& s = settings_;
    if (s.mode == kHostHandle) {
        if (s.hostFd == -1) {
            report(1, 0, text::kNoModem);
            return false;
        }
        if (::fcntl(s.hostFd, F_GETFD) == -1) {
            report(1, 0, text::kHostBad);
            return false;
        }
        hostFd_ = s.hostFd;
        report(1, 1, text::kHostReady);
        return true;
    }
    if (s.mode == kOwnSerial) {
        report(4, 0, format(text::kComReady, s.comport));
        SerialSettings ss;
        ss.baud = s.baud;
        std::string error;
        if (!serial_.open(comDevicePath(s.comport, Profile::load(userStorePath())), ss, error)) {
            report(1, 0, format(text::kComFailed, s.comport));
            return false;
        }
        serial_.purge();
        report(1, 1, format(text::kComOpened, s.comport));
        return true;
    }
    if (s.mode == kTcp) {
        report(4, 0, format(text::kTcpReady, s.ip.c_str(), s.port));
        auto failed = [&](const std::string& why) {
            report(1, 0, format(text::kTcpFailed, s.ip.c_str(), s.port, why.c_str()));
            return false;
        };
        if (s.ip.empty()) return failed(text::kIpBlank);
        TcpConnectOptions options;
        options.limitMs = static_cast<uint64_t>(std::max(timings_.connectLimitMs, 0));
        options.sliceMs = kConnectSliceMs;
        options.bufferBytes = kSocketBuffer;
        options.noDelay = true;  // each piece goes out as it is handed over
        options.ipv4Only = true;
        options.cancelled = [this] { return stopRequested_.load(); };
        TcpConnectResult r = connectTcp(s.ip, s.port, options);
        if (!r.ok()) return failed(connectFailureText(r, timings_.connectLimitMs));
        socket_ = r.fd;
        report(1, 1, format(text::kTcpOpened, s.ip.c_str(), s.port));
        return true;
    }
    report(1, 0, text::kNoModem);
    return false;
}

void SendEngine::closeConnection() {
    serial_.close();
    hostFd_ = -1;  // the host's descriptor is only forgotten
    int s = socket_.exchange(-1);
    if (s >= 0) ::close(s);
}

int SendEngine::waitFd() const {
    if (settings_.mode == kOwnSerial) return serial_.fd();
    if (settings_.mode == kHostHandle) return hostFd_;
    return socket_.load();
}

int SendEngine::writeBytes(const std::string& bytes, std::string& error) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (settings_.mode == kOwnSerial || settings_.mode == kHostHandle) {
        bool open = settings_.mode == kOwnSerial ? serial_.isOpen() : hostFd_ != -1;
        if (!open) return -1;
        bool ok = true;
        if (settings_.mode == kOwnSerial) {
            std::string e;
            for (size_t i = 0; ok && i < bytes.size(); i += kSerialChunk)
                ok = serial_.write(data + i, std::min(kSerialChunk, bytes.size() - i),
                                   kSerialWriteMs, e);
        } else {
            ok = writeFd(hostFd_, data, bytes.size());
        }
        if (!ok) error = text::kWriteComError;
        return ok ? 1 : 0;
    }
    int s = socket_.load();
    if (s < 0) return -1;
    ssize_t n = ::send(s, data, bytes.size(), MSG_NOSIGNAL);
    if (n < 0) {
        error = format(text::kSendError, std::strerror(errno));
        return 0;
    }
    if (n == 0) {
        error = text::kTerminated;
        return 0;
    }
    if (static_cast<size_t>(n) < bytes.size()) {
        error = format(text::kShortSend, static_cast<int>(bytes.size()), static_cast<int>(n));
        return 0;
    }
    return 1;
}

long SendEngine::readAvailable() {
    uint8_t buf[4096];
    long got = 0;
    if (settings_.mode == kOwnSerial || settings_.mode == kHostHandle) {
        int fd = settings_.mode == kOwnSerial ? serial_.fd() : hostFd_;
        if (fd < 0) return -1;
        int waiting = 0;
        if (::ioctl(fd, FIONREAD, &waiting) != 0) return -2;
        while (waiting > 0) {
            ssize_t r = ::read(fd, buf, std::min<size_t>(sizeof buf, static_cast<size_t>(waiting)));
            if (r < 0 && (errno == EAGAIN || errno == EINTR)) break;
            if (r <= 0) return -2;
            reply_.append(reinterpret_cast<char*>(buf), static_cast<size_t>(r));
            got += r;
            waiting -= static_cast<int>(r);
        }
    } else {
        int s = socket_.load();
        if (s < 0) return -1;
        pollfd p{s, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) return 0;
        ssize_t r = ::recv(s, buf, kTcpReadChunk, MSG_DONTWAIT);
        if (r < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
        if (r <= 0) return -2;  // an error, or the other side has closed
        reply_.append(reinterpret_cast<char*>(buf), static_cast<size_t>(r));
        got = r;
    }
    if (reply_.size() > kMaxReplyBytes) reply_.erase(0, reply_.size() - kMaxReplyBytes / 2);
    return got;
}

void SendEngine::dropStaleInput() {
    reply_.clear();
    while (readAvailable() > 0)
        reply_.clear();
    reply_.clear();
}

void SendEngine::run() {
    // A descriptor the host handed over may be a pipe or a socket: a peer that
    // has gone must fail the write, not end the host's process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    if (!openConnection()) {
        closeConnection();
        running_ = false;
        return;
    }
    while (!stopRequested_) {
        std::optional<Piece> piece;
        {
            std::unique_lock<std::mutex> lock(pieceLock_);
            if (!pending_ && !waiting_)
                pieceCv_.wait_for(lock, std::chrono::milliseconds(10),
                                  [this] { return pending_.has_value() || stopRequested_; });
            if (pending_) {
                piece = std::move(pending_);
                pending_.reset();
            }
        }
        if (stopRequested_) break;
        if (piece) {
            std::string reason;
            int result = 1;
            // A reply left over from an earlier conversation must not pass as the
            // answer to this one.
            if (piece->awaitReply) dropStaleInput();
            for (size_t i = 0; result == 1 && i < piece->bytes.size(); i += 128) {
                if (stopRequested_) {
                    result = 0;
                    reason = text::kCancelled;
                    break;
                }
                result = writeBytes(piece->bytes.substr(i, 128), reason);
            }
            // A written piece is always followed by what comes next (the wait
            // for a reply or the call for the next piece): one wake-up for both.
            if (result == 1)
                report(kNotifyPieceWritten, static_cast<int>(piece->bytes.size()), "", true);
            if (result == -1) {
                report(2, 6,
                       format(text::kStepFailed, piece->description.c_str(), text::kNoConnection));
            } else if (result == 0) {
                report(2, 0, format(text::kStepFailed, piece->description.c_str(), reason.c_str()));
            } else if (piece->awaitReply) {
                sentAtMs_ = steadyMs();
                waiting_ = true;
                waitDescription_ = piece->description;
                waitKind_ = piece->jobKind;
                reply_.clear();
                report(2, 1, format(text::kCheckResponse, piece->description.c_str()));
            } else {
                // Without a reply to wait for, the next piece follows at once: the
                // pause for the sign's memory belongs to a confirmed allocation or
                // clearing only.
                if (piece->lastPiece)
                    report(4, 0, format(text::kSentOver, piece->description.c_str()), true);
                report(2, 2, "");
            }
        }
        if (waiting_) {
            int fd = waitFd();
            if (fd >= 0) {
                pollfd p{fd, POLLIN, 0};
                ::poll(&p, 1, 10);
            }
            long n = readAvailable();
            if (n == -1) {
                waiting_ = false;
                report(
                    3, 6,
                    format(text::kStepFailed, waitDescription_.c_str(), text::kNoConnectionRead));
                continue;
            }
            if (n == -2) {
                waiting_ = false;
                const char* why = settings_.mode == kOwnSerial    ? text::kReadComError
                                  : settings_.mode == kHostHandle ? text::kReadModemError
                                                                  : text::kReadLanError;
                report(3, 0, format(text::kStepFailed, waitDescription_.c_str(), why));
                continue;
            }
            if (n > 0) {
                Judgement j = judgeReply(reply_);
                if (j.verdict == Verdict::Success) {
                    reply_.clear();
                    waiting_ = false;
                    if (waitKind_ == kJobAlloc || waitKind_ == kJobClear)
                        pause(timings_.allocPauseMs);
                    if (stopRequested_) break;
                    report(2, 3,
                           format(text::kStepFailed, waitDescription_.c_str(), j.text.c_str()));
                    continue;
                }
                if (j.verdict == Verdict::Failure) {
                    reply_.clear();
                    waiting_ = false;
                    report(2, 4,
                           format(text::kStepFailed, waitDescription_.c_str(), j.text.c_str()));
                    continue;
                }
            }
            if (steadyMs() - sentAtMs_ > static_cast<uint64_t>(timings_.replyLimitMs)) {
                waiting_ = false;
                reply_.clear();
                report(2, 5, format(text::kTimeOut, waitDescription_.c_str()));
            }
        }
    }
    closeConnection();
    running_ = false;
}

}  // namespace lumavox::nvs

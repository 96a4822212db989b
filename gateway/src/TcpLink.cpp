#include "TcpLink.h"

#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

#include "GatewayClock.h"

namespace lumavox::gateway {

namespace {

// Host threads that pull bytes themselves read through a buffer on their
// stack (no thread-local storage, so the library can always be unloaded).
constexpr size_t kHostReadChunk = 16 * 1024;

bool wouldBlock(int err) {
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
}

}  // namespace

TcpLink::TcpLink(IoLoop& loop) : loop_(loop), socket_(loop.context()) {}

TcpLink::~TcpLink() = default;

void TcpLink::touch() {
    lastActivity_.store(nowMs());
}

void TcpLink::adopt(asio::ip::tcp::socket socket) {
    uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        generation = ++generation_;
        socket_ = std::move(socket);
        fd_ = socket_.native_handle();
        state_ = kConnected;
    }
    asio::error_code ec;
    socket_.set_option(asio::ip::tcp::no_delay(true), ec);
    touch();
    watchReadable(generation);
}

void TcpLink::watchReadable(uint64_t generation) {
    socket_.async_wait(asio::socket_base::wait_read, [self = shared_from_this(),
                                                      generation](const asio::error_code& ec) {
        if (ec) return;
        std::lock_guard lock(self->mutex_);
        if (generation != self->generation_ || self->fd_ < 0) return;
        self->receiveStepLocked(self->loop_.scratch(), IoLoop::kScratchSize, true);
        if (generation == self->generation_ && self->fd_ >= 0) self->watchReadable(generation);
    });
}

void TcpLink::receiveStepLocked(uint8_t* buf, size_t size, bool drain) {
    touch();
    bool first = true;
    bool delivered = false;
    while (fd_ >= 0) {
        ssize_t r = ::recv(fd_, buf, size, MSG_DONTWAIT);
        if (r > 0) {
            deliverLocked(buf, static_cast<size_t>(r), first);
            first = false;
            delivered = true;
            // The I/O thread reads until the socket is empty, as its readiness
            // watch requires; a host thread stops once it has what was there.
            if (!drain && static_cast<size_t>(r) < size) break;
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && wouldBlock(errno)) break;
        failLocked();  // the peer closed, or the socket failed
    }
    if (delivered) {
        ++received_;
        received_cv_.notify_all();
    }
}

void TcpLink::pullPending() {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return;
    int pending = 0;
    if (::ioctl(fd_, FIONREAD, &pending) == 0 && pending > 0) {
        uint8_t buf[kHostReadChunk];
        receiveStepLocked(buf, sizeof buf, false);
    }
}

void TcpLink::waitForReceive(uint64_t seen, int ms) {
    if (ms <= 0) return;
    std::unique_lock lock(mutex_);
    received_cv_.wait_for(lock, std::chrono::milliseconds(ms),
                          [&] { return received_.load() != seen; });
}

void TcpLink::failLocked() {
    state_ = kNotConnected;
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
    fd_ = -1;
    queue_.clear();
    queue_.shrink_to_fit();
    if (!loop_.running()) return;  // the library is unloading; the socket closes with the link
    asio::post(loop_.context(), [self = shared_from_this(), generation = generation_] {
        {
            std::lock_guard lock(self->mutex_);
            if (generation != self->generation_) return;  // a newer socket took its place
        }
        asio::error_code ignored;
        self->socket_.close(ignored);
    });
}

void TcpLink::close() {
    std::lock_guard lock(mutex_);
    failLocked();
}

void TcpLink::connectTo(const std::string& address, uint16_t port) {
    uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
        fd_ = -1;
        queue_.clear();
        writeWatched_ = false;
        generation = ++generation_;
        state_ = kConnecting;
    }
    if (!loop_.running()) {
        state_ = kNotConnected;
        return;
    }
    asio::post(loop_.context(), [self = shared_from_this(), generation, address, port] {
        self->startConnect(generation, address, port);
    });
}

void TcpLink::startConnect(uint64_t generation, const std::string& address, uint16_t port) {
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
    }
    asio::error_code ec;
    socket_.close(ec);
    auto ip = asio::ip::make_address_v4(address, ec);
    if (!ec) socket_.open(asio::ip::tcp::v4(), ec);
    if (ec) {
        std::lock_guard lock(mutex_);
        if (generation == generation_) state_ = kNotConnected;
        return;
    }
    socket_.async_connect(asio::ip::tcp::endpoint(ip, port),
                          [self = shared_from_this(), generation](const asio::error_code& e) {
                              self->connected(generation, e);
                          });
}

void TcpLink::connected(uint64_t generation, const asio::error_code& ec) {
    if (ec == asio::error::operation_aborted) return;
    std::unique_lock lock(mutex_);
    if (generation != generation_) return;
    if (ec || state_ != kConnecting) {  // refused, failed, or closed meanwhile
        state_ = kNotConnected;
        queue_.clear();
        lock.unlock();
        asio::error_code ignored;
        socket_.close(ignored);
        return;
    }
    fd_ = socket_.native_handle();
    state_ = kConnected;
    lastActivity_.store(nowMs());
    if (!queue_.empty()) armWriteLocked();
    lock.unlock();
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    watchReadable(generation);
}

long TcpLink::send(const uint8_t* data, size_t n) {
    std::lock_guard lock(mutex_);
    if (state_ == kConnecting) {
        if (queue_.size() + n > kMaxQueuedBytes) return 0;
        queue_.insert(queue_.end(), data, data + n);
        return static_cast<long>(n);
    }
    if (state_ != kConnected || fd_ < 0) return -1;
    lastActivity_.store(nowMs());
    size_t sent = 0;
    if (queue_.empty()) {
        while (sent < n) {
            ssize_t r = ::send(fd_, data + sent, n - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (r > 0) {
                sent += static_cast<size_t>(r);
            } else if (r < 0 && errno == EINTR) {
                continue;
            } else if (r < 0 && wouldBlock(errno)) {
                break;
            } else {
                failLocked();
                return sent > 0 ? static_cast<long>(sent) : -1;
            }
        }
    }
    size_t rest = n - sent;
    if (rest == 0) return static_cast<long>(n);
    if (queue_.size() + rest > kMaxQueuedBytes) {
        failLocked();  // the peer stopped reading long ago
        return sent > 0 ? static_cast<long>(sent) : -1;
    }
    queue_.insert(queue_.end(), data + sent, data + n);
    armWriteLocked();
    return static_cast<long>(n);
}

void TcpLink::armWriteLocked() {
    if (writeWatched_ || !loop_.running()) return;
    writeWatched_ = true;
    asio::post(loop_.context(), [self = shared_from_this(), generation = generation_] {
        self->watchWritable(generation);
    });
}

void TcpLink::watchWritable(uint64_t generation) {
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_ || fd_ < 0) {
            if (generation == generation_) writeWatched_ = false;
            return;
        }
    }
    socket_.async_wait(asio::socket_base::wait_write,
                       [self = shared_from_this(), generation](const asio::error_code& ec) {
                           std::unique_lock lock(self->mutex_);
                           if (generation != self->generation_) return;
                           if (ec || self->fd_ < 0) {
                               self->writeWatched_ = false;
                               return;
                           }
                           auto& q = self->queue_;
                           size_t done = 0;
                           while (done < q.size()) {
                               ssize_t r = ::send(self->fd_, q.data() + done, q.size() - done,
                                                  MSG_NOSIGNAL | MSG_DONTWAIT);
                               if (r > 0) {
                                   done += static_cast<size_t>(r);
                               } else if (r < 0 && errno == EINTR) {
                                   continue;
                               } else if (r < 0 && wouldBlock(errno)) {
                                   break;
                               } else {
                                   self->writeWatched_ = false;
                                   self->failLocked();
                                   return;
                               }
                           }
                           q.erase(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(done));
                           if (q.empty()) {
                               self->writeWatched_ = false;
                               return;
                           }
                           lock.unlock();
                           self->watchWritable(generation);
                       });
}

}  // namespace lumavox::gateway

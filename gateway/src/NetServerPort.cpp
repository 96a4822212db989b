#include "NetServerPort.h"

#include <cerrno>
#include <chrono>

#include "NetConnectionPort.h"
#include "PendingList.h"

namespace lumavox::gateway {

NetServerPort::NetServerPort(IoLoop& loop, PendingList& pending, ReceiveBudget& budget,
                             std::string localAddress, int port, std::string password)
    : NetDtuPort(std::move(localAddress), port),
      loop_(loop),
      pending_(pending),
      budget_(budget),
      password_(std::move(password)),
      acceptor_(loop.context()),
      retry_(loop.context()) {}

NetServerPort::~NetServerPort() {
    dropQueued();
}

bool NetServerPort::open() {
    if (open_) return true;
    if (localPort_ < 0 || localPort_ > 65535) {
        errno = EINVAL;
        return false;
    }
    asio::error_code ec;
    asio::ip::address_v4 address = asio::ip::address_v4::any();
    if (!localAddress_.empty()) address = asio::ip::make_address_v4(localAddress_, ec);
    if (ec) {
        errno = EINVAL;
        return false;
    }
    bool ok = false;
    int why = 0;
    loop_.runSync([&] {
        asio::error_code e;
        acceptor_.open(asio::ip::tcp::v4(), e);
        // Lets a restarted server take its port back while old connections
        // linger in TIME_WAIT.
        if (!e) acceptor_.set_option(asio::socket_base::reuse_address(true), e);
        if (!e) acceptor_.bind({address, static_cast<uint16_t>(localPort_)}, e);
        if (!e) acceptor_.listen(kBacklog, e);
        if (e) {
            why = e.value();
            asio::error_code ignored;
            acceptor_.close(ignored);
            return;
        }
        open_ = true;
        acceptNext(++generation_);
        ok = true;
    });
    // The reason reaches the caller's thread, not the I/O thread's.
    if (!ok) errno = why ? why : EIO;
    return ok;
}

void NetServerPort::close() {
    loop_.runSync([&] {
        open_ = false;
        asio::error_code ignored;
        retry_.cancel();
        acceptor_.close(ignored);
    });
    open_ = false;
    pending_.removeServer(this);
}

void NetServerPort::waitReadable(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void NetServerPort::acceptNext(uint64_t generation) {
    acceptor_.async_accept([self = shared_from_this(), generation](const asio::error_code& ec,
                                                                   asio::ip::tcp::socket socket) {
        if (ec == asio::error::operation_aborted || generation != self->generation_ || !self->open_)
            return;
        if (ec == asio::error::no_descriptors ||
            (ec.category() == asio::system_category() && ec.value() == ENFILE)) {
            self->makeRoom(generation);
            return;
        }
        if (ec) {
            // Out of memory or a failed connection: try again a little later
            // instead of spinning on the same error.
            self->acceptLater(generation, 100);
            return;
        }
        self->onAccepted(std::move(socket));
        self->acceptNext(generation);
    });
}

void NetServerPort::acceptLater(uint64_t generation, int ms) {
    retry_.expires_after(std::chrono::milliseconds(ms));
    retry_.async_wait([self = shared_from_this(), generation](const asio::error_code& e) {
        if (!e && generation == self->generation_ && self->open_) self->acceptNext(generation);
    });
}

void NetServerPort::makeRoom(uint64_t generation) {
    if (pending_.dropOldest() || dropOldestQueued()) {
        // The dropped connection's socket is closed by a handler queued just
        // now; the next accept is queued after it.
        asio::post(loop_.context(), [self = shared_from_this(), generation] {
            if (generation == self->generation_ && self->open_) self->acceptNext(generation);
        });
        return;
    }
    // The host holds every descriptor: the newcomer is turned away at once
    // rather than left waiting in the accept queue.
    if (spare_.refuseOne(acceptor_.native_handle())) {
        asio::post(loop_.context(), [self = shared_from_this(), generation] {
            if (generation == self->generation_ && self->open_) self->acceptNext(generation);
        });
        return;
    }
    acceptLater(generation, 100);
}

void NetServerPort::onAccepted(asio::ip::tcp::socket socket) {
    auto connection = NetConnectionPort::accept(loop_, budget_, std::move(socket), *this);
    if (connection) pending_.add(shared_from_this(), std::move(connection));
}

std::shared_ptr<NetConnectionPort> NetServerPort::takeNewClient() {
    std::lock_guard lock(queueMutex_);
    if (queue_.empty()) return nullptr;
    auto c = std::move(queue_.front());
    queue_.pop_front();
    return c;
}

void NetServerPort::addNewClient(std::shared_ptr<NetConnectionPort> connection) {
    std::shared_ptr<NetConnectionPort> oldest;
    {
        std::lock_guard lock(queueMutex_);
        const size_t limit = queueLimit_ > 0 ? queueLimit_ : descriptorShare();
        if (queue_.size() >= limit) {
            oldest = std::move(queue_.front());
            queue_.pop_front();
        }
        queue_.push_back(std::move(connection));
    }
    if (oldest) oldest->close();
}

void NetServerPort::dropGone() {
    std::vector<std::shared_ptr<NetConnectionPort>> gone;
    {
        std::lock_guard lock(queueMutex_);
        std::deque<std::shared_ptr<NetConnectionPort>> kept;
        for (auto& c : queue_) {
            if (c->link().state() == TcpLink::kNotConnected)
                gone.push_back(std::move(c));
            else
                kept.push_back(std::move(c));
        }
        queue_.swap(kept);
    }
    for (auto& c : gone)
        c->close();
}

bool NetServerPort::dropOldestQueued() {
    std::shared_ptr<NetConnectionPort> oldest;
    {
        std::lock_guard lock(queueMutex_);
        if (queue_.empty()) return false;
        oldest = std::move(queue_.front());
        queue_.pop_front();
    }
    oldest->close();
    return true;
}

size_t NetServerPort::queueLimit() {
    std::lock_guard lock(queueMutex_);
    return queueLimit_ > 0 ? queueLimit_ : descriptorShare();
}

void NetServerPort::setQueueLimit(size_t limit) {
    std::lock_guard lock(queueMutex_);
    queueLimit_ = limit;
}

size_t NetServerPort::queuedCount() {
    std::lock_guard lock(queueMutex_);
    return queue_.size();
}

std::vector<std::string> NetServerPort::queuedNames() {
    std::lock_guard lock(queueMutex_);
    std::vector<std::string> names;
    for (const auto& c : queue_)
        names.push_back(c->record().deviceName());
    return names;
}

void NetServerPort::dropQueued() {
    std::deque<std::shared_ptr<NetConnectionPort>> dropped;
    {
        std::lock_guard lock(queueMutex_);
        dropped.swap(queue_);
    }
    for (auto& c : dropped)
        c->close();
}

}  // namespace lumavox::gateway

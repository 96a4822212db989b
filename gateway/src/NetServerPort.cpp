#include "NetServerPort.h"

#include <cerrno>
#include <chrono>

#include "NetConnectionPort.h"
#include "PendingList.h"

namespace lumavox::gateway {

NetServerPort::NetServerPort(IoLoop& loop, PendingList& pending, std::string localAddress, int port,
                             std::string password)
    : NetDtuPort(std::move(localAddress), port),
      loop_(loop),
      pending_(pending),
      password_(std::move(password)),
      acceptor_(loop.context()),
      retry_(loop.context()) {}

NetServerPort::~NetServerPort() {
    dropQueued();
}

bool NetServerPort::open() {
    if (open_) return true;
    if (localPort_ < 0 || localPort_ > 65535) return false;
    asio::error_code ec;
    asio::ip::address_v4 address = asio::ip::address_v4::any();
    if (!localAddress_.empty()) address = asio::ip::make_address_v4(localAddress_, ec);
    if (ec) return false;
    bool ok = false;
    loop_.runSync([&] {
        asio::error_code e;
        acceptor_.open(asio::ip::tcp::v4(), e);
        // Lets a restarted server take its port back while old connections
        // linger in TIME_WAIT.
        if (!e) acceptor_.set_option(asio::socket_base::reuse_address(true), e);
        if (!e) acceptor_.bind({address, static_cast<uint16_t>(localPort_)}, e);
        if (!e) acceptor_.listen(kBacklog, e);
        if (e) {
            asio::error_code ignored;
            acceptor_.close(ignored);
            return;
        }
        open_ = true;
        acceptNext(++generation_);
        ok = true;
    });
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
        if (ec) {
            // Out of descriptors or memory: try again a little later instead of
            // spinning on the same error.
            self->retry_.expires_after(std::chrono::milliseconds(100));
            self->retry_.async_wait([self, generation](const asio::error_code& e) {
                if (!e && generation == self->generation_ && self->open_)
                    self->acceptNext(generation);
            });
            return;
        }
        self->onAccepted(std::move(socket));
        self->acceptNext(generation);
    });
}

void NetServerPort::onAccepted(asio::ip::tcp::socket socket) {
    auto connection = NetConnectionPort::accept(loop_, std::move(socket), *this);
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
    std::lock_guard lock(queueMutex_);
    queue_.push_back(std::move(connection));
}

size_t NetServerPort::queuedCount() {
    std::lock_guard lock(queueMutex_);
    return queue_.size();
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

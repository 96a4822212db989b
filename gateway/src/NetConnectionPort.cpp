#include "NetConnectionPort.h"

#include <cstdio>

#include "GatewayClock.h"
#include "WireRules.h"

namespace lumavox::gateway {

NetConnectionPort::NetConnectionPort(IoLoop& loop, ReceiveBudget& budget, const NetDtuPort& server)
    : NetDtuPort(server.localAddress(), server.localPort()),
      link_(std::make_shared<ConnectionLink>(loop, budget)),
      destinations_(loop, link_) {}

NetConnectionPort::~NetConnectionPort() {
    close();
}

std::shared_ptr<NetConnectionPort> NetConnectionPort::accept(IoLoop& loop, ReceiveBudget& budget,
                                                             asio::ip::tcp::socket socket,
                                                             const NetDtuPort& server) {
    asio::error_code ec;
    auto peer = socket.remote_endpoint(ec);
    if (ec) return nullptr;
    std::shared_ptr<NetConnectionPort> conn(new NetConnectionPort(loop, budget, server));
    if (peer.address().is_v4()) {
        auto b = peer.address().to_v4().to_bytes();
        char text[16];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
        conn->peerAddress_ = text;
    }
    conn->peerPort_ = peer.port();
    conn->link_->adopt(std::move(socket));
    conn->open_ = true;
    return conn;
}

void NetConnectionPort::close() {
    open_ = false;
    link_->close();
    destinations_.clear();
}

long NetConnectionPort::write(const uint8_t* data, size_t n) {
    if (!open_ || peerAddress_.empty()) return 0;
    return link_->writeToDtu(data, n);
}

size_t NetConnectionPort::available() {
    if (!open_ || peerAddress_.empty()) return 0;
    link_->pullPending();
    size_t n = link_->ring().count();
    if (n == 0) destinations_.closeIdle(idleLimit_);
    return n;
}

size_t NetConnectionPort::read(uint8_t* buffer, size_t capacity) {
    if (!open_ || peerAddress_.empty()) return 0;
    size_t n = link_->ring().read(buffer, capacity);
    if (n > 0) destinations_.relay(buffer, n);
    return n;
}

void NetConnectionPort::purge() {
    link_->ring().discard(1024);
}

void NetConnectionPort::waitReadable(int ms) {
    link_->waitForReceive(link_->receiveCount(), ms);
}

void NetConnectionPort::storeRecord(const RegistrationRecord& record) {
    record_ = record;
    link_->setProtocolType(record.protocolType());
    link_->setEscaping(needsEscaping(record.deviceType()));
}

bool NetConnectionPort::isClientAvailable() {
    if (link_->state() != TcpLink::kConnected) return false;
    const int64_t limit = silenceLimit_;
    if (limit < 0) return true;
    if (static_cast<int64_t>(nowMs() - link_->lastActivity()) > limit) {
        link_->close();
        return false;
    }
    return true;
}

}  // namespace lumavox::gateway

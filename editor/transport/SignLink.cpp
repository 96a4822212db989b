#include "transport/SignLink.h"

#include "strings/StringTable.h"
#include "transport/ModemDialer.h"

namespace lumavox {

CSignLink::CSignLink(ComPortMap ports, const Clock& clock)
    : ports_(std::move(ports)), clock_(clock) {}

bool CSignLink::open(LinkReceiver* receiver, int comPort, int baud, char parity, int dataBits,
                     int stopBits) {
    return openDevice(receiver, ports_.devicePath(comPort), comPort, baud, parity, dataBits,
                      stopBits);
}

bool CSignLink::openDevice(LinkReceiver* receiver, const std::string& device, int comPort, int baud,
                           char parity, int dataBits, int stopBits) {
    close();
    receiver_ = receiver;
    openError_.clear();
    return serial_.open(device, comPort, baud, parity, dataBits, stopBits, messageBox_, openError_);
}

void CSignLink::close() {
    for (LinkChannel* c : channels())
        closeChannel(*c);
    peerName_.clear();
}

void CSignLink::closeChannel(LinkChannel& c) {
    if (!c.isOpen()) return;
    c.close();
    leaveIfLost(c);
}

void CSignLink::leaveIfLost(const LinkChannel& c) {
    if (c.connectionLost()) state_ = LinkState::None;
}

LinkChannel& CSignLink::channel() {
    switch (state_) {
        case LinkState::Tcp:
            return tcp_;
        case LinkState::Gprs:
            return gateway_;
        default:
            return serial_;
    }
}

bool CSignLink::write(std::span<const uint8_t> bytes, std::string& error) {
    return serial_.write(bytes, error);
}

bool CSignLink::connect(LinkReceiver* receiver, const std::string& host, int port,
                        std::string& error) {
    receiver_ = receiver;
    TcpChannel::Hooks hooks;
    hooks.cancelled = [this] { return receiver_ && receiver_->cancelRequested(); };
    hooks.pump = [this] {
        if (receiver_) receiver_->pump();
    };
    if (!tcp_.connect(host, port, hooks, clock_, error)) return false;
    peerName_ = host;
    return true;
}

void CSignLink::closeSocket() {
    closeChannel(tcp_);
}

bool CSignLink::connectGprs(LinkReceiver* receiver, const std::string& name) {
    receiver_ = receiver;
    if (!gateway_.select(name)) return false;
    peerName_ = name;
    return true;
}

void CSignLink::disconnectGprs() {
    gateway_.deselect();
    peerName_.clear();
}

bool CSignLink::send(std::span<const uint8_t> bytes, std::string& error) {
    LinkChannel& c = channel();
    bool ok = c.send(bytes, error);
    leaveIfLost(c);
    return ok;
}

bool CSignLink::poll(std::string& error, unsigned waitMs) {
    incoming_.clear();
    LinkChannel& c = channel();
    bool ok = c.poll(waitMs, incoming_, error);
    leaveIfLost(c);
    if (!incoming_.empty()) deliver(incoming_);
    return ok;
}

void CSignLink::deliver(std::span<const uint8_t> bytes) {
    if (dialer_ && dialer_->ownsLine()) {
        dialer_->onLinkBytes(bytes, false);
        return;
    }
    bool awaited = handshake_.armed();
    if (awaited) handshake_.feed(bytes);
    if (receiver_) receiver_->onLinkBytes(bytes, awaited);
}

int CSignLink::awaitHandshake(int limitMs, std::string& error) {
    armHandshake();
    if (limitMs <= 0) {
        disarmHandshake();
        return 0;
    }
    uint64_t start = clock_.tickMs();
    int result = 0;
    for (;;) {
        if (!poll(error, kPollWaitMs)) {
            result = -1;
            break;
        }
        if (receiver_ && receiver_->cancelRequested()) {
            error = text(msg::kCancelledByUser);
            result = -1;
            break;
        }
        if (handshake_.seen()) {
            result = 1;
            break;
        }
        if (receiver_) receiver_->pump();
        if (clock_.tickMs() - start >= static_cast<uint64_t>(limitMs)) break;
    }
    disarmHandshake();
    return result;
}

}  // namespace lumavox

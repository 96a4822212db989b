#include "transport/SignLink.h"

#include "strings/StringTable.h"

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
    serial_.close();
    closeSocket();
    peerName_.clear();
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
    if (!tcp_.isOpen()) return;
    tcp_.close();
    state_ = LinkState::None;
}

void CSignLink::setGatewayPeer(GatewayPeer* peer, std::string name) {
    gateway_ = peer;
    peerName_ = std::move(name);
}

bool CSignLink::send(std::span<const uint8_t> bytes, std::string& error) {
    switch (state_) {
        case LinkState::Gprs:
            if (!gateway_) {
                error = text(msg::kNoGprsDevice);
                return false;
            }
            return gateway_->send(bytes, error);
        case LinkState::Tcp:
            if (tcp_.send(bytes, error)) return true;
            if (!tcp_.isOpen()) state_ = LinkState::None;
            return false;
        default:
            return serial_.write(bytes, error);
    }
}

bool CSignLink::poll(std::string& error, unsigned waitMs) {
    incoming_.clear();
    bool ok = false;
    switch (state_) {
        case LinkState::Gprs:
            if (!gateway_) {
                error = text(msg::kNoGprsDevice);
                return false;
            }
            ok = gateway_->poll(waitMs, incoming_, error);
            break;
        case LinkState::Tcp:
            ok = tcp_.poll(waitMs, incoming_, error);
            if (!tcp_.isOpen()) state_ = LinkState::None;
            break;
        default:
            ok = serial_.poll(waitMs, incoming_, error);
            break;
    }
    if (!incoming_.empty()) deliver(incoming_);
    return ok;
}

void CSignLink::deliver(std::span<const uint8_t> bytes) {
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

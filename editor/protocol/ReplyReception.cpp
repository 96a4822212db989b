#include "protocol/ReplyReception.h"

#include "strings/StringTable.h"

namespace lumavox {

ReplyReception::ReplyReception(AckSender sendAck, FrameObserver observer)
    : sendAck_(std::move(sendAck)), observer_(std::move(observer)) {}

void ReplyReception::setAckSender(AckSender s) {
    std::lock_guard g(lock_);
    sendAck_ = std::move(s);
}

void ReplyReception::setFrameObserver(FrameObserver o) {
    std::lock_guard g(lock_);
    observer_ = std::move(o);
}

void ReplyReception::begin() {
    std::lock_guard g(lock_);
    scanner_.clear();
    chunks_.clear();
    receivedBytes_ = 0;
    failure_ = 0;
    state_ = ReceptionState::Receiving;
    receiving_ = true;
}

void ReplyReception::resetSequence() {
    std::lock_guard g(lock_);
    scanner_.resetSequence();
}

void ReplyReception::markComplete() {
    std::lock_guard g(lock_);
    if (state_ == ReceptionState::Receiving) state_ = ReceptionState::Complete;
}

void ReplyReception::markFinished() {
    std::lock_guard g(lock_);
    state_ = ReceptionState::Finished;
}

void ReplyReception::stopReceiving() {
    std::lock_guard g(lock_);
    receiving_ = false;
}

void ReplyReception::clearBuffer() {
    std::lock_guard g(lock_);
    scanner_.clear();
}

void ReplyReception::receive(std::span<const uint8_t> bytes, bool handshakeAwaited) {
    int acks = 0;
    AckSender sendAck;
    {
        std::lock_guard g(lock_);
        if (state_ == ReceptionState::Finished) return;
        bool scanning = receiving_ &&
                        (state_ == ReceptionState::Receiving || state_ == ReceptionState::Complete);
        if (!scanning && !handshakeAwaited) return;
        while (!bytes.empty()) {
            size_t taken = scanner_.append(bytes);
            bytes = bytes.subspan(taken);
            if (!scanning) break;  // outside a read what does not fit is of no use
            bool progress = false;
            for (;;) {
                ReplyScanner::Step step = scanner_.scan();
                if (step == ReplyScanner::Step::NeedMore) break;
                if (step == ReplyScanner::Step::Failed) {
                    failure_ = scanner_.failureText();
                    state_ = ReceptionState::Failed;
                    break;
                }
                progress = true;
                ++acks;
                if (step == ReplyScanner::Step::Accepted) {
                    auto data = scanner_.data();
                    chunks_.emplace_back(data.begin(), data.end());
                    receivedBytes_ += data.size();
                    if (observer_ && observer_(data) && state_ == ReceptionState::Receiving)
                        state_ = ReceptionState::Complete;
                }
            }
            if (state_ == ReceptionState::Failed) break;
            if (!bytes.empty() && scanner_.full() && !progress) {
                failure_ = msg::kReceiveBufferOverflow;
                state_ = ReceptionState::Failed;
                break;
            }
        }
        sendAck = sendAck_;
    }
    for (int i = 0; i < acks && sendAck; ++i)
        sendAck();
}

ReceptionState ReplyReception::state() const {
    std::lock_guard g(lock_);
    return state_;
}

bool ReplyReception::receiving() const {
    std::lock_guard g(lock_);
    return receiving_;
}

int ReplyReception::failureText() const {
    std::lock_guard g(lock_);
    return failure_;
}

std::vector<std::vector<uint8_t>> ReplyReception::chunks() const {
    std::lock_guard g(lock_);
    return chunks_;
}

size_t ReplyReception::receivedBytes() const {
    std::lock_guard g(lock_);
    return receivedBytes_;
}

size_t ReplyReception::bufferedBytes() const {
    std::lock_guard g(lock_);
    return scanner_.size();
}

uint8_t ReplyReception::expectedSequence() const {
    std::lock_guard g(lock_);
    return scanner_.expectedSequence();
}

}  // namespace lumavox

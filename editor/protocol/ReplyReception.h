// The receiving side of a read request: the receive buffer under its lock, the
// reception state, the accepted chunks and the acknowledgements.
//
// The owner (the operation dialog) hands it every byte the link delivers.
// Bytes are kept while a handshake is awaited or a read is in progress, and
// dropped once the reception is finished. While a read is in progress every
// whole frame in the buffer is scanned at once: accepted frames become chunks,
// repeats are dropped, and both are acknowledged with FA FA FA through the
// acknowledgement callback, outside the lock. A bad frame ends the reception
// with its text and no acknowledgement.
//
// The buffer holds 16,384 bytes. When it is full and the bytes in it still form
// no whole frame, the reception ends with "Receive buffer overflow" rather than
// growing or silently losing what arrives; outside a read the excess is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "protocol/ReplyScanner.h"

namespace lumavox {

enum class ReceptionState {
    Idle,       // no read since the last reset
    Receiving,  // a read request is in progress
    Complete,   // the reply is whole ("Receive successfully")
    Finished,   // after "End session": further bytes are dropped
    Failed,     // a bad frame or an overflow ended it; failureText() says why
};

class ReplyReception {
  public:
    // Called once per acknowledgement to send (outside the lock).
    using AckSender = std::function<void()>;
    // Called under the lock with the data of each accepted frame; returns true
    // when the reply is now complete.
    using FrameObserver = std::function<bool(std::span<const uint8_t> data)>;

    explicit ReplyReception(AckSender sendAck = {}, FrameObserver observer = {});

    void setAckSender(AckSender s);
    void setFrameObserver(FrameObserver o);

    // Starts (or restarts, for the next file of a read) a reception: clears the
    // buffer and the chunks and makes the state Receiving. The expected sequence
    // number is kept; resetSequence() sets it to 0 once per read operation.
    void begin();
    void resetSequence();
    // The reply is whole; bytes are still scanned so repeats get acknowledged.
    void markComplete();
    // After "End session": bytes are dropped until the next begin().
    void markFinished();
    // Ends the read without a verdict (time-out, cancel, link error): the
    // scanner stops; the state stays as it is.
    void stopReceiving();
    void clearBuffer();

    // Bytes from the link. `handshakeAwaited` tells whether the link is waiting
    // for a handshake, when bytes are kept even outside a read.
    void receive(std::span<const uint8_t> bytes, bool handshakeAwaited);

    ReceptionState state() const;
    bool receiving() const;
    int failureText() const;  // string-table id, 0 when none
    std::vector<std::vector<uint8_t>> chunks() const;
    size_t receivedBytes() const;  // data bytes of all chunks
    size_t bufferedBytes() const;
    uint8_t expectedSequence() const;

  private:
    mutable std::mutex lock_;
    ReplyScanner scanner_;
    ReceptionState state_ = ReceptionState::Idle;
    bool receiving_ = false;
    int failure_ = 0;
    std::vector<std::vector<uint8_t>> chunks_;
    size_t receivedBytes_ = 0;
    AckSender sendAck_;
    FrameObserver observer_;
};

}  // namespace lumavox

// One non-blocking TCP socket of the gateway: a DTU's connection or a transfer
// destination.
//
// The Asio socket object lives on the I/O thread, which watches it for
// readability and writability. Host threads use the descriptor directly, under
// the link's lock, for sends and for receive steps they run themselves; the
// descriptor is closed only on the I/O thread, so it can never be reused under
// a host thread's feet.
//
// A send never blocks: what the socket cannot take at once is queued (up to
// kMaxQueuedBytes) and written by the I/O thread as the peer reads. A peer that
// lets more than that pile up is treated as gone.
#pragma once

#include <asio/ip/tcp.hpp>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "IoLoop.h"

namespace lumavox::gateway {

class TcpLink : public std::enable_shared_from_this<TcpLink> {
  public:
    enum State : int { kNotConnected = 0, kConnected = 1, kConnecting = 2 };
    static constexpr size_t kMaxQueuedBytes = size_t{4} << 20;

    explicit TcpLink(IoLoop& loop);
    virtual ~TcpLink();
    TcpLink(const TcpLink&) = delete;
    TcpLink& operator=(const TcpLink&) = delete;

    // I/O thread: takes over an accepted socket and starts watching it.
    void adopt(asio::ip::tcp::socket socket);
    // Any thread: drops the current socket and starts connecting to the IPv4
    // address and port; the state is kConnecting until the attempt ends.
    void connectTo(const std::string& address, uint16_t port);
    // Any thread: closes the socket; the peer sees the end at once.
    void close();

    // Any thread: sends or queues all n bytes and returns n; returns fewer (or
    // -1 when nothing could be taken) when the link is down or failed, and
    // then the state is kNotConnected. While connecting, bytes are queued.
    long send(const uint8_t* data, size_t n);

    // Any thread: when the socket holds unread bytes, runs the receive step
    // now instead of waiting for the I/O thread.
    void pullPending();
    // Waits up to ms milliseconds until a receive step has delivered bytes
    // after receiveCount() returned `seen`.
    void waitForReceive(uint64_t seen, int ms);
    uint64_t receiveCount() const { return received_.load(); }

    State state() const { return static_cast<State>(state_.load()); }
    uint64_t lastActivity() const { return lastActivity_.load(); }
    void touch();

  protected:
    // Hands the bytes of one recv to the owner; called with the link's lock
    // held, in arrival order. `firstOfStep` marks the first chunk of a step.
    virtual void deliverLocked(const uint8_t* data, size_t n, bool firstOfStep) = 0;
    IoLoop& loop_;

  private:
    // Reads what the socket holds through buf; with drain, until it would block
    // (or ends).
    void receiveStepLocked(uint8_t* buf, size_t size, bool drain);
    void watchReadable(uint64_t generation);
    void watchWritable(uint64_t generation);
    void startConnect(uint64_t generation, const std::string& address, uint16_t port);
    void connected(uint64_t generation, const asio::error_code& ec);
    // Queues the I/O thread's write watch unless one is pending.
    void armWriteLocked();
    // Marks the link down and has the I/O thread close the socket.
    void failLocked();

    // I/O thread only.
    asio::ip::tcp::socket socket_;

    mutable std::mutex mutex_;
    std::condition_variable received_cv_;
    int fd_ = -1;              // the descriptor host threads may use, -1 when down
    uint64_t generation_ = 0;  // bumped for every socket this link gets
    std::vector<uint8_t> queue_;
    bool writeWatched_ = false;
    std::atomic<int> state_{kNotConnected};
    std::atomic<uint64_t> lastActivity_{0};
    std::atomic<uint64_t> received_{0};
};

}  // namespace lumavox::gateway

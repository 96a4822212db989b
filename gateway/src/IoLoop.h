// The library's own event loop: one Asio io_context run by one I/O thread.
//
// Every Asio object of the library (listening sockets, DTU connections,
// destinations, the identification timer) is touched only on this thread.
// Host threads hand work to it with post() or runSync(). The thread starts at
// the first use and stops when the library is unloaded.
#pragma once

#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace lumavox::gateway {

class IoLoop {
  public:
    IoLoop();
    ~IoLoop();
    IoLoop(const IoLoop&) = delete;
    IoLoop& operator=(const IoLoop&) = delete;

    static constexpr size_t kScratchSize = 64 * 1024;

    asio::io_context& context() { return ctx_; }
    // The I/O thread's receive buffer; for that thread only.
    uint8_t* scratch() { return scratch_.data(); }
    bool onIoThread() const { return std::this_thread::get_id() == threadId_; }
    bool running() const { return running_.load(); }

    // Queues fn for the I/O thread; when the loop has stopped it runs at once.
    void post(std::function<void()> fn);
    // Runs fn on the I/O thread and waits for it; on the I/O thread itself, or
    // when the loop has stopped, it runs at once.
    void runSync(const std::function<void()>& fn);
    // Stops the thread after the handlers already running; queued work is
    // dropped. Called when the library is unloaded.
    void stop();

  private:
    asio::io_context ctx_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    std::vector<uint8_t> scratch_ = std::vector<uint8_t>(kScratchSize);
    std::thread thread_;
    std::thread::id threadId_;
    std::atomic<bool> running_{false};
};

}  // namespace lumavox::gateway

#include "IoLoop.h"

#include <future>

namespace lumavox::gateway {

IoLoop::IoLoop() : ctx_(1), work_(asio::make_work_guard(ctx_)) {
    thread_ = std::thread([this] {
        for (;;) {
            try {
                ctx_.run();
                return;
            } catch (...) {
                // A handler must never end the loop; carry on with the next one.
            }
        }
    });
    threadId_ = thread_.get_id();
    running_ = true;
}

IoLoop::~IoLoop() {
    stop();
}

void IoLoop::post(std::function<void()> fn) {
    if (!running_) {
        fn();
        return;
    }
    asio::post(ctx_, std::move(fn));
}

void IoLoop::runSync(const std::function<void()>& fn) {
    if (!running_ || onIoThread()) {
        fn();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    asio::post(ctx_, [&] {
        try {
            fn();
        } catch (...) {
        }
        done.set_value();
    });
    finished.wait();
}

void IoLoop::stop() {
    if (!running_) return;
    work_.reset();
    ctx_.stop();
    if (thread_.joinable()) thread_.join();
    running_ = false;
    threadId_ = {};
}

}  // namespace lumavox::gateway

#include "server/Events.h"

#include <chrono>

namespace lumavox::server {

void EventHub::publish(std::string type, std::string data) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(Event{next_++, std::move(type), std::move(data)});
        while (events_.size() > keep_)
            events_.pop_front();
    }
    changed_.notify_all();
}

std::vector<Event> EventHub::after(uint64_t after, int waitMs) {
    std::unique_lock lock(mutex_);
    auto ready = [&] { return closed_ || (!events_.empty() && events_.back().id > after); };
    if (!ready()) changed_.wait_for(lock, std::chrono::milliseconds(waitMs), ready);
    std::vector<Event> out;
    if (closed_) return out;
    for (const Event& e : events_)
        if (e.id > after) out.push_back(e);
    return out;
}

uint64_t EventHub::last() const {
    std::lock_guard lock(mutex_);
    return next_ - 1;
}

void EventHub::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

bool EventHub::closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace lumavox::server

// The changes of signs and jobs as a stream, for the events endpoint: each
// event is numbered, the last few hundred are kept so that a client that
// reconnects with its last number misses nothing that is still kept.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace lumavox::server {

struct Event {
    uint64_t id = 0;
    std::string type;  // "sign" or "job"
    std::string data;  // one line of JSON
};

class EventHub {
  public:
    explicit EventHub(size_t keep = 512) : keep_(keep) {}

    void publish(std::string type, std::string data);
    // The events after `after`; waits up to `waitMs` for one when there are
    // none. Empty when the wait ended or the hub closed.
    std::vector<Event> after(uint64_t after, int waitMs);
    // The number of the newest event.
    uint64_t last() const;
    // Wakes every waiting reader for good (the service stops).
    void close();
    bool closed() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Event> events_;
    uint64_t next_ = 1;
    size_t keep_;
    bool closed_ = false;
};

}  // namespace lumavox::server

// The process-wide budget for bytes received from DTUs and not yet taken by
// the host.
//
// Every DTU connection keeps what it received in its own ring (ConnectionLink).
// A ring's first kilobyte is its own; everything it grows beyond that is
// counted here, and all rings together may not grow past the budget (32 MiB).
// When a ring needs to grow and the budget is spent, the largest ring gives
// up its oldest bytes and the memory that held them; when the growing ring is
// itself the largest, it does not grow and overwrites its own oldest bytes. A
// peer that streams junk to a host that does not read can therefore never
// hold more memory than the budget, however many connections it opens.
//
// Lock order: a link's lock, then the budget's, then any ring's (a ring's lock
// is never held while another lock is taken).
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace lumavox::gateway {

class ConnectionLink;

class ReceiveBudget {
  public:
    static constexpr size_t kDefaultLimit = size_t{32} << 20;

    ReceiveBudget() = default;
    ReceiveBudget(const ReceiveBudget&) = delete;
    ReceiveBudget& operator=(const ReceiveBudget&) = delete;

    // Stores n received bytes in the link's ring, growing it by `step` bytes
    // at a time up to `ringLimit` as far as the budget allows.
    void store(ConnectionLink& link, const uint8_t* data, size_t n, size_t step, size_t ringLimit);
    // A link that goes returns what its ring had grown.
    void leave(ConnectionLink& link);

    // Bytes counted against the budget now.
    size_t used() const;
    size_t limit() const;
    // Changes the limit (tests); 0 restores the default. Rings already larger
    // give up bytes only when some ring next needs to grow.
    void setLimit(size_t bytes);

  private:
    // The ring that has grown the most, other than `except`; null when none.
    ConnectionLink* largestOther(const ConnectionLink& except) const;

    mutable std::mutex mutex_;
    size_t limit_ = kDefaultLimit;
    size_t used_ = 0;
    std::unordered_set<ConnectionLink*> grown_;  // links whose ring counts here
};

}  // namespace lumavox::gateway

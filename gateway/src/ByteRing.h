// A byte queue with overwrite semantics and its own lock.
//
// Writing more than the free space overwrites the oldest bytes; a write longer
// than the whole capacity keeps only its first `capacity` bytes. Storage is
// allocated at the first write (1024 bytes) and grows only through
// writeGrowing(), which never passes the ring's limit, so a peer that sends
// faster than the host reads can never make the ring grow without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace lumavox::gateway {

class ByteRing {
  public:
    static constexpr size_t kInitialCapacity = 1024;

    ByteRing() = default;
    ByteRing(const ByteRing&) = delete;
    ByteRing& operator=(const ByteRing&) = delete;

    // Appends without growing (beyond the initial allocation); returns the
    // number of bytes stored.
    size_t write(const uint8_t* data, size_t n);
    // Grows by `step` bytes at a time while the free space is smaller than n
    // and the capacity is below `limit` (never past it), then appends.
    size_t writeGrowing(const uint8_t* data, size_t n, size_t step, size_t limit);
    // Moves up to `capacity` bytes from the front into out.
    size_t read(uint8_t* out, size_t capacity);
    // Drops up to n bytes from the front.
    size_t discard(size_t n);
    // A copy of every unread byte, oldest first.
    std::string snapshot() const;

    size_t count() const;
    size_t capacity() const;
    // Empties the ring and gives it exactly this capacity.
    void reset(size_t capacity);
    // Empties the ring, keeping its storage.
    void clear();
    // Empties the ring and frees its storage.
    void release();

  private:
    void ensureStorage();
    void growBy(size_t extra);
    size_t writeLocked(const uint8_t* data, size_t n);

    mutable std::mutex mutex_;
    std::vector<uint8_t> buf_;
    size_t head_ = 0;  // index of the oldest unread byte
    size_t count_ = 0;
};

}  // namespace lumavox::gateway

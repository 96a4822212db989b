// A byte queue with overwrite semantics and its own lock.
//
// Writing more than the free space overwrites the oldest bytes; a write longer
// than the whole capacity keeps only its first `capacity` bytes. Storage is
// allocated at the first write (1024 bytes) and grows only through
// writeGrowing(), which never passes the ring's limit, or grow(), which the
// receive budget calls within its own limit; so a peer that sends faster than
// the host reads can never make the ring grow without bound.
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
    // Appends when the bytes fit in the free space, or when the ring has
    // storage of `limit` bytes or more and may not grow (the oldest bytes are
    // overwritten then). False, and nothing written, when it would have to grow.
    bool writeWithoutGrowing(const uint8_t* data, size_t n, size_t limit);
    // Moves up to `capacity` bytes from the front into out.
    size_t read(uint8_t* out, size_t capacity);
    // Drops up to n bytes from the front.
    size_t discard(size_t n);
    // A copy of every unread byte, oldest first.
    std::string snapshot() const;

    size_t count() const;
    size_t capacity() const;
    size_t freeSpace() const;
    // Gives the ring its initial storage if it has none yet.
    void allocate();
    // Grows the storage by `extra` bytes, keeping the unread bytes in order.
    void grow(size_t extra);
    // Shrinks the storage by up to `bytes`, never below the initial capacity:
    // the oldest unread bytes that no longer fit are dropped and the memory is
    // given back. Returns how much the capacity shrank.
    size_t shrinkBy(size_t bytes);
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

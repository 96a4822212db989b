#include "ByteRing.h"

#include <algorithm>
#include <cstring>

namespace lumavox::gateway {

void ByteRing::ensureStorage() {
    if (buf_.empty()) {
        buf_.assign(kInitialCapacity, 0);
        head_ = 0;
        count_ = 0;
    }
}

void ByteRing::growBy(size_t extra) {
    // The unread bytes move, in order, to the front of the new array.
    std::vector<uint8_t> bigger(buf_.size() + extra);
    size_t first = std::min(count_, buf_.size() - head_);
    std::memcpy(bigger.data(), buf_.data() + head_, first);
    std::memcpy(bigger.data() + first, buf_.data(), count_ - first);
    buf_.swap(bigger);
    head_ = 0;
}

size_t ByteRing::writeLocked(const uint8_t* data, size_t n) {
    if (n == 0 || data == nullptr) return 0;
    ensureStorage();
    const size_t cap = buf_.size();
    if (n >= cap) {
        std::memcpy(buf_.data(), data, cap);
        head_ = 0;
        count_ = cap;
        return cap;
    }
    size_t freeSpace = cap - count_;
    if (n > freeSpace) {
        // Overwrite the oldest bytes: the read index moves on.
        size_t drop = n - freeSpace;
        head_ = (head_ + drop) % cap;
        count_ -= drop;
    }
    size_t tail = (head_ + count_) % cap;
    size_t first = std::min(n, cap - tail);
    std::memcpy(buf_.data() + tail, data, first);
    std::memcpy(buf_.data(), data + first, n - first);
    count_ += n;
    return n;
}

size_t ByteRing::write(const uint8_t* data, size_t n) {
    std::lock_guard lock(mutex_);
    return writeLocked(data, n);
}

size_t ByteRing::writeGrowing(const uint8_t* data, size_t n, size_t step, size_t limit) {
    std::lock_guard lock(mutex_);
    if (n == 0 || data == nullptr) return 0;
    ensureStorage();
    while (buf_.size() - count_ < n && buf_.size() < limit && step > 0)
        growBy(std::min(step, limit - buf_.size()));
    return writeLocked(data, n);
}

bool ByteRing::writeWithoutGrowing(const uint8_t* data, size_t n, size_t limit) {
    std::lock_guard lock(mutex_);
    if (buf_.empty() || (buf_.size() - count_ < n && buf_.size() < limit)) return false;
    writeLocked(data, n);
    return true;
}

size_t ByteRing::read(uint8_t* out, size_t capacity) {
    std::lock_guard lock(mutex_);
    size_t n = std::min(capacity, count_);
    if (n == 0 || out == nullptr) return 0;
    const size_t cap = buf_.size();
    size_t first = std::min(n, cap - head_);
    std::memcpy(out, buf_.data() + head_, first);
    std::memcpy(out + first, buf_.data(), n - first);
    head_ = (head_ + n) % cap;
    count_ -= n;
    return n;
}

size_t ByteRing::discard(size_t n) {
    std::lock_guard lock(mutex_);
    n = std::min(n, count_);
    if (n > 0) {
        head_ = (head_ + n) % buf_.size();
        count_ -= n;
    }
    return n;
}

std::string ByteRing::snapshot() const {
    std::lock_guard lock(mutex_);
    std::string out(count_, '\0');
    if (count_ == 0) return out;
    const size_t cap = buf_.size();
    size_t first = std::min(count_, cap - head_);
    std::memcpy(out.data(), buf_.data() + head_, first);
    std::memcpy(out.data() + first, buf_.data(), count_ - first);
    return out;
}

size_t ByteRing::count() const {
    std::lock_guard lock(mutex_);
    return count_;
}

size_t ByteRing::capacity() const {
    std::lock_guard lock(mutex_);
    return buf_.size();
}

size_t ByteRing::freeSpace() const {
    std::lock_guard lock(mutex_);
    return buf_.size() - count_;
}

void ByteRing::allocate() {
    std::lock_guard lock(mutex_);
    ensureStorage();
}

void ByteRing::grow(size_t extra) {
    std::lock_guard lock(mutex_);
    ensureStorage();
    if (extra > 0) growBy(extra);
}

size_t ByteRing::shrinkBy(size_t bytes) {
    std::lock_guard lock(mutex_);
    const size_t cap = buf_.size();
    if (cap <= kInitialCapacity) return 0;
    const size_t newCap = cap - std::min(bytes, cap - kInitialCapacity);
    // The newest bytes stay, moved in order to the front of the smaller array.
    const size_t keep = std::min(count_, newCap);
    std::vector<uint8_t> smaller(newCap);
    const size_t start = (head_ + count_ - keep) % cap;
    const size_t first = std::min(keep, cap - start);
    std::memcpy(smaller.data(), buf_.data() + start, first);
    std::memcpy(smaller.data() + first, buf_.data(), keep - first);
    buf_.swap(smaller);
    head_ = 0;
    count_ = keep;
    return cap - newCap;
}

void ByteRing::reset(size_t capacity) {
    std::lock_guard lock(mutex_);
    buf_.assign(capacity, 0);
    buf_.shrink_to_fit();
    head_ = 0;
    count_ = 0;
}

void ByteRing::clear() {
    std::lock_guard lock(mutex_);
    head_ = 0;
    count_ = 0;
}

void ByteRing::release() {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>().swap(buf_);
    head_ = 0;
    count_ = 0;
}

}  // namespace lumavox::gateway

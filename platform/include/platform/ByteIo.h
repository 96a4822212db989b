// Bounds-checked little-endian reading and writing of byte buffers.
//
// Document files, clipboard blocks and sign bodies all store their numbers
// little-endian. The reader never reads past the end of its buffer: the first
// read that would do so marks the reader failed, returns zeros from then on,
// and the caller checks ok() once at the end of a record. A reader and a writer
// can also stream through a source or a sink, holding only a window of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumavox {

// Where a streamed reader takes its bytes from: a file read piece by piece.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Every byte the source holds, known before the first read.
    virtual size_t size() const = 0;
    // Reads up to n bytes into out; returns how many were read, 0 at the end or
    // on failure (which the source remembers in its own terms).
    virtual size_t read(uint8_t* out, size_t n) = 0;
};

// Where a streamed writer hands its bytes: a file written piece by piece.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Takes all of data; false when it could not (the sink keeps the reason).
    virtual bool write(std::span<const uint8_t> data) = 0;
};

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data)
        : data_(data.data()), end_(data.size()), total_(data.size()) {}
    ByteReader(const uint8_t* data, size_t size) : data_(data), end_(size), total_(size) {}
    // Reads from `source` through a window of about `windowBytes`, so the whole
    // of a large file is never held at once. The source must outlive the reader.
    explicit ByteReader(ByteSource& source, size_t windowBytes = size_t{1} << 18);
    // A copy reads on from the same place; a streamed copy shares the source,
    // so only one of the two may go on reading.
    ByteReader(const ByteReader& o) { *this = o; }
    ByteReader& operator=(const ByteReader& o);
    ByteReader(ByteReader&&) noexcept = default;
    ByteReader& operator=(ByteReader&&) noexcept = default;

    bool ok() const { return ok_; }
    void fail();
    size_t position() const { return base_ + pos_; }
    size_t size() const { return total_; }
    size_t remaining() const { return ok_ ? total_ - position() : 0; }
    bool atEnd() const { return remaining() == 0; }

    // True when n more bytes can be read; otherwise marks the reader failed.
    bool require(size_t n) { return end_ - pos_ >= n || fill(n); }

    uint8_t u8() { return require(1) ? data_[pos_++] : 0; }
    uint16_t u16() {
        if (!require(2)) return 0;
        uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        if (!require(4)) return 0;
        const uint8_t* p = data_ + pos_;
        pos_ += 4;
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    // Copies n bytes into out (zero-filled on failure).
    void bytes(uint8_t* out, size_t n);
    // An i32 byte count followed by that many bytes; the count is checked against
    // what is left before anything is allocated.
    std::string counted(size_t maxLength);
    void skip(size_t n);
    // Peeks at the byte at position() + offset without consuming; 0 past the end.
    uint8_t peek(size_t offset = 0);

  private:
    // Brings at least n unread bytes into the window, or fails the reader.
    bool fill(size_t n);

    const uint8_t* data_ = nullptr;  // the window: bytes base_ .. base_ + end_
    size_t pos_ = 0;                 // next byte, relative to the window
    size_t end_ = 0;                 // bytes in the window; pos_ == end_ once failed
    size_t base_ = 0;                // position of the window's first byte
    size_t total_ = 0;
    bool ok_ = true;
    ByteSource* source_ = nullptr;
    std::vector<uint8_t> window_;
};

class ByteWriter {
  public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
    // Collects in `out` and hands it to `sink` whenever drain() finds it at least
    // `chunkBytes` long, and at finish(). Offsets of patchU16() then count from
    // the last hand-over.
    ByteWriter(std::vector<uint8_t>& out, ByteSink& sink, size_t chunkBytes = size_t{1} << 18)
        : out_(out), sink_(&sink), chunk_(chunkBytes) {
        out_.reserve(chunkBytes + chunkBytes / 4);
    }

    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void bytes(const uint8_t* data, size_t n) { out_.insert(out_.end(), data, data + n); }
    void zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    void counted(const std::string& s);
    // Overwrites an already written u16 at an absolute offset of the buffer.
    void patchU16(size_t offset, uint16_t v);
    size_t size() const { return out_.size(); }
    std::vector<uint8_t>& buffer() { return out_; }

    // With a sink: hands the collected bytes over once there are enough of them.
    void drain() {
        if (sink_ && out_.size() >= chunk_) handOver();
    }
    // With a sink: hands over the rest; false when any hand-over failed, after
    // which nothing more was passed on.
    bool finish();

  private:
    void handOver();

    std::vector<uint8_t>& out_;
    ByteSink* sink_ = nullptr;
    size_t chunk_ = 0;
    bool sinkOk_ = true;
};

// The 16-bit sum of the bytes, bit-inverted: the check word of sign bodies.
uint16_t invertedSum16(std::span<const uint8_t> data);

}  // namespace lumavox

// Bounds-checked little-endian reading and writing of byte buffers.
//
// Document files, clipboard blocks and sign bodies all store their numbers
// little-endian. The reader never reads past the end of its buffer: the first
// read that would do so marks the reader failed, returns zeros from then on,
// and the caller checks ok() once at the end of a record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumavox {

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
    ByteReader(const uint8_t* data, size_t size) : data_(data, size) {}

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    size_t position() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
    bool atEnd() const { return remaining() == 0; }

    // True when n more bytes can be read; otherwise marks the reader failed.
    bool require(size_t n);

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int32_t i32() { return static_cast<int32_t>(u32()); }
    // Copies n bytes into out (zero-filled on failure).
    void bytes(uint8_t* out, size_t n);
    // An i32 byte count followed by that many bytes; the count is checked against
    // what is left before anything is allocated.
    std::string counted(size_t maxLength);
    void skip(size_t n);
    // Peeks at the byte at position() + offset without consuming; 0 past the end.
    uint8_t peek(size_t offset = 0) const;

  private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
  public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}

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

  private:
    std::vector<uint8_t>& out_;
};

// The 16-bit sum of the bytes, bit-inverted: the check word of sign bodies.
uint16_t invertedSum16(std::span<const uint8_t> data);

}  // namespace lumavox

#include "platform/ByteIo.h"

#include <cstring>

namespace lumavox {

bool ByteReader::require(size_t n) {
    if (!ok_ || data_.size() - pos_ < n) {
        ok_ = false;
        return false;
    }
    return true;
}

uint8_t ByteReader::u8() {
    if (!require(1)) return 0;
    return data_[pos_++];
}

uint16_t ByteReader::u16() {
    if (!require(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

uint32_t ByteReader::u32() {
    if (!require(4)) return 0;
    uint32_t v = static_cast<uint32_t>(data_[pos_]) |
                 (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                 (static_cast<uint32_t>(data_[pos_ + 2]) << 16) |
                 (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
}

void ByteReader::bytes(uint8_t* out, size_t n) {
    if (!require(n)) {
        std::memset(out, 0, n);
        return;
    }
    if (n) std::memcpy(out, data_.data() + pos_, n);
    pos_ += n;
}

std::string ByteReader::counted(size_t maxLength) {
    int32_t n = i32();
    if (!ok_ || n < 0 || static_cast<size_t>(n) > maxLength || !require(static_cast<size_t>(n))) {
        ok_ = false;
        return {};
    }
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), static_cast<size_t>(n));
    pos_ += static_cast<size_t>(n);
    return s;
}

void ByteReader::skip(size_t n) {
    if (require(n)) pos_ += n;
}

uint8_t ByteReader::peek(size_t offset) const {
    if (!ok_ || data_.size() - pos_ <= offset) return 0;
    return data_[pos_ + offset];
}

void ByteWriter::u16(uint16_t v) {
    out_.push_back(static_cast<uint8_t>(v));
    out_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::counted(const std::string& s) {
    i32(static_cast<int32_t>(s.size()));
    bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

void ByteWriter::patchU16(size_t offset, uint16_t v) {
    out_.at(offset) = static_cast<uint8_t>(v);
    out_.at(offset + 1) = static_cast<uint8_t>(v >> 8);
}

uint16_t invertedSum16(std::span<const uint8_t> data) {
    uint16_t sum = 0;
    for (uint8_t b : data)
        sum = static_cast<uint16_t>(sum + b);
    return static_cast<uint16_t>(~sum);
}

}  // namespace lumavox

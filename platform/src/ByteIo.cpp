#include "platform/ByteIo.h"

#include <algorithm>
#include <cstring>

namespace lumavox {

ByteReader::ByteReader(ByteSource& source, size_t windowBytes)
    : total_(source.size()), source_(&source) {
    window_.resize(std::max<size_t>(windowBytes, 64));
    data_ = window_.data();
}

ByteReader& ByteReader::operator=(const ByteReader& o) {
    if (this == &o) return *this;
    pos_ = o.pos_;
    end_ = o.end_;
    base_ = o.base_;
    total_ = o.total_;
    ok_ = o.ok_;
    source_ = o.source_;
    window_ = o.window_;
    // A streamed window is the reader's own; a span is shared.
    data_ = o.source_ ? window_.data() : o.data_;
    return *this;
}

void ByteReader::fail() {
    ok_ = false;
    end_ = pos_;  // every read from now on takes the slow path and fails
}

bool ByteReader::fill(size_t n) {
    if (!ok_ || !source_ || total_ - position() < n) {
        fail();
        return false;
    }
    // Keep the unread tail, move it to the front and read after it.
    size_t unread = end_ - pos_;
    if (n > window_.size()) {
        std::vector<uint8_t> larger(n);
        std::memcpy(larger.data(), data_ + pos_, unread);
        window_ = std::move(larger);
    } else if (unread) {
        std::memmove(window_.data(), data_ + pos_, unread);
    }
    base_ += pos_;
    pos_ = 0;
    end_ = unread;
    data_ = window_.data();
    size_t wanted = std::min(window_.size(), total_ - base_);
    while (end_ < wanted) {
        size_t got = source_->read(window_.data() + end_, wanted - end_);
        if (got == 0) break;
        end_ += got;
    }
    if (end_ < n) {
        fail();
        return false;
    }
    return true;
}

void ByteReader::bytes(uint8_t* out, size_t n) {
    if (!require(n)) {
        std::memset(out, 0, n);
        return;
    }
    if (n) std::memcpy(out, data_ + pos_, n);
    pos_ += n;
}

std::string ByteReader::counted(size_t maxLength) {
    int32_t n = i32();
    if (!ok_ || n < 0 || static_cast<size_t>(n) > maxLength || !require(static_cast<size_t>(n))) {
        fail();
        return {};
    }
    std::string s(reinterpret_cast<const char*>(data_ + pos_), static_cast<size_t>(n));
    pos_ += static_cast<size_t>(n);
    return s;
}

void ByteReader::skip(size_t n) {
    if (require(n)) pos_ += n;
}

uint8_t ByteReader::peek(size_t offset) {
    if (!ok_ || remaining() <= offset) return 0;
    if (end_ - pos_ <= offset && !fill(offset + 1)) return 0;
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

bool ByteWriter::finish() {
    if (sink_) handOver();
    return sinkOk_;
}

void ByteWriter::handOver() {
    if (sinkOk_ && !out_.empty()) sinkOk_ = sink_->write(out_);
    out_.clear();
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

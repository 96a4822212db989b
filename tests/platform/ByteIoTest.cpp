#include <gtest/gtest.h>

#include "platform/ByteIo.h"

using namespace lumavox;

TEST(ByteIo, RoundTripsLittleEndianAndFailsPastTheEnd) {
    std::vector<uint8_t> buf;
    ByteWriter w(buf);
    w.u8(0x12);
    w.u16(0x3456);
    w.u32(0x789ABCDE);
    w.counted("abc");
    EXPECT_EQ(buf, (std::vector<uint8_t>{0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78, 3, 0, 0, 0, 'a',
                                         'b', 'c'}));
    ByteReader r(buf);
    EXPECT_EQ(r.u8(), 0x12);
    EXPECT_EQ(r.u16(), 0x3456);
    EXPECT_EQ(r.u32(), 0x789ABCDEu);
    EXPECT_EQ(r.counted(10), "abc");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.u8(), 0);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteIo, CountedStringIsBoundedBeforeAllocation) {
    std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F, 'x'};
    ByteReader r(huge);
    EXPECT_EQ(r.counted(1u << 30), "");
    EXPECT_FALSE(r.ok());
    std::vector<uint8_t> negative = {0xFF, 0xFF, 0xFF, 0xFF};
    ByteReader r2(negative);
    r2.counted(100);
    EXPECT_FALSE(r2.ok());
    std::vector<uint8_t> tooLong = {5, 0, 0, 0, 'a', 'b', 'c', 'd', 'e'};
    ByteReader r3(tooLong);
    r3.counted(4);
    EXPECT_FALSE(r3.ok());
}

TEST(ByteIo, InvertedSum) {
    std::vector<uint8_t> d = {0xFF, 0xFF, 0x02};
    EXPECT_EQ(invertedSum16(d), static_cast<uint16_t>(~0x0200));
}

namespace {

// Hands out its bytes a few at a time, as a file read may.
struct TrickleSource : ByteSource {
    std::vector<uint8_t> data;
    size_t at = 0;
    size_t step = 3;
    size_t size() const override { return data.size(); }
    size_t read(uint8_t* out, size_t n) override {
        n = std::min({n, step, data.size() - at});
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), n, out);
        at += n;
        return n;
    }
};

struct CollectingSink : ByteSink {
    std::vector<std::vector<uint8_t>> pieces;
    size_t refuseFrom = SIZE_MAX;
    bool write(std::span<const uint8_t> data) override {
        if (pieces.size() >= refuseFrom) return false;
        pieces.emplace_back(data.begin(), data.end());
        return true;
    }
};

}  // namespace

TEST(ByteIo, AStreamedReaderReadsAcrossItsWindowAndFailsAtTheSourcesEnd) {
    TrickleSource source;
    ByteWriter w(source.data);
    for (uint32_t i = 0; i < 40; ++i) {
        w.u8(static_cast<uint8_t>(i));
        w.u16(static_cast<uint16_t>(i * 300));
        w.u32(i * 70000);
    }
    w.counted(std::string(100, 'x'));  // longer than the window
    ByteReader r(source, 16);
    EXPECT_EQ(r.size(), source.data.size());
    for (uint32_t i = 0; i < 40; ++i) {
        ASSERT_EQ(r.u8(), i);
        ASSERT_EQ(r.u16(), i * 300);
        ASSERT_EQ(r.peek(1), static_cast<uint8_t>((i * 70000) >> 8));
        ASSERT_EQ(r.u32(), i * 70000);
        ASSERT_EQ(r.position(), (i + 1) * 7);
    }
    // A string longer than the window grows it; a copy reads on from its
    // own window.
    ByteReader copy = r;
    EXPECT_EQ(copy.counted(1000), std::string(100, 'x'));
    r = copy;
    EXPECT_TRUE(r.atEnd());
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.u8(), 0);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.u32(), 0u);
    r = ByteReader(source, 16);
    source.at = 0;
    r.skip(40 * 7);
    EXPECT_EQ(r.counted(1000), std::string(100, 'x'));
    EXPECT_TRUE(r.atEnd());
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.u8(), 0);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.u32(), 0u);

    // A source that ends before the size it announced fails the reader, and a
    // count beyond the announced size fails before anything is read.
    struct Lying : TrickleSource {
        size_t size() const override { return 8; }
    } lying;
    lying.data = {1, 2, 3, 0xFF, 0, 0, 0};
    ByteReader c(lying, 4);
    c.skip(3);
    EXPECT_EQ(c.counted(1000), "");
    EXPECT_FALSE(c.ok());
    lying.data = {1, 2, 3};
    lying.at = 0;
    ByteReader l(lying, 4);
    EXPECT_EQ(l.u16(), 0x0201);
    EXPECT_EQ(l.u32(), 0u);
    EXPECT_FALSE(l.ok());
}

TEST(ByteIo, AStreamedWriterHandsOverInChunksAndReportsARefusingSink) {
    CollectingSink sink;
    std::vector<uint8_t> buffer, whole;
    ByteWriter w(buffer, sink, 8);
    ByteWriter all(whole);
    for (uint32_t i = 0; i < 30; ++i) {
        w.u32(i * 12345);
        all.u32(i * 12345);
        w.drain();
    }
    EXPECT_TRUE(w.finish());
    std::vector<uint8_t> joined;
    for (const auto& p : sink.pieces) {
        EXPECT_LE(p.size(), 8u + 4u);
        joined.insert(joined.end(), p.begin(), p.end());
    }
    EXPECT_EQ(joined, whole);

    CollectingSink refusing;
    refusing.refuseFrom = 1;
    std::vector<uint8_t> b2;
    ByteWriter w2(b2, refusing, 4);
    for (int i = 0; i < 5; ++i) {
        w2.u32(1);
        w2.drain();
    }
    EXPECT_FALSE(w2.finish());
    EXPECT_EQ(refusing.pieces.size(), 1u);
}

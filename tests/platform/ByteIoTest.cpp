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

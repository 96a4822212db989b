// The virtual sign's own reading and writing of frames, against byte strings
// built by hand (check words worked out from the byte values).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SignFrame.h"

using namespace lumavox::sim;

namespace {

using Bytes = std::vector<uint8_t>;

// "Test display board" ("s" "z") to address 1, sequence 0: the bytes 41 01 00
// 00 00 00 00 00 73 7A sum to 303 = 0x012F; 65535 - 303 = 0xFED0.
const Bytes kTestBoard{0x24, 0x57, 0x52, 0x4C, 0x3E, 0x0A, 0x00, 0x41, 0x01, 0x00,
                       0x00, 0x00, 0x00, 0x00, 0x00, 0x73, 0x7A, 0xD0, 0xFE};
// "End session" ("z") to address 0: 0x41 + 0x7A = 187; 65535 - 187 = 0xFF44.
const Bytes kEndSession{0x24, 0x57, 0x52, 0x4C, 0x3E, 0x09, 0x00, 0x41, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7A, 0x44, 0xFF};

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A frame of 1000 data bytes of one value, address 0, sequence 0.
Bytes fullFrame(uint8_t fill, uint8_t checkLow, uint8_t checkHigh) {
    Bytes f{0x24, 0x57, 0x52, 0x4C, 0x3E, 0xF0, 0x03, 0x41, 0, 0, 0, 0, 0, 0, 0};
    f.insert(f.end(), 1000, fill);
    f.push_back(checkLow);
    f.push_back(checkHigh);
    return f;
}

}  // namespace

TEST(SignFrame, ReadsWholeFrames) {
    FrameSearch r = findFrame(kTestBoard);
    ASSERT_EQ(r.found, FrameFound::Frame);
    EXPECT_EQ(r.start, 0u);
    EXPECT_EQ(r.end, 19u);
    FrameView v = viewFrame(kTestBoard);
    EXPECT_EQ(v.address, 1);
    EXPECT_EQ(v.sequence, 0);
    EXPECT_EQ(Bytes(v.data.begin(), v.data.end()), text("sz"));

    // Address 0x2A, sequence 0xFF, "a": 0x41 + 0x2A + 0xFF + 0x61 = 459;
    // 65535 - 459 = 0xFE34.
    const Bytes odd{0x24, 0x57, 0x52, 0x4C, 0x3E, 0x09, 0x00, 0x41, 0x2A,
                    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x61, 0x34, 0xFE};
    ASSERT_EQ(findFrame(odd).found, FrameFound::Frame);
    EXPECT_EQ(viewFrame(odd).address, 0x2A);
    EXPECT_EQ(viewFrame(odd).sequence, 0xFF);
}

TEST(SignFrame, CheckWordWrapsAtSixteenBits) {
    // 0x41 + 1000 * 0xFF = 255065; modulo 65536 that is 58457, and 65535 -
    // 58457 = 7078 = 0x1BA6.
    EXPECT_EQ(findFrame(fullFrame(0xFF, 0xA6, 0x1B)).found, FrameFound::Frame);
    EXPECT_EQ(findFrame(fullFrame(0xFF, 0xA5, 0x1B)).found, FrameFound::BadCheck);
    // 1000 zero bytes: 65535 - 0x41 = 0xFFBE.
    EXPECT_EQ(findFrame(fullFrame(0x00, 0xBE, 0xFF)).found, FrameFound::Frame);
}

TEST(SignFrame, SkipsNoiseAndWaitsForTheRest) {
    // Noise, including the beginning of a marker, before the frame.
    Bytes noisy = join(text("xx$WR\xFA"), kTestBoard);
    FrameSearch r = findFrame(noisy);
    ASSERT_EQ(r.found, FrameFound::Frame);
    EXPECT_EQ(r.start, 6u);
    EXPECT_EQ(r.end, 25u);

    // No marker at all: the position says so.
    EXPECT_EQ(findFrame(text("abc$WRL")).found, FrameFound::NeedMore);
    EXPECT_EQ(findFrame(text("abc$WRL")).start, 7u);
    // Every cut of a frame waits for more.
    for (size_t n = 5; n < kTestBoard.size(); ++n) {
        FrameSearch part = findFrame(Bytes(kTestBoard.begin(), kTestBoard.begin() + n));
        EXPECT_EQ(part.found, FrameFound::NeedMore) << n;
        EXPECT_EQ(part.start, 0u) << n;
    }
    // Two frames back to back: the first one is found first.
    Bytes two = join(kEndSession, kTestBoard);
    EXPECT_EQ(findFrame(two).end, kEndSession.size());
}

TEST(SignFrame, RefusesBadEnvelopes) {
    Bytes badCheck = kTestBoard;
    badCheck[18] ^= 0x01;
    FrameSearch r = findFrame(badCheck);
    EXPECT_EQ(r.found, FrameFound::BadCheck);
    EXPECT_EQ(r.end, 19u);

    Bytes badData = kTestBoard;
    badData[16] = 0x7B;  // a data byte changed, the check word not
    EXPECT_EQ(findFrame(badData).found, FrameFound::BadCheck);

    Bytes badType = kTestBoard;
    badType[7] = 0x42;
    EXPECT_EQ(findFrame(badType).found, FrameFound::BadType);

    Bytes shortLength = kTestBoard;
    shortLength[5] = 0x07;  // 7: no room for type, address, sequence and reserved bytes
    EXPECT_EQ(findFrame(shortLength).found, FrameFound::BadLength);

    Bytes longLength = kTestBoard;
    longLength[5] = 0xF1;  // 0x03F1 = 1009: more than 1000 data bytes
    longLength[6] = 0x03;
    EXPECT_EQ(findFrame(longLength).found, FrameFound::BadLength);
}

TEST(SignFrame, WritesTheSameBytes) {
    EXPECT_EQ(makeFrame(1, 0, text("sz")), kTestBoard);
    EXPECT_EQ(makeFrame(0, 0, text("z")), kEndSession);
    EXPECT_EQ(makeFrame(0, 0, Bytes(1000, 0xFF)), fullFrame(0xFF, 0xA6, 0x1B));
}

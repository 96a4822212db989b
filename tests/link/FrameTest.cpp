#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "protocol/Frame.h"
#include "protocol/HandshakeDetector.h"
#include "transport/LinkSettings.h"

using namespace lumavox;
using lumavox::test::bytesOf;
using lumavox::test::hexBytes;

TEST(Frame, TestDisplayBoardToAddressOneIsByteExact) {
    std::vector<uint8_t> frame;
    auto payload = bytesOf("sz");
    EXPECT_EQ(buildFrame(payload, 0, 1000, 1, 0, frame), 2u);
    EXPECT_EQ(frame, hexBytes("24 57 52 4C 3E 0A 00 41 01 00 00 00 00 00 00 73 7A D0 FE"));
}

TEST(Frame, EndSessionToBroadcastIsByteExact) {
    std::vector<uint8_t> frame;
    auto payload = bytesOf("z");
    buildFrame(payload, 0, 1000, 0, 0, frame);
    EXPECT_EQ(frame, hexBytes("24 57 52 4C 3E 09 00 41 00 00 00 00 00 00 00 7A 44 FF"));
}

TEST(Frame, A2500BytePayloadGoesOutAsThreeFrames) {
    std::vector<uint8_t> payload(2500);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 7);
    int limit = frameSizeLimit(1000);
    ASSERT_EQ(frameCount(payload.size(), limit), 3u);
    size_t next = 0;
    std::vector<uint8_t> joined;
    const uint16_t lengths[] = {1008, 1008, 508};
    for (unsigned k = 0; k < 3; ++k) {
        std::vector<uint8_t> frame;
        next = buildFrame(payload, next, limit, 5, sequenceByte(k), frame);
        ASSERT_EQ(frame.size(), lengths[k] + 9u);
        EXPECT_EQ(frame[5] | (frame[6] << 8), lengths[k]);
        EXPECT_EQ(frame[9], k);
        auto scan = scanFrame(frame);
        ASSERT_EQ(scan.status, FrameScan::Frame);
        auto fields = frameFields(frame);
        joined.insert(joined.end(), fields.data.begin(), fields.data.end());
    }
    EXPECT_EQ(next, payload.size());
    EXPECT_EQ(joined, payload);
    std::vector<uint8_t> none;
    EXPECT_EQ(buildFrame(payload, next, limit, 5, 3, none), next);
    EXPECT_TRUE(none.empty());
}

TEST(Frame, FrameSizeSettingAndCount) {
    EXPECT_EQ(frameSizeLimit(10), 1000);
    EXPECT_EQ(frameSizeLimit(1000), 1000);
    EXPECT_EQ(frameSizeLimit(5000), 1000);
    EXPECT_EQ(frameSizeLimit(-3), 1000);
    EXPECT_EQ(frameSizeLimit(11), 11);
    EXPECT_EQ(frameSizeLimit(999), 999);
    EXPECT_EQ(frameCount(0, 1000), 0u);
    EXPECT_EQ(frameCount(1, 1000), 1u);
    EXPECT_EQ(frameCount(1000, 1000), 1u);
    EXPECT_EQ(frameCount(1001, 1000), 2u);
    EXPECT_EQ(frameCount(22, 11), 2u);
    // A limit the frame cannot carry is taken as 1000, never more.
    EXPECT_EQ(frameCount(2000, 0), 2u);
    EXPECT_EQ(frameCount(2000, 4000), 2u);
    LinkSettings s;
    s.frameSize = 11;
    s.repeatTimes = 0;
    EXPECT_EQ(s.frameLimit(), 11);
    EXPECT_EQ(s.attemptsPerFrame(), 1);
}

TEST(Frame, The257thFrameCarriesSequenceZero) {
    EXPECT_EQ(sequenceByte(255), 255);
    EXPECT_EQ(sequenceByte(256), 0);
    std::vector<uint8_t> frame;
    auto payload = bytesOf("uz");
    buildFrame(payload, 0, 1000, 1, sequenceByte(256), frame);
    EXPECT_EQ(frame[9], 0);
}

TEST(Frame, ChecksumIsTheComplementOfTheSum) {
    const uint8_t bytes[] = {0x41, 0x01, 0x00, 0x73, 0x7A};
    uint32_t sum = 0x41 + 0x01 + 0x73 + 0x7A;
    EXPECT_EQ(frameChecksum(bytes), 65535 - sum);
    EXPECT_EQ(frameChecksum({}), 0xFFFF);
}

TEST(Frame, ScanJudgesTypeLengthAndCheckWord) {
    auto good = hexBytes("24 57 52 4C 3E 0A 00 41 01 00 00 00 00 00 00 73 7A D0 FE");
    auto r = scanFrame(good);
    EXPECT_EQ(r.status, FrameScan::Frame);
    EXPECT_EQ(r.start, 0u);
    EXPECT_EQ(r.end, good.size());

    auto partial = std::vector<uint8_t>(good.begin(), good.end() - 1);
    EXPECT_EQ(scanFrame(partial).status, FrameScan::NeedMore);
    auto header = std::vector<uint8_t>(good.begin(), good.begin() + 14);
    EXPECT_EQ(scanFrame(header).status, FrameScan::NeedMore);

    auto badType = good;
    badType[7] = 0x42;
    EXPECT_EQ(scanFrame(badType).status, FrameScan::BadType);
    auto len7 = good;
    len7[5] = 7;
    EXPECT_EQ(scanFrame(len7).status, FrameScan::BadLength);
    auto len1009 = good;
    len1009[5] = 1009 & 0xFF;
    len1009[6] = 1009 >> 8;
    EXPECT_EQ(scanFrame(len1009).status, FrameScan::BadLength);
    auto badSum = good;
    badSum[17] ^= 1;
    EXPECT_EQ(scanFrame(badSum).status, FrameScan::BadChecksum);

    auto noisy = bytesOf("xx$WR\xFA");
    noisy.insert(noisy.end(), good.begin(), good.end());
    r = scanFrame(noisy);
    EXPECT_EQ(r.status, FrameScan::Frame);
    EXPECT_EQ(r.start, 6u);
    EXPECT_EQ(scanFrame(bytesOf("no marker")).start, 9u);
}

TEST(Handshake, ANonHandshakeByteRestartsTheCountdown) {
    HandshakeDetector d;
    d.arm();
    EXPECT_FALSE(d.feed(hexBytes("FA FA 00")));
    EXPECT_EQ(d.countdown(), 3);
    EXPECT_TRUE(d.feed(hexBytes("FA FA FA")));
    EXPECT_EQ(d.countdown(), 3);
}

TEST(Handshake, CountsAcrossSeparateReads) {
    HandshakeDetector d;
    d.arm();
    EXPECT_FALSE(d.feed(hexBytes("FA FA")));
    EXPECT_EQ(d.countdown(), 1);
    EXPECT_TRUE(d.feed(hexBytes("FA")));
    d.arm();
    EXPECT_FALSE(d.seen());
    d.disarm();
    EXPECT_FALSE(d.feed(hexBytes("FA FA FA")));  // not counted while disarmed
}

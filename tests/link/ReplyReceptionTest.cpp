#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "protocol/Frame.h"
#include "protocol/ReplyReception.h"
#include "strings/StringTable.h"

using namespace lumavox;
using lumavox::test::bytesOf;
using lumavox::test::frameOf;
using lumavox::test::hexBytes;

namespace {

struct Collector {
    int acks = 0;
    std::vector<uint8_t> data;
    size_t expected = 0;
    ReplyReception reception{[this] { ++acks; },
                             [this](std::span<const uint8_t> d) {
                                 data.insert(data.end(), d.begin(), d.end());
                                 return expected > 0 && data.size() >= expected;
                             }};
    void start() {
        reception.resetSequence();
        reception.begin();
    }
    void feed(const std::vector<uint8_t>& bytes, bool handshake = false) {
        reception.receive(bytes, handshake);
    }
};

std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST(ReplyReception, MemoryReplyAfterHandshakeAndNoiseIsAccepted) {
    Collector c;
    c.expected = 9;
    c.start();
    auto data = hexBytes("69 00 10 00 F0 00 02 00 3E");
    c.feed(join({hexBytes("FA FA FA 00 13"), frameOf(data, 0, 0)}), true);
    EXPECT_EQ(c.reception.state(), ReceptionState::Complete);
    EXPECT_EQ(c.data, data);
    EXPECT_EQ(c.acks, 1);
    EXPECT_EQ(c.reception.bufferedBytes(), 0u);  // the noise left with the frame
    EXPECT_EQ(c.reception.expectedSequence(), 1);
}

TEST(ReplyReception, AFrameSplitAcrossManyReadsIsAssembled) {
    Collector c;
    c.start();
    auto frame = frameOf(bytesOf("E-SERIAL"), 0, 0);
    for (uint8_t b : frame)
        c.feed({b});
    EXPECT_EQ(c.data, bytesOf("E-SERIAL"));
    EXPECT_EQ(c.acks, 1);
}

TEST(ReplyReception, ARepeatedFrameIsAcknowledgedAndDropped) {
    Collector c;
    c.start();
    auto f0 = frameOf(bytesOf("k0"), 0, 0);
    auto f1 = frameOf(bytesOf("k1"), 0, 1);
    c.feed(f0);
    c.feed(f0);  // the sign missed our acknowledgement
    c.feed(f1);
    EXPECT_EQ(c.data, bytesOf("k0k1"));
    EXPECT_EQ(c.acks, 3);
    EXPECT_EQ(c.reception.chunks().size(), 2u);
}

TEST(ReplyReception, SeveralFramesInOneReadAreAllHandled) {
    Collector c;
    c.start();
    c.feed(join({frameOf(bytesOf("ab"), 0, 0), frameOf(bytesOf("cd"), 0, 1),
                 frameOf(bytesOf("ef"), 0, 2)}));
    EXPECT_EQ(c.data, bytesOf("abcdef"));
    EXPECT_EQ(c.acks, 3);
}

TEST(ReplyReception, BadFramesEndTheReceptionWithTheirTexts) {
    struct Case {
        int textId;
        std::function<void(std::vector<uint8_t>&)> spoil;
    } cases[] = {
        {msg::kFrameTypeError, [](auto& f) { f[7] = 0x61; }},
        {msg::kFrameLengthError, [](auto& f) { f[5] = 7, f[6] = 0; }},
        {msg::kFrameLengthError, [](auto& f) { f[5] = 1009 & 0xFF, f[6] = 1009 >> 8; }},
        {msg::kFrameChecksumError, [](auto& f) { f[f.size() - 1] ^= 0x10; }},
    };
    for (auto& k : cases) {
        Collector c;
        c.start();
        auto frame = frameOf(bytesOf("i123456789"), 0, 0);
        k.spoil(frame);
        c.feed(frame);
        EXPECT_EQ(c.reception.state(), ReceptionState::Failed);
        EXPECT_EQ(c.reception.failureText(), k.textId);
        EXPECT_EQ(c.acks, 0);  // no acknowledgement for a bad frame
        EXPECT_TRUE(c.data.empty());
    }
    EXPECT_EQ(text(msg::kFrameTypeError), "The frame type is error");
    EXPECT_EQ(text(msg::kFrameLengthError), "Frame length is error");
    EXPECT_EQ(text(msg::kFrameChecksumError), "Check sum error");
}

TEST(ReplyReception, AFullBufferWithoutAFrameEndsTheReceptionNeverOverflows) {
    Collector c;
    c.start();
    std::vector<uint8_t> noise(ReplyScanner::kCapacity - 10, 0x55);
    c.feed(noise);
    EXPECT_EQ(c.reception.state(), ReceptionState::Receiving);
    c.feed(std::vector<uint8_t>(100, 0x55));
    EXPECT_EQ(c.reception.state(), ReceptionState::Failed);
    EXPECT_EQ(c.reception.failureText(), msg::kReceiveBufferOverflow);
    EXPECT_LE(c.reception.bufferedBytes(), ReplyScanner::kCapacity);
    // A frame arriving later is not taken: the reception has ended.
    c.feed(frameOf(bytesOf("I!"), 0, 0));
    EXPECT_TRUE(c.data.empty());
}

TEST(ReplyReception, ABufferFullOfFramesIsNotAnOverflow) {
    Collector c;
    c.start();
    std::vector<uint8_t> many;
    for (unsigned k = 0; k < 40; ++k) {
        auto f = frameOf(std::vector<uint8_t>(1000, static_cast<uint8_t>(k)), 0, sequenceByte(k));
        many.insert(many.end(), f.begin(), f.end());
    }
    c.feed(many);  // 40,680 bytes in one read
    EXPECT_EQ(c.reception.state(), ReceptionState::Receiving);
    EXPECT_EQ(c.data.size(), 40000u);
    EXPECT_EQ(c.acks, 40);
}

TEST(ReplyReception, OutsideAReadBytesAreKeptOnlyDuringAHandshakeWait) {
    Collector c;
    auto frame = frameOf(bytesOf("I!"), 0, 0);
    c.feed(frame, false);
    EXPECT_EQ(c.reception.bufferedBytes(), 0u);
    c.feed(hexBytes("FA FA FA"), true);
    EXPECT_EQ(c.reception.bufferedBytes(), 3u);
    c.feed(frame, true);  // kept, but no read is in progress: not scanned
    EXPECT_TRUE(c.data.empty());
    EXPECT_EQ(c.acks, 0);
    c.feed(std::vector<uint8_t>(40000, 0xFA), true);
    EXPECT_EQ(c.reception.bufferedBytes(), ReplyScanner::kCapacity);
    EXPECT_EQ(c.reception.state(), ReceptionState::Idle);
}

TEST(ReplyReception, AfterFinishingFurtherBytesAreDropped) {
    Collector c;
    c.expected = 2;
    c.start();
    c.feed(frameOf(bytesOf("I!"), 0, 0));
    EXPECT_EQ(c.reception.state(), ReceptionState::Complete);
    c.reception.markFinished();
    c.feed(frameOf(bytesOf("I?"), 0, 1), true);
    EXPECT_EQ(c.reception.bufferedBytes(), 0u);
    EXPECT_EQ(c.acks, 1);
    // The next file of the same read numbers on; begin() keeps the sequence.
    c.reception.begin();
    c.data.clear();
    c.feed(frameOf(bytesOf("m0"), 0, 0));  // an old number: a repeat
    c.feed(frameOf(bytesOf("m1"), 0, 1));
    EXPECT_EQ(c.data, bytesOf("m1"));
}

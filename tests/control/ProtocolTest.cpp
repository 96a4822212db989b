// Commands, checksums, address strings and the judgement of replies.
#include <gtest/gtest.h>

#include "ControlProtocol.h"
#include "NvsEngine.h"

using namespace lumavox::nvs;

TEST(Protocol, ClearMemoryChecksum) {
    int sum = 0;
    for (char ch : std::string("^ACCM^D"))
        sum += ch;
    char expect[8];
    std::snprintf(expect, sizeof expect, "%04X", sum);
    EXPECT_EQ(clearMemoryCommand(), std::string("^ACCM^D") + expect);
    EXPECT_EQ(clearMemoryCommand(), "^ACCM^D0214");
}

TEST(Protocol, ChecksumSignedAndUnsignedDifferAboveSeventyF) {
    std::string cmd = "^ACSR$\x80\xFF$^D";
    uint32_t u = 0;
    int32_t s = 0;
    for (char ch : cmd) {
        u += static_cast<unsigned char>(ch);
        s += static_cast<signed char>(ch);
    }
    EXPECT_EQ(checksum(cmd, false), u & 0xFFFF);
    EXPECT_EQ(checksum(cmd, true), static_cast<uint16_t>(s & 0xFFFF));
    EXPECT_NE(checksum(cmd, true), checksum(cmd, false));
    // Run sequences are fixed-pattern commands: signed bytes.
    char tail[8];
    std::snprintf(tail, sizeof tail, "%04X", static_cast<unsigned>(s & 0xFFFF));
    EXPECT_EQ(runSequenceCommand("$\x80\xFF$"), cmd + tail);
    // Text data: unsigned bytes.
    std::string data = textDataCommand("$A$\x90");
    uint32_t du = 0;
    for (char ch : std::string("^AA$A$\x90^D"))
        du += static_cast<unsigned char>(ch);
    std::snprintf(tail, sizeof tail, "%04X", du & 0xFFFF);
    EXPECT_EQ(data, std::string("^AA$A$\x90^D") + tail);
    // The sign agrees on which commands sum signed bytes.
    EXPECT_TRUE(lumavox::sim::nvsChecksumSigned("CSR"));
    EXPECT_FALSE(lumavox::sim::nvsChecksumSigned("CSM"));
}

TEST(Protocol, ChecksumWrapsAtSixteenBits) {
    std::string big(300, '\xFF');
    EXPECT_EQ(checksum(big, false), (300u * 255u) & 0xFFFFu);
}

TEST(Protocol, Commands) {
    std::string dt = dateTimeCommands(2024, 3, 7, 4, 9, 5, 1);
    EXPECT_EQ(dt, withChecksum("^ACSD030720244^D", false) + withChecksum("^ACST090501^D", false));
    EXPECT_EQ(changeAddressCommand(0x0A), withChecksum("^ACSA0A^D", true));
    EXPECT_EQ(powerCommand(true), withChecksum("^ACPO^D", true));
    EXPECT_EQ(powerCommand(false), withChecksum("^ACPF^D", true));
    EXPECT_EQ(allocTextCommand("ABCDEFGHIJKLMN", 0x1A),
              withChecksum("^ACSM$ABCDEFGHIJKLMN$T0000001A^D", false));
    EXPECT_EQ(allocDiskCommand("Logo.BMP", 300), withChecksum("^ACFMlogo.bmp=0000012C^D", false));
    EXPECT_EQ(diskDataCommand("a=TWFu"), withChecksum("^ACFWa=TWFu^D", false));
    EXPECT_EQ(openConversation("1,2"), "^B1,2");
}

TEST(Protocol, AddressStrings) {
    std::vector<uint8_t> a;
    EXPECT_TRUE(parseAddressString("1,0A,64", &a));
    EXPECT_EQ(a, (std::vector<uint8_t>{1, 10, 100}));
    EXPECT_TRUE(parseAddressString("ff", &a));
    EXPECT_FALSE(parseAddressString(nullptr));
    EXPECT_FALSE(parseAddressString(""));
    EXPECT_FALSE(parseAddressString("1,,2"));
    EXPECT_FALSE(parseAddressString(",1"));
    EXPECT_FALSE(parseAddressString("1,"));
    EXPECT_FALSE(parseAddressString("1 "));
    EXPECT_FALSE(parseAddressString("G"));
    EXPECT_FALSE(parseAddressString("100"));  // not one byte
    EXPECT_TRUE(parseAddressString("00FF"));
    EXPECT_TRUE(expectsReply("5"));
    EXPECT_FALSE(expectsReply("0"));
    EXPECT_FALSE(expectsReply("1,2"));
}

TEST(Protocol, ReplyJudgement) {
    EXPECT_EQ(judgeReply("ok").verdict, Verdict::Undecided);
    Judgement ok = judgeReply("OK\r\n");
    EXPECT_EQ(ok.verdict, Verdict::Success);
    EXPECT_EQ(ok.text,
              "The sign say : Communication is good and all commands are handled successfully.");
    Judgement bad = judgeReply("Bad Checksum\r\n");
    EXPECT_EQ(bad.verdict, Verdict::Failure);
    EXPECT_EQ(bad.text,
              "The sign say : A checksum is provided but the checksum is not equal to the "
              "calculated value.");
    EXPECT_EQ(judgeReply("Bad Checksum").verdict, Verdict::Undecided);
    EXPECT_EQ(judgeReply("bad checksum, ok\r\n").verdict, Verdict::Success);  // "ok" first
    EXPECT_EQ(judgeReply("garbage\r\n").verdict, Verdict::Undecided);
    // Order among the error words: the first in the table decides.
    Judgement two = judgeReply("invalid address unknown command code\r\n");
    EXPECT_NE(two.text.find("unknown command code is found"), std::string::npos);
    std::string withNul("\0file does not exist\r\n", 22);
    EXPECT_EQ(judgeReply(withNul).verdict, Verdict::Failure);
    for (const auto& w : replyWords()) {
        Judgement j = judgeReply(std::string(w.word) + "\r\n");
        EXPECT_NE(j.verdict, Verdict::Undecided) << w.word;
        EXPECT_EQ(j.text, std::string("The sign say : ") + w.text);
    }
}

TEST(Protocol, SignParsesConversation) {
    lumavox::sim::SimOptions o;
    o.addresses = {1};
    lumavox::sim::ConversationLog log;
    lumavox::sim::NvsEngine sign(o, log);
    std::string conv = "^B1" + allocTextCommand("Main", 10) + textDataCommand("$Main$a^^b") +
                       runSequenceCommand("$Main$") + "^C";
    // Fed one byte at a time: carets split across reads are kept.
    for (char ch : conv) {
        uint8_t b = static_cast<uint8_t>(ch);
        sign.feed(std::span<const uint8_t>(&b, 1), 0);
    }
    auto out = sign.takeOutput(0);
    EXPECT_EQ(std::string(out.begin(), out.end()), "ok\r\n");
    const auto& f = sign.signs()[0].files.at("main");
    EXPECT_EQ(f.body, "$Main$a^^b");
    EXPECT_EQ(sign.signs()[0].runSequence, std::vector<std::string>{"Main"});
}

TEST(Protocol, SignReportsErrors) {
    lumavox::sim::SimOptions o;
    o.addresses = {1};
    lumavox::sim::ConversationLog log;
    lumavox::sim::NvsEngine sign(o, log);
    auto run = [&](const std::string& conv) {
        sign.feed(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(conv.data()), conv.size()),
            0);
        auto out = sign.takeOutput(0);
        return std::string(out.begin(), out.end());
    };
    EXPECT_EQ(run("^B1^ACCM^D0000^C"), "bad checksum\r\n");
    EXPECT_EQ(run("^B1" + textDataCommand("$Nope$x") + "^C"), "file does not exist\r\n");
    EXPECT_EQ(run("^B1" + allocTextCommand("A", 3) + textDataCommand("$A$xyz") + "^C"),
              "file out of allocated size\r\n");
    EXPECT_EQ(run("^B1" + withChecksum("^ACSD139920244^D", false) + "^C"),
              "invalid date format\r\n");
    EXPECT_EQ(run("^B1" + withChecksum("^ACST250000^D", false) + "^C"), "invalid time format\r\n");
    EXPECT_EQ(run("^B1" + withChecksum("^ACXX^D", false) + "^C"), "unknown command code\r\n");
    EXPECT_EQ(run("^B1" + withChecksum("^ACSM$$T1^D", false) + "^C"), "invalid file label\r\n");
    EXPECT_EQ(run("^B1" + withChecksum("^ACSM$A$TZZ^D", false) + "^C"), "invalid file size\r\n");
    EXPECT_EQ(run("^B1" + withChecksum("^ACSM$A$TFFFFFFFF^D", false) + "^C"),
              "not enough memory\r\n");
    EXPECT_EQ(run("^B1" + changeAddressCommand(0) + "^C"), "invalid address\r\n");
    EXPECT_EQ(run("^B1,2" + powerCommand(false) + "^C"), "");  // two addresses: no reply
    EXPECT_FALSE(sign.signs()[0].powerOn);
    EXPECT_EQ(run("^B0" + powerCommand(true) + "^C"), "");
    EXPECT_TRUE(sign.signs()[0].powerOn);
    EXPECT_EQ(run("^B2" + powerCommand(false) + "^C"), "");  // another sign's
    EXPECT_TRUE(sign.signs()[0].powerOn);
}

// Commands, checksums, address strings and the judgement of replies.
#include <gtest/gtest.h>

#include "ControlProtocol.h"
#include "NvsEngine.h"
#include "SignContent.h"

using namespace lumavox::nvs;

// The check words below are worked out by hand from the byte values
// ("^" 94, "A" 65, "C" 67, "D" 68, "$" 36, ...), not by the code under test.
TEST(Protocol, ClearMemoryChecksum) {
    // ^ A C C M ^ D: 94 + 65 + 67 + 67 + 77 + 94 + 68 = 532 = 0x0214
    EXPECT_EQ(checksum("^ACCM^D", true), 0x0214);
    EXPECT_EQ(clearMemoryCommand(), "^ACCM^D0214");
}

TEST(Protocol, ChecksumSignedAndUnsignedDifferAboveSeventyF) {
    // ^ A C S R $ 80 FF $ ^ D read unsigned: 94 + 65 + 67 + 83 + 82 + 36 + 128
    // + 255 + 36 + 94 + 68 = 1008 = 0x03F0. Signed, 0x80 is -128 and 0xFF is -1:
    // 1008 - 256 - 256 = 496 = 0x01F0.
    const std::string cmd = "^ACSR$\x80\xFF$^D";
    EXPECT_EQ(checksum(cmd, false), 0x03F0);
    EXPECT_EQ(checksum(cmd, true), 0x01F0);
    // Run sequences are fixed-pattern commands: signed bytes.
    EXPECT_EQ(runSequenceCommand("$\x80\xFF$"), cmd + "01F0");
    // Text data sums unsigned bytes: ^ A A $ A $ 90 ^ D = 94 + 65 + 65 + 36 + 65
    // + 36 + 144 + 94 + 68 = 667 = 0x029B.
    EXPECT_EQ(textDataCommand("$A$\x90"), std::string("^AA$A$\x90^D") + "029B");
    // The sign agrees on which commands sum signed bytes.
    EXPECT_TRUE(lumavox::sim::nvsChecksumSigned("CSR"));
    EXPECT_FALSE(lumavox::sim::nvsChecksumSigned("CSM"));
}

TEST(Protocol, ChecksumWrapsAtSixteenBits) {
    // 300 bytes of 0xFF: 76500 = 0x12AD4, of which the low 16 bits are kept.
    EXPECT_EQ(checksum(std::string(300, '\xFF'), false), 0x2AD4);
    // Signed, each byte is -1: -300 modulo 65536 = 65236 = 0xFED4.
    EXPECT_EQ(checksum(std::string(300, '\xFF'), true), 0xFED4);
}

TEST(Protocol, Commands) {
    // Date 03 07 2024 weekday 4, then time 09:05:01, each with its own check
    // word: "^ACSD" 377 + "030720244" 454 + "^D" 162 = 993 = 0x03E1, and "^ACST"
    // 393 + "090501" 303 + "^D" 162 = 858 = 0x035A.
    EXPECT_EQ(dateTimeCommands(2024, 3, 7, 4, 9, 5, 1), "^ACSD030720244^D03E1^ACST090501^D035A");
    // "^ACSA0A^D": 94 + 65 + 67 + 83 + 65 + 48 + 65 + 94 + 68 = 649 = 0x0289.
    EXPECT_EQ(changeAddressCommand(0x0A), "^ACSA0A^D0289");
    // "^ACPO^D": 94 + 65 + 67 + 80 + 79 + 94 + 68 = 547 = 0x0223; "^ACPF^D":
    // 538 = 0x021A (F is 70 where O is 79).
    EXPECT_EQ(powerCommand(true), "^ACPO^D0223");
    EXPECT_EQ(powerCommand(false), "^ACPF^D021A");
    // "^ACSM$" 422 + "ABCDEFGHIJKLMN" 1001 + "$T" 120 + "0000001A" 402 + "^D"
    // 162 = 2107 = 0x083B.
    EXPECT_EQ(allocTextCommand("ABCDEFGHIJKLMN", 0x1A), "^ACSM$ABCDEFGHIJKLMN$T0000001A^D083B");
    // The disk file's name goes in lower case: "^ACFM" 373 + "logo.bmp" 798 + "="
    // 61 + "0000012C" 406 + "^D" 162 = 1800 = 0x0708.
    EXPECT_EQ(allocDiskCommand("Logo.BMP", 300), "^ACFMlogo.bmp=0000012C^D0708");
    // "^ACFW" 383 + "a=TWFu" 516 + "^D" 162 = 1061 = 0x0425.
    EXPECT_EQ(diskDataCommand("a=TWFu"), "^ACFWa=TWFu^D0425");
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

namespace {

// One conversation to a sign at address 1 that allocates "Main" and writes
// `body` into it; returns the sign's answer.
std::string sendTextBody(lumavox::sim::NvsEngine& sign, const std::string& body) {
    std::string conv = "^B1" + allocTextCommand("Main", body.size()) + textDataCommand(body) + "^C";
    sign.feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(conv.data()), conv.size()),
              0);
    auto out = sign.takeOutput(0);
    return std::string(out.begin(), out.end());
}

}  // namespace

// A font, colour or move code without its tag between "$" signs, or with a tag
// the sign does not know, is a command the sign refuses; the file keeps nothing.
TEST(Protocol, SignRefusesBareAndUnknownTags) {
    lumavox::sim::SimOptions o;
    o.addresses = {1};
    lumavox::sim::ConversationLog log;
    lumavox::sim::NvsEngine sign(o, log);
    const std::string refused = "unknown command code\r\n";

    EXPECT_EQ(sendTextBody(sign, "$Main$^F$SS7$^E$SLL$^O$RED$Hi"), "ok\r\n");
    EXPECT_EQ(sendTextBody(sign, "$Main$^F$AR24$^E$SCU$^O$INV9$x"), "ok\r\n");
    EXPECT_EQ(sendTextBody(sign, "$Main$^O$RGB(00FF00,000000)$x"), "ok\r\n");
    // "^^F" is a caret in the text followed by the letter F.
    EXPECT_EQ(sendTextBody(sign, "$Main$a^^F$b"), "ok\r\n");

    EXPECT_EQ(sendTextBody(sign, "$Main$^FSS7x"), refused);          // bare font tag
    EXPECT_EQ(sendTextBody(sign, "$Main$^F[SS7]x"), refused);        // brackets kept
    EXPECT_EQ(sendTextBody(sign, "$Main$^F$SS9$x"), refused);        // no such font
    EXPECT_EQ(sendTextBody(sign, "$Main$^E$AUT"), refused);          // unterminated
    EXPECT_EQ(sendTextBody(sign, "$Main$^E$XYZ$x"), refused);        // no such effect
    EXPECT_EQ(sendTextBody(sign, "$Main$^ORED$x"), refused);         // bare colour tag
    EXPECT_EQ(sendTextBody(sign, "$Main$^O$red$x"), refused);        // tags are upper case
    EXPECT_EQ(sendTextBody(sign, "$Main$^O$RGB(FF,0)$x"), refused);  // six digits each
    EXPECT_EQ(sendTextBody(sign, "$Main$^O$RGB(1000000,000000)$x"), refused);
    EXPECT_EQ(sendTextBody(sign, "$Main$ok^O"), refused);  // code at the end
    // The refused body was not written into the file allocated for it.
    EXPECT_FALSE(sign.signs()[0].files.at("main").written);
    EXPECT_EQ(sign.signs()[0].files.at("main").body, "");
}

// Whatever font, colour and effect a host picks, the control's encoding is
// one the sign accepts.
TEST(Protocol, EveryEncodedTagIsOneTheSignKnows) {
    lumavox::sim::SimOptions o;
    o.addresses = {1};
    lumavox::sim::ConversationLog log;
    lumavox::sim::NvsEngine sign(o, log);
    for (int height : {16, 32}) {
        SignContent c;
        c.setSignInfo(160, height, 1);
        ASSERT_EQ(c.addRichFile("Main"), 1);
        for (int16_t font = -1; font <= 15; ++font)
            c.setFont(font);
        for (int16_t colour = -1; colour <= 26; ++colour)
            c.setColorIndex(colour);
        c.setColorRGB(0x7FFFFFFF, -1);
        for (int16_t move = 0; move <= 43; ++move)
            c.setMoveMethod(move);
        c.addMessage("x");
        std::string body = c.body(c.files().front());
        EXPECT_EQ(sendTextBody(sign, body), "ok\r\n") << "height " << height << ": " << body;
    }
}

// A font keeps the tag chosen when SetFont was called: declaring the sign
// lower or taller afterwards changes neither the tag nor what the sign accepts.
TEST(Protocol, FontKeepsTheTagChosenWhenItWasSet) {
    lumavox::sim::SimOptions o;
    o.addresses = {1};
    lumavox::sim::ConversationLog log;
    lumavox::sim::NvsEngine sign(o, log);

    SignContent c;
    c.setSignInfo(160, 32, 1);
    ASSERT_EQ(c.addRichFile("Main"), 1);
    ASSERT_EQ(c.setFont(12), 1);  // "[AR12]", tall signs only
    c.addMessage("x");
    ASSERT_TRUE(c.setSignInfo(96, 16, 1));
    std::string body = c.body(c.files().front());
    EXPECT_EQ(body, "$Main$^F$AR12$x");
    EXPECT_EQ(sendTextBody(sign, body), "ok\r\n");

    SignContent low;
    low.setSignInfo(160, 16, 1);
    ASSERT_EQ(low.addRichFile("Main"), 1);
    ASSERT_EQ(low.setFont(4), 1);  // "[SS16]" on a low sign, "[SS15]" on a tall one
    low.addMessage("x");
    ASSERT_TRUE(low.setSignInfo(160, 32, 1));
    body = low.body(low.files().front());
    EXPECT_EQ(body, "$Main$^F$SS16$x");
    EXPECT_EQ(sendTextBody(sign, body), "ok\r\n");
}

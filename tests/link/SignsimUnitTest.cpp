// The virtual sign's parts without a line: options and payload codes.
#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "SignCommands.h"
#include "SimOptions.h"

using namespace lumavox;
using namespace lumavox::sim;
using lumavox::test::bytesOf;
using lumavox::test::hexBytes;
using lumavox::test::textBody;

namespace {

bool parse(std::vector<std::string> args, SimOptions& o, std::string& error) {
    std::vector<char*> argv{const_cast<char*>("signsim")};
    for (auto& a : args)
        argv.push_back(a.data());
    bool help = false;
    return parseOptions(static_cast<int>(argv.size()), argv.data(), o, help, error);
}

CommandResult runCmd(SignState& s, const std::vector<uint8_t>& bytes) {
    return applyNextCommand(s, bytes, SignIdentity{"M", "S", 1});
}

}  // namespace

TEST(SignsimOptions, AddressListsAndRanges) {
    std::vector<uint8_t> out;
    std::string error;
    ASSERT_TRUE(parseAddressList("1,3,12-10", out, error));
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 3, 10, 11, 12}));
    EXPECT_FALSE(parseAddressList("", out, error));
    EXPECT_FALSE(parseAddressList("0", out, error));
    EXPECT_FALSE(parseAddressList("256", out, error));
    EXPECT_FALSE(parseAddressList("1-", out, error));
    EXPECT_FALSE(parseAddressList("a", out, error));
}

TEST(SignsimOptions, ParsesFaultsAndFixedAnswers) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--tcp", "0", "--config", "0x21", "--frame", "11", "--delay-ms", "5",
                       "--drop-handshake", "2", "--repeat-reply", "--corrupt-reply"},
                      o, error))
        << error;
    EXPECT_EQ(o.tcpPort, 0);
    EXPECT_EQ(o.config, 0x21);
    EXPECT_EQ(o.frameSize, 11);
    EXPECT_EQ(o.delayMs, 5);
    EXPECT_EQ(o.dropHandshake, 2);
    EXPECT_TRUE(o.repeatReply && o.corruptReply);
    SimOptions p;
    EXPECT_FALSE(parse({"--tcp", "0", "--frame", "12x"}, p, error));
    EXPECT_NE(error.find("--frame"), std::string::npos);
}

TEST(SignsimCommands, FilesArriveInPiecesAndAreCheckedWhole) {
    SignState s;
    auto body = textBody("NEWS", 100);
    std::vector<uint8_t> payload{'a'};
    payload.insert(payload.end(), body.begin(), body.end());
    EXPECT_EQ(runCmd(s, std::vector<uint8_t>(payload.begin(), payload.begin() + 50)).status,
              CommandResult::NeedMore);
    auto r = runCmd(s, payload);
    ASSERT_EQ(r.status, CommandResult::Done);
    EXPECT_EQ(r.consumed, 101u);
    ASSERT_EQ(s.texts.size(), 1u);
    EXPECT_EQ(nameText(s.texts[0].name), "NEWS");
    payload[40] ^= 1;
    EXPECT_EQ(runCmd(s, payload).status, CommandResult::Bad);
}

TEST(SignsimCommands, OptionBytesAndTerminators) {
    SignState s;
    s.texts.push_back({});
    s.graphics.push_back({});
    auto r = runCmd(s, bytesOf("ez"));
    EXPECT_EQ(r.consumed, 2u);
    EXPECT_TRUE(s.texts.empty() && s.graphics.empty());
    s.texts.push_back({});
    r = runCmd(s, bytesOf("ha"));  // an option byte directly followed by the file
    EXPECT_EQ(r.consumed, 1u);
    EXPECT_TRUE(s.texts.empty());
    EXPECT_EQ(runCmd(s, bytesOf("tx")).status, CommandResult::Bad);
    EXPECT_EQ(runCmd(s, bytesOf("t")).status, CommandResult::NeedMore);
    runCmd(s, bytesOf("tz"));
    EXPECT_FALSE(s.displayOn);
    runCmd(s, bytesOf("sz"));
    EXPECT_TRUE(s.testActive);
    r = runCmd(s, bytesOf("z"));
    EXPECT_TRUE(r.endSession);
    EXPECT_FALSE(s.testActive);
    EXPECT_EQ(runCmd(s, bytesOf("B\x08z")).status, CommandResult::Bad);
    runCmd(s, bytesOf("B\x05z"));
    EXPECT_EQ(s.baudIndex, 5);
    EXPECT_EQ(runCmd(s, std::vector<uint8_t>{'A', 0, 'z'}).status, CommandResult::Bad);
    runCmd(s, hexBytes("64 09 05 0E 07 03 18 7A"));
    EXPECT_TRUE(s.clockSet);
    EXPECT_EQ(s.clock[2], 14);
    EXPECT_EQ(runCmd(s, bytesOf("?")).status, CommandResult::Bad);
}

TEST(SignsimCommands, ReadRepliesHaveTheirLayouts) {
    SignState s;
    auto body = textBody("A", 4096);
    SignState::put(s.texts, {{'A'}, body});
    auto r = runCmd(s, bytesOf("i"));
    ASSERT_TRUE(r.reply);
    EXPECT_EQ(*r.reply, hexBytes("69 00 10 00 F0 00 00 00 40"));
    r = runCmd(s, bytesOf("k"));
    ASSERT_EQ(r.reply->size(), 19u);
    EXPECT_EQ((*r.reply)[11] | ((*r.reply)[12] << 8), 4096);
    EXPECT_EQ(std::vector<uint8_t>(r.reply->begin() + 13, r.reply->end()),
              std::vector<uint8_t>(body.begin() + 11, body.begin() + 17));
    r = runCmd(s, bytesOf("mB\0\0\0\0\0\0"));
    EXPECT_EQ(r.status, CommandResult::NeedMore);  // the name is 8 bytes
    r = runCmd(s, std::vector<uint8_t>{'m', 'B', 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(*r.reply, bytesOf("m"));  // no such file: the code alone
    r = runCmd(s, bytesOf("I"));
    EXPECT_EQ(*r.reply, hexBytes("49 01"));
}

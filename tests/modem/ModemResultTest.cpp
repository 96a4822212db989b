// Result words, the collector and the GSM status lines.
#include <gtest/gtest.h>

#include "strings/ModemTexts.h"
#include "strings/StringTable.h"
#include "transport/ModemResult.h"

namespace lumavox {
namespace {

std::vector<uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(ModemResult, WordsAreClassifiedInTableOrder) {
    EXPECT_EQ(classifyModemText("ok"), ModemCode::Ok);
    EXPECT_EQ(classifyModemText("CONNECT 9600"), ModemCode::Connect);
    EXPECT_EQ(classifyModemText("RING"), ModemCode::Ring);
    EXPECT_EQ(classifyModemText("NO CARRIER"), ModemCode::NoCarrier);
    EXPECT_EQ(classifyModemText("no car"), ModemCode::NoCarrier);
    EXPECT_EQ(classifyModemText("+CME ERROR: 10"), ModemCode::Error);
    EXPECT_EQ(classifyModemText("NO DIALTONE"), ModemCode::NoDialtone);
    EXPECT_EQ(classifyModemText("NO DIAL TONE"), ModemCode::NoDialtone);
    EXPECT_EQ(classifyModemText("BUSY"), ModemCode::Busy);
    EXPECT_EQ(classifyModemText("+CSQ: 17,0"), ModemCode::None);
    EXPECT_EQ(classifyModemText(""), ModemCode::None);
    // The order decides: a text with both words is the earlier one's.
    EXPECT_EQ(classifyModemText("ERROR OK"), ModemCode::Ok);
    EXPECT_EQ(text(modemCodeTextId(ModemCode::NoDialtone)), "Connect Status:\rNo dialtone!");
    EXPECT_EQ(text(modemCodeTextId(ModemCode::None)), "Connect Status:\rUnknow status");
}

TEST(ModemResult, CollectorEndsLinesAtCarriageReturns) {
    ModemResultCollector c;
    EXPECT_TRUE(c.feed(bytes("\r\nCONN"), false).size() == 1);  // the empty first line
    auto lines = c.feed(bytes("ECT 9600\r\n"), false);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].code, ModemCode::Connect);
    EXPECT_EQ(lines[0].text, "CONNECT 9600");

    // Kept text: each line is classified with everything collected so far.
    c.clear();
    lines = c.feed(bytes("\r\n+CREG: 0,5\r\n\r\nOK\r\n"), true);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().code, ModemCode::Ok);
    EXPECT_NE(c.text().find("+CREG: 0,5"), std::string::npos);
}

TEST(ModemResult, EndlessTalkKeepsTheCollectorBounded) {
    ModemResultCollector c;
    std::string noise(1000, 'x');
    for (int i = 0; i < 100; ++i)
        c.feed(bytes(noise), true);
    for (int i = 0; i < 10000; ++i)
        c.feed(bytes("\r"), true);
    EXPECT_LE(c.text().size(), ModemResultCollector::kMaxText);
    // A result word after the noise is still seen.
    auto lines = c.feed(bytes("OK\r"), true);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].code, ModemCode::Ok);
}

TEST(ModemResult, Registration) {
    EXPECT_TRUE(gsmRegistered("\r\n+CREG: 0,1\r\n\r\nOK"));
    EXPECT_TRUE(gsmRegistered("+CREG: 0, 5 \r\nOK"));  // roaming
    EXPECT_FALSE(gsmRegistered("+CREG: 0,2\r\nOK"));   // searching
    EXPECT_FALSE(gsmRegistered("+CREG: 0,1\r\nERROR"));
    EXPECT_FALSE(gsmRegistered("+CREG 0 1\r\nOK"));  // no markers
    EXPECT_FALSE(gsmRegistered("OK"));
    EXPECT_FALSE(gsmRegistered("+CREG: 0,"));
}

TEST(ModemResult, SignalLinesAndClasses) {
    EXPECT_EQ(gsmSignalLine("\r\n+CSQ: 17,99\r\n\r\nOK"), "Signal strength:  Good(17)\n");
    struct Case {
        int rssi;
        const char* cls;
    } cases[] = {{0, "Bad"},      {9, "Bad"},      {10, "Acceptable"}, {14, "Acceptable"},
                 {15, "Good"},    {19, "Good"},    {20, "Very good"},  {25, "Very good"},
                 {26, "Perfect"}, {31, "Perfect"}, {99, "Perfect"}};
    for (const Case& c : cases)
        EXPECT_EQ(gsmSignalLine("+CSQ: " + std::to_string(c.rssi) + ",0"),
                  "Signal strength:  " + std::string(c.cls) + "(" + std::to_string(c.rssi) + ")\n");
    const std::string unknown = "Signal strength:  Bad(Unknow)\n";
    EXPECT_EQ(gsmSignalLine("ERROR"), unknown);
    EXPECT_EQ(gsmSignalLine("+CSQ: ,0\r\nOK"), unknown);
    EXPECT_EQ(gsmSignalLine("+CSQ 17 0"), unknown);
    EXPECT_EQ(gsmSignalLine("+CSQ: 99999999999999,0"), unknown);
    EXPECT_EQ(gsmSignalLine("+CSQ: x1,0"), unknown);
}

}  // namespace
}  // namespace lumavox

// Address lists, payloads and the reply rules, without a sign.
#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "session/AddressList.h"
#include "session/ReadBack.h"
#include "session/SignCommands.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

using test::hexBytes;

TEST(AddressList, ListsAndRanges) {
    EXPECT_EQ(parseAddressList("1,3,10-12"), (std::vector<uint8_t>{1, 3, 10, 11, 12}));
    EXPECT_EQ(parseAddressList("3-1"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(parseAddressList("0-255").size(), 255u);
    // Numbers above a byte are refused before a list is used; never cut to one.
    EXPECT_TRUE(parseAddressList("257").empty());
    EXPECT_TRUE(parseAddressList("0-300").empty());
    EXPECT_EQ(parseAddressList("300,2"), (std::vector<uint8_t>{2}));
    EXPECT_TRUE(parseAddressList("").empty());
}

TEST(AddressList, NumbersAboveOneByteAreRefused) {
    for (const char* list : {"300", "1,256", "0-300", "300-1", "2,99999999999999999999"})
        EXPECT_EQ(checkAddressText(list), msg::kAddressTooLarge) << list;
    EXPECT_EQ(checkAddressText("255"), 0);
    EXPECT_EQ(checkAddressText("0-255"), 0);
    // The stored setting gets this check alone: its other oddities are skipped.
    EXPECT_EQ(checkAddressNumbers("1,,300"), msg::kAddressTooLarge);
    EXPECT_EQ(checkAddressNumbers("1,,3"), 0);
    EXPECT_EQ(text(msg::kAddressTooLarge),
              "Sorry,the address of moving-sign can't be larger than 255, please re-enter!");
}

TEST(AddressList, TheFourRefusals) {
    EXPECT_EQ(checkAddressText(""), msg::kAddressEmpty);
    EXPECT_EQ(checkAddressText(",1"), msg::kAddressFirstChar);
    EXPECT_EQ(checkAddressText("-1"), msg::kAddressFirstChar);
    EXPECT_EQ(checkAddressText("1-"), msg::kAddressLastChar);
    EXPECT_EQ(checkAddressText("1,,2"), msg::kAddressInvalid);
    EXPECT_EQ(checkAddressText("1,-2"), msg::kAddressInvalid);
    EXPECT_EQ(checkAddressText("1,3,10-12"), 0);
    EXPECT_EQ(text(msg::kAddressEmpty),
              "The address of moving-sign that will receive message can't be empty!");
}

TEST(Payloads, ClockAndYearLimits) {
    CalendarTime t{2024, 3, 7, 14, 5, 9};
    EXPECT_EQ(adjustTimePayload(t), hexBytes("64 09 05 0E 07 03 18 7A"));
    t.year = 1999;
    EXPECT_EQ(adjustTimePayload(t)[6], 0);
    t.year = 2150;
    EXPECT_EQ(adjustTimePayload(t)[6], 99);
}

TEST(Payloads, Commands) {
    AutoOnOffRecord r{true, 7, 30, false, 22, 0};
    EXPECT_EQ(autoOnOffPayload(r), hexBytes("4A 01 07 1E 00 16 00 7A"));
    EXPECT_EQ(setDefaultPayload("NEWS"), hexBytes("6A 4E 45 57 53 00 00 00 00 7A"));
    EXPECT_EQ(simpleCommandPayload(UpdateKind::ClearGraphics), hexBytes("67 7A"));
    EXPECT_EQ(simpleCommandPayload(UpdateKind::CloseTest), hexBytes("7A"));
    EXPECT_EQ(schedulePayload({}), hexBytes("63 00 7A"));
    EXPECT_EQ(changeAddressPayload(7), hexBytes("41 07 7A"));
    EXPECT_EQ(changeBaudPayload(5), hexBytes("42 05 7A"));
    EXPECT_EQ(readRequestPayload(ReadKind::TextFile, "NEWS"),
              hexBytes("6D 4E 45 57 53 00 00 00 00"));
    EXPECT_EQ(readRequestPayload(ReadKind::ConfigWord), hexBytes("49"));
    EXPECT_EQ(text(commandLabelId(UpdateKind::ChangeAddress)),
              "Send 'Change address'  to  address %d#");
}

TEST(ReadBack, MemoryDisplay) {
    auto r = hexBytes("69 00 10 00 F0 00 02 00 3E");
    EXPECT_EQ(replyLength(ReadKind::Memory, r, r.size()).expected, 9u);
    EXPECT_EQ(memoryInfoText(r),
              "Text Used:\t4096\tBytes\r\nText Free:\t61440\tBytes\r\nGraphic Used:\t512\tBytes\r\n"
              "Graphic Free:\t15872\tBytes");
    EXPECT_EQ(memoryInfoText({}), "No receive data");
}

TEST(ReadBack, ConfigWordAndDefaultFile) {
    std::string s = configWordText(hexBytes("49 21"));
    EXPECT_EQ(s,
              "SOUND\t:ON\rAUTO BACKUP\t:OFF\rAUTO RECOVER\t:OFF\rDEFAULT COMM OPTIONS:Display the "
              "Communication Status\rBATTERY BACKUP\t:OFF\rAUTO DEMO\t:ON\r");
    EXPECT_EQ(defaultFileText(hexBytes("79 4E 45 57 53 00 00 00 00")),
              "The default file is:\tNEWS");
    EXPECT_EQ(serialNumberText(hexBytes("45 00")), "Product S/N\t:\t<NONE>");
    EXPECT_EQ(autoOnOffText(hexBytes("4B 01 07 1E 00 16 00")),
              "ON\t:\tAUTO\t07:30\r\rOFF\t:\tMANUAL\t");
}

TEST(ReadBack, CompletionRule) {
    std::vector<uint8_t> dir{0x6B, 3};
    dir.resize(53);
    EXPECT_EQ(replyLength(ReadKind::TextDirectory, std::span(dir).first(2), 2).expected, 53u);
    std::vector<uint8_t> file(12);
    file[10] = 300 & 0xFF;
    file[11] = 300 >> 8;
    EXPECT_EQ(replyLength(ReadKind::TextFile, file, 12).expected, 301u);
    // A length field shorter than a file header is not trusted.
    file[10] = 5;
    file[11] = 0;
    EXPECT_TRUE(replyLength(ReadKind::TextFile, file, 12).untrusted);
    // The sign information split over frames is whole only with its tail.
    std::vector<uint8_t> bios{0x4C, 'K', 'V', 0};
    EXPECT_EQ(replyLength(ReadKind::SignInfo, bios, 4).expected, 13u);
    EXPECT_EQ(replyLength(ReadKind::SignInfo, std::span(bios).first(2), 2).expected, 0u);
    EXPECT_EQ(replyLength(ReadKind::ConfigWord, std::span(bios).first(1), 1).expected, 2u);
}

}  // namespace
}  // namespace lumavox

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "content/Vocabulary.h"

using namespace lumavox;

namespace {

TextItem control(uint8_t kind, uint16_t a = 0, uint16_t b = 0, uint16_t c = 0, uint16_t d = 0) {
    ControlParams p;
    p.valueA = a;
    p.valueB = b;
    p.valueC = c;
    p.valueD = d;
    return TextItem::control(kind, p);
}

}  // namespace

TEST(VocabularyColours, TablesDifferByFamily) {
    EXPECT_EQ(colourCount(SignMode::KV2), 17);
    EXPECT_EQ(colourCount(SignMode::NVS), 26);
    EXPECT_TRUE(validColour(SignMode::KV2, 16));
    EXPECT_FALSE(validColour(SignMode::KV2, 17));
    EXPECT_TRUE(validColour(SignMode::NVS, 25));
    EXPECT_FALSE(validColour(SignMode::NVS, 26));
    EXPECT_FALSE(validColour(SignMode::NVS, -1));

    EXPECT_EQ(colourName(SignMode::KV2, 1), "[RED]");
    EXPECT_EQ(colourName(SignMode::NVS, 1), "[WHT]");
    EXPECT_EQ(colourName(SignMode::NVS, 2), "[RED]");
    EXPECT_EQ(colourName(SignMode::KV2, 9), "[MIX1]");
    EXPECT_EQ(colourName(SignMode::KV2, 16), "[MIX8]");
    EXPECT_EQ(colourName(SignMode::NVS, 16), "[MIX4]");
    EXPECT_EQ(colourName(SignMode::NVS, 17), "[INV1]");
    EXPECT_EQ(colourName(SignMode::NVS, 25), "[INV9]");
    EXPECT_EQ(colourName(SignMode::KV2, 17), "");

    // The default colour is red in both families.
    EXPECT_EQ(colourName(SignMode::KV2, defaultColour(SignMode::KV2)), "[RED]");
    EXPECT_EQ(colourName(SignMode::NVS, defaultColour(SignMode::NVS)), "[RED]");

    for (auto mode : {SignMode::KV2, SignMode::NVS}) {
        auto names = colourNames(mode);
        EXPECT_EQ(std::set<std::string_view>(names.begin(), names.end()).size(), names.size());
    }
}

TEST(VocabularyColours, CycleWrapsEveryWayRound) {
    const std::vector<int> kv2 = {1, 2, 3, 4, 5, 9, 10};
    const std::vector<int> nvs = {2, 3, 5, 8, 9, 13, 14};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(cycleColour(SignMode::KV2, k), kv2[k]);
        EXPECT_EQ(cycleColour(SignMode::NVS, k), nvs[k]);
        EXPECT_EQ(cycleColour(SignMode::KV2, k + 700), kv2[k]);
    }
    EXPECT_EQ(cycleColour(SignMode::KV2, -1), 10);
    EXPECT_EQ(cycleColour(SignMode::NVS, -8), 14);
}

TEST(VocabularyMoves, FamiliesNumberTheEffectsDifferently) {
    for (auto mode : {SignMode::KV2, SignMode::NVS}) {
        ASSERT_EQ(moveMethodNames(mode).size(), 44u);
        EXPECT_EQ(moveMethodName(mode, 0), "[AUTO]");
        EXPECT_EQ(moveMethodName(mode, 20), "[INSLID1]");
        EXPECT_EQ(moveMethodName(mode, 29), "[INROLL6]");
        EXPECT_EQ(moveMethodName(mode, 33), "[SHUTT4]");
        EXPECT_EQ(moveMethodName(mode, 41), "[PACMAN]");
        EXPECT_EQ(moveMethodName(mode, 44), "");
    }
    EXPECT_EQ(moveMethodName(SignMode::KV2, 2), "[SLIDE<-]");
    EXPECT_EQ(moveMethodName(SignMode::NVS, 2), "[SLIDE UP]");
    EXPECT_EQ(moveMethodName(SignMode::KV2, 19), "[ROLL DOWN]");
    EXPECT_EQ(moveMethodName(SignMode::NVS, 19), "[ROLL-><-]");
    EXPECT_EQ(moveMethodName(SignMode::KV2, 39), "[TWINKLE]");
    EXPECT_EQ(moveMethodName(SignMode::NVS, 39), "[FLASH]");
    EXPECT_EQ(moveMethodName(SignMode::KV2, 43), "[ROTATE]");
    EXPECT_EQ(moveMethodName(SignMode::NVS, 43), "[SCROLL]");
}

TEST(VocabularyMoves, OutListIsIndexedByStoredValue) {
    auto out = moveOutNames(SignMode::KV2);
    ASSERT_EQ(out.size(), 45u);
    EXPECT_EQ(out[0], "[NONE]");
    // Stored out value 4 means method 3.
    EXPECT_EQ(out[4], "[SLIDE->]");
    EXPECT_EQ(moveOutName(SignMode::KV2, 4), "[SLIDE->]");
    EXPECT_EQ(moveOutName(SignMode::NVS, 4), "[SLIDE DOWN]");
    EXPECT_EQ(moveOutName(SignMode::NVS, 0), "[NONE]");
    EXPECT_EQ(moveOutName(SignMode::NVS, 45), "");
}

TEST(VocabularyNames, SpeedPauseBeepPropertyFlash) {
    EXPECT_EQ(speedName(0), "[Speed 1(Slowest)]");
    EXPECT_EQ(speedName(1), "[Speed 2]");
    EXPECT_EQ(speedName(7), "[Speed 8(Fastest)]");
    EXPECT_EQ(speedName(8), "");
    EXPECT_EQ(pauseName(0), "[NO PAU]");
    EXPECT_EQ(pauseName(4), "[PAU 5S]");
    EXPECT_EQ(pauseName(7), "[PAU 60S]");
    EXPECT_EQ(beepName(0), "Beep 1");
    EXPECT_EQ(beepName(2), "Beep 3");
    EXPECT_EQ(beepName(3), "");
    EXPECT_EQ(propertyName(2), "[Widen]");
    EXPECT_EQ(flashName(0), "No Flash");
    EXPECT_EQ(flashName(1), "Flash");
}

TEST(VocabularyRowPitch, ValuesFollowHeightAndNvsCap) {
    EXPECT_EQ(rowPitchCount(SignMode::KV2, 16), 16);
    EXPECT_EQ(rowPitchCount(SignMode::NVS, 16), 10);
    EXPECT_EQ(rowPitchCount(SignMode::NVS, 7), 7);
    EXPECT_EQ(rowPitchCount(SignMode::KV2, 0), 0);
    EXPECT_TRUE(validRowPitch(SignMode::KV2, 16, 15));
    EXPECT_FALSE(validRowPitch(SignMode::KV2, 16, 16));
    EXPECT_FALSE(validRowPitch(SignMode::NVS, 32, 10));

    auto entries = rowPitchEntries(SignMode::NVS, 32);
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries.front(), "VS 0");
    EXPECT_EQ(entries.back(), "VS 9");
}

TEST(VocabularyDateTime, ListOrderAndCodesRoundTrip) {
    auto formats = dateTimeFormats();
    ASSERT_EQ(formats.size(), 31u);
    EXPECT_EQ(formats[0].name, "Time1(23:59)");
    EXPECT_EQ(formats[4].code, 16);
    EXPECT_EQ(formats[30].name, "Year(01)");

    std::set<int> codes;
    for (const auto& f : formats) {
        codes.insert(f.code);
        EXPECT_LE(f.code >> 4, 9) << f.name;
        EXPECT_EQ(dateTimeFormatCode(f.name), f.code);
        EXPECT_EQ(dateTimeFormatName(f.code), f.name);
    }
    EXPECT_EQ(codes.size(), 31u);

    EXPECT_EQ(dateTimeFormatName(81), "A/P");
    EXPECT_EQ(dateTimeFormatName(114), "Day(ST)");
    EXPECT_EQ(dateTimeFormatName(132), "Month5(DECEMBER)");
    EXPECT_EQ(dateTimeFormatName(4), "");
    EXPECT_EQ(dateTimeFormatCode("a/P"), std::nullopt);
}

TEST(VocabularyTempCounter, CombinedLabelsAndDialogChoices) {
    auto formats = tempCounterFormats();
    ASSERT_EQ(formats.size(), 13u);
    EXPECT_EQ(tempCounterFormatName(1), "Fahrenheit");
    EXPECT_EQ(tempCounterFormatName(16), "DE-Counter With days");
    EXPECT_EQ(tempCounterFormatName(36), "IN-Counter With HH:MM:SS");
    EXPECT_EQ(tempCounterFormatName(21), "");
    EXPECT_EQ(tempCounterFormatCode("IN-Counter With minutes"), 34);

    EXPECT_TRUE(isCountDownFormat(20));
    EXPECT_FALSE(isCountDownFormat(21));
    EXPECT_TRUE(isCountUpFormat(32));
    EXPECT_TRUE(isCounterFormat(36));
    EXPECT_FALSE(isCounterFormat(2));
    EXPECT_TRUE(validTempCounterFormat(2));
    EXPECT_FALSE(validTempCounterFormat(3));

    // The insert dialog offers "With HH:MM:SS" only for the count-down counter.
    auto choices = tempCounterInsertChoices();
    ASSERT_EQ(choices.size(), 12u);
    auto has = [&](int code) {
        return std::any_of(choices.begin(), choices.end(),
                           [&](const NamedFormat& f) { return f.code == code; });
    };
    EXPECT_TRUE(has(20));
    EXPECT_FALSE(has(36));
}

TEST(VocabularyLabels, ControlItemsShowTheirNames) {
    EXPECT_EQ(itemLabel(control(kMove, 35), SignMode::KV2), "[SNOW]");
    EXPECT_EQ(itemLabel(control(kMove, 2, 43), SignMode::KV2), "[SLIDE<-][SCROLL]");
    EXPECT_EQ(itemLabel(control(kMove, 2, 43), SignMode::NVS), "[SLIDE UP][ROTATE]");
    EXPECT_EQ(itemLabel(control(kSpeed, 0, 0, 7), SignMode::KV2), "[Speed 8(Fastest)]");
    EXPECT_EQ(itemLabel(control(kPause, 0, 0, 0, 5), SignMode::KV2), "[PAU 10S]");
    EXPECT_EQ(itemLabel(control(kBeep, 1), SignMode::KV2), "Beep 2");
    EXPECT_EQ(itemLabel(control(kRowPitch, 3), SignMode::NVS), "[VS 3]");

    auto include = control(kInclude);
    include.params().name = Name9("NEWS");
    EXPECT_EQ(itemLabel(include, SignMode::KV2), "[I:NEWS]");

    auto graphic = control(kGraphicItem);
    graphic.params().name = Name9("LOGO");
    EXPECT_EQ(itemLabel(graphic, SignMode::KV2), "");
    EXPECT_EQ(itemLabel(TextItem::character(CharItem{}), SignMode::KV2), "");
    EXPECT_EQ(itemLabel(TextItem::window(WindowControl{}), SignMode::KV2), "");
}

TEST(VocabularyLabels, SampleItemsUseTheirTextAndBadValuesStayVisible) {
    auto date = control(kDateTime, 0);
    EXPECT_EQ(itemLabel(date, SignMode::KV2), "");
    date.params().text = "12:30";
    EXPECT_EQ(itemLabel(date, SignMode::KV2), "12:30");
    auto temp = control(kTempCounter, 1);
    temp.params().text = "75F";
    EXPECT_EQ(itemLabel(temp, SignMode::NVS), "75F");

    EXPECT_EQ(itemLabel(control(kSpeed, 0, 0, 9), SignMode::KV2), "[?9]");
    EXPECT_EQ(itemLabel(control(kMove, 44, 0), SignMode::KV2), "[?44]");
    EXPECT_EQ(itemLabel(control(kMove, 0, 46), SignMode::KV2), "[AUTO][?46]");
}

TEST(VocabularyLabels, WindowAreaEntriesCountFromOne) {
    EXPECT_EQ(windowAreaEntry(0), "Win 1");
    WindowControl w;
    w.areas.resize(3);
    EXPECT_EQ(windowAreaEntries(w), (std::vector<std::string>{"Win 1", "Win 2", "Win 3"}));
}

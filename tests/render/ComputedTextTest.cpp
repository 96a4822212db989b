#include <gtest/gtest.h>

#include "render/ComputedText.h"

namespace lumavox {
namespace {

CalendarTime at(int year, int month, int day, int hour, int minute, int second, int weekday) {
    return {year, month, day, hour, minute, second, weekday};
}

TimeStamp stamp(int year, int month, int day, int hour, int minute, int second) {
    return {static_cast<uint8_t>(second), static_cast<uint8_t>(minute),
            static_cast<uint8_t>(hour),   static_cast<uint8_t>(day),
            static_cast<uint8_t>(month),  static_cast<uint8_t>(year - 2000)};
}

const DateNames& names() {
    static const DateNames n = DateNames::load();
    return n;
}

TEST(ComputedText, Temperatures) {
    EXPECT_EQ(temperatureText(0), std::string("25\xA9") + "C");
    EXPECT_EQ(temperatureText(1), std::string("72\xA9") + "F");
    EXPECT_EQ(temperatureText(2), "298K");
    EXPECT_EQ(temperatureText(3), "T None");
}

TEST(ComputedText, CountDownBeforeAndAfterTheTarget) {
    const TimeStamp target = stamp(2024, 3, 1, 12, 0, 0);
    // 1 day, 1 hour, 1 minute and 1 second before the target.
    const CalendarTime before = at(2024, 2, 29, 10, 58, 59, 4);
    EXPECT_EQ(counterText(16, target, before), "2");      // days, rounded up
    EXPECT_EQ(counterText(17, target, before), "26");     // 25 hours and some minutes
    EXPECT_EQ(counterText(18, target, before), "1502");   // 1501 minutes and a second
    EXPECT_EQ(counterText(19, target, before), "-----");  // 90061 seconds: above 65535
    EXPECT_EQ(counterText(19, target, at(2024, 3, 1, 11, 59, 0, 5)), "60");
    EXPECT_EQ(counterText(20, target, before), "25:01:01");
    // Exactly on whole units nothing is added.
    const CalendarTime dayBefore = at(2024, 2, 29, 12, 0, 0, 4);
    EXPECT_EQ(counterText(16, target, dayBefore), "1");
    EXPECT_EQ(counterText(17, target, dayBefore), "24");
    EXPECT_EQ(counterText(18, target, dayBefore), "1440");
    EXPECT_EQ(counterText(19, target, dayBefore), "-----");
    EXPECT_EQ(counterText(20, target, dayBefore), "24:00:00");
    // Past the target a count-down shows nothing left.
    const CalendarTime after = at(2024, 3, 1, 12, 0, 1, 5);
    for (int f = 16; f <= 19; ++f)
        EXPECT_EQ(counterText(f, target, after), "0") << f;
    EXPECT_EQ(counterText(20, target, after), "00:00:00");
    EXPECT_EQ(counterText(16, target, at(2024, 3, 1, 12, 0, 0, 5)), "0");
}

TEST(ComputedText, CountUpAndValuesPastTheLimit) {
    const TimeStamp start = stamp(2020, 1, 1, 0, 0, 0);
    const CalendarTime now = at(2024, 3, 1, 8, 0, 0, 5);
    EXPECT_EQ(counterText(32, start, now), "1522");  // days since 2020-01-01, rounded up
    EXPECT_EQ(counterText(33, start, now), "36512");
    EXPECT_EQ(counterText(34, start, now), "-----");
    EXPECT_EQ(counterText(35, start, now), "-----");
    EXPECT_EQ(counterText(36, start, now), "36512:00:00");
    // Before the start a count-up is still at zero.
    EXPECT_EQ(counterText(35, stamp(2025, 1, 1, 0, 0, 0), now), "0");
    EXPECT_EQ(counterText(21, start, now), "");  // not a counter
}

TEST(ComputedText, TimesAroundMidnightAndNoon) {
    const CalendarTime midnight = at(2024, 12, 31, 0, 5, 9, 2);
    EXPECT_EQ(dateTimeText(0, midnight, names()), "00:05");
    EXPECT_EQ(dateTimeText(1, midnight, names()), "00:05:09");
    EXPECT_EQ(dateTimeText(2, midnight, names()), "12:05 am");
    EXPECT_EQ(dateTimeText(3, midnight, names()), "12:05:09 am");
    EXPECT_EQ(dateTimeText(32, midnight, names()), "00");
    EXPECT_EQ(dateTimeText(33, midnight, names()), "12");
    EXPECT_EQ(dateTimeText(80, midnight, names()), "AM");
    EXPECT_EQ(dateTimeText(83, midnight, names()), "a");
    const CalendarTime noon = at(2024, 12, 31, 12, 0, 0, 2);
    EXPECT_EQ(dateTimeText(2, noon, names()), "12:00 pm");
    EXPECT_EQ(dateTimeText(33, noon, names()), "12");
    EXPECT_EQ(dateTimeText(80, noon, names()), "PM");
    EXPECT_EQ(dateTimeText(81, noon, names()), "P");
    EXPECT_EQ(dateTimeText(82, noon, names()), "pm");
    const CalendarTime evening = at(2024, 12, 31, 23, 59, 59, 2);
    EXPECT_EQ(dateTimeText(3, evening, names()), "11:59:59 pm");
    EXPECT_EQ(dateTimeText(33, evening, names()), "11");
    EXPECT_EQ(dateTimeText(48, evening, names()), "59");
    EXPECT_EQ(dateTimeText(64, at(2024, 1, 1, 0, 0, 7, 1), names()), "07");
}

TEST(ComputedText, DatesAtMonthEnds) {
    const CalendarTime t = at(2001, 12, 31, 23, 59, 59, 1);
    EXPECT_EQ(dateTimeText(16, t, names()), "31 Dec 2001");
    EXPECT_EQ(dateTimeText(17, t, names()), "Dec 31, 2001");
    EXPECT_EQ(dateTimeText(18, t, names()), "31/12/2001");
    EXPECT_EQ(dateTimeText(19, t, names()), "12/31/2001");
    EXPECT_EQ(dateTimeText(20, t, names()), "2001.12.31");
    EXPECT_EQ(dateTimeText(96, t, names()), "Mon");
    EXPECT_EQ(dateTimeText(97, t, names()), "Monday");
    EXPECT_EQ(dateTimeText(98, t, names()), "MON");
    EXPECT_EQ(dateTimeText(99, t, names()), "MONDAY");
    EXPECT_EQ(dateTimeText(112, t, names()), "31");
    EXPECT_EQ(dateTimeText(113, t, names()), "st");
    EXPECT_EQ(dateTimeText(114, t, names()), "ST");
    EXPECT_EQ(dateTimeText(128, t, names()), "Dec");
    EXPECT_EQ(dateTimeText(129, t, names()), "December");
    EXPECT_EQ(dateTimeText(130, t, names()), "12");
    EXPECT_EQ(dateTimeText(131, t, names()), "DEC");
    EXPECT_EQ(dateTimeText(132, t, names()), "DECEMBER");
    EXPECT_EQ(dateTimeText(144, t, names()), "2001");
    EXPECT_EQ(dateTimeText(145, t, names()), "01");
    EXPECT_EQ(dateTimeText(20, at(2024, 2, 29, 0, 0, 0, 4), names()), "2024.2.29");
    const struct {
        int day;
        const char* suffix;
    } ordinals[] = {{1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},  {11, "th"}, {12, "th"},
                    {13, "th"}, {21, "st"}, {22, "nd"}, {23, "rd"}, {30, "th"}, {31, "st"}};
    for (const auto& o : ordinals)
        EXPECT_EQ(dateTimeText(113, at(2024, 1, o.day, 0, 0, 0, 0), names()), o.suffix) << o.day;
    EXPECT_EQ(dateTimeText(7, t, names()), "");  // no such format
}

TEST(ComputedText, CountersAcrossMonthAndYearEnds) {
    // From 31 January to 1 March of a leap year: 30 days.
    EXPECT_EQ(counterText(16, stamp(2024, 3, 1, 0, 0, 0), at(2024, 1, 31, 0, 0, 0, 3)), "30");
    EXPECT_EQ(counterText(16, stamp(2023, 3, 1, 0, 0, 0), at(2023, 1, 31, 0, 0, 0, 2)), "29");
    EXPECT_EQ(counterText(20, stamp(2025, 1, 1, 0, 0, 0), at(2024, 12, 31, 23, 59, 58, 2)),
              "00:00:02");
    EXPECT_EQ(secondsSince2000(2000, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(secondsSince2000(2000, 3, 1, 0, 0, 0), 60 * 86400);
}

TEST(ComputedText, ItemsGiveTheirSampleText) {
    ControlParams p;
    p.valueA = 1;
    EXPECT_EQ(computedText(TextItem::control(kDateTime, p), at(2024, 3, 1, 8, 7, 6, 5), names()),
              "08:07:06");
    p.valueA = 2;
    EXPECT_EQ(computedText(TextItem::control(kTempCounter, p), {}, names()), "298K");
    p.valueA = 16;
    TimeStamp target = stamp(2024, 3, 3, 8, 0, 0);
    {
        const auto bytes = target.bytes();
        std::copy(bytes.begin(), bytes.end(), p.name.bytes.begin());
    }
    EXPECT_EQ(computedText(TextItem::control(kTempCounter, p), at(2024, 3, 1, 8, 0, 0, 5), names()),
              "2");
    EXPECT_EQ(computedText(TextItem::control(kSpeed, p), {}, names()), "");
}

}  // namespace
}  // namespace lumavox

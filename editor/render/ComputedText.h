// The texts shown in place of computed items: temperature, counters, and date
// and time. The sign fills in live values; the editor and the preview show
// these samples, made from an injected "now" so that they are reproducible.
#pragma once

#include <string>

#include "content/Model.h"
#include "platform/Clock.h"
#include "strings/DateNames.h"

namespace lumavox {

// The degree sign's character code in our font files.
constexpr char kDegreeCode = static_cast<char>(169);

// Temperature formats 0-2: "25", degree, "C"; "72", degree, "F"; "298K";
// anything else "T None".
std::string temperatureText(int format);

// Counters: 16-20 count down to `target`, 32-36 count up from it; the low part
// selects days, hours, minutes, seconds or "HH:MM:SS". Values below 0 show as
// "0" ("00:00:00" for the clock form), values above 65535 as "-----".
std::string counterText(int format, const TimeStamp& target, const CalendarTime& now);

// Date and time formats (the codes of the insert dialog); empty for a code
// that names no format. Names come from `names` (the language layer).
std::string dateTimeText(int format, const CalendarTime& now, const DateNames& names);

// The sample text of a temperature/counter (240) or date/time (246) item;
// empty for any other item.
std::string computedText(const TextItem& item, const CalendarTime& now, const DateNames& names);

// Seconds from 2000-01-01 00:00:00 of a calendar time (proleptic Gregorian;
// months and days out of range are clamped to 1-12 and 1-31).
int64_t secondsSince2000(int year, int month, int day, int hour, int minute, int second);

}  // namespace lumavox

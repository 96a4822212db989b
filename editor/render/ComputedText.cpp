#include "render/ComputedText.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "content/Vocabulary.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

// Half a second in days: keeps the floor of a whole number of units from
// dropping to the unit below through rounding.
constexpr double kHalfSecondInDays = 1.0 / 172800.0;
constexpr int64_t kMaxCounterValue = 65535;

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The hour on a 12-hour clock: 0 and 12 show as 12.
int hour12(int hour) {
    int h = hour % 12;
    return h == 0 ? 12 : h;
}

const std::string& marker(const DateNames& n, int hour, int form) {
    // markers: AM, A, PM, P, am, a, pm, p; form 0 "AM/PM", 1 "A/P", 2 "am/pm", 3 "a/p"
    static const int kBase[] = {0, 1, 4, 5};
    return n.markers[static_cast<size_t>(kBase[form] + (hour >= 12 ? 2 : 0))];
}

const std::string& ordinal(const DateNames& n, int day) {
    int i = 3;  // "th"
    if (day == 1 || day == 21 || day == 31) i = 0;
    if (day == 2 || day == 22) i = 1;
    if (day == 3 || day == 23) i = 2;
    return n.ordinals[static_cast<size_t>(i)];
}

template <size_t N>
const std::string& pick(const std::array<std::string, N>& names, int index) {
    static const std::string none;
    return index >= 0 && static_cast<size_t>(index) < N ? names[static_cast<size_t>(index)] : none;
}

std::string counterValue(int64_t value) {
    if (value < 0) return "0";
    if (value > kMaxCounterValue) return "-----";
    return formatText("%d", {static_cast<long long>(value)});
}

}  // namespace

int64_t secondsSince2000(int year, int month, int day, int hour, int minute, int second) {
    month = std::clamp(month, 1, 12);
    day = std::clamp(day, 1, 31);
    // Days from the civil date (H. Hinnant's algorithm).
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = (month + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5 + day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t days = era * 146097 + doe - 730425;  // 730425: days from 0000-03-01 to 2000-01-01
    return days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
}

std::string temperatureText(int format) {
    switch (format) {
        case 0:
            return formatText("25%c%c", {int{static_cast<unsigned char>(kDegreeCode)}, "C"});
        case 1:
            return formatText("72%c%c", {int{static_cast<unsigned char>(kDegreeCode)}, "F"});
        case 2:
            return formatText("298%c", {"K"});
        default:
            return "T None";
    }
}

std::string counterText(int format, const TimeStamp& target, const CalendarTime& now) {
    if (!isCounterFormat(format)) return {};
    const int64_t targetSec = secondsSince2000(2000 + target.year, target.month, target.day,
                                               target.hour, target.minute, target.second);
    const int64_t nowSec =
        secondsSince2000(now.year, now.month, now.day, now.hour, now.minute, now.second);
    const int64_t diffSec = isCountDownFormat(format) ? targetSec - nowSec : nowSec - targetSec;
    const double days = static_cast<double>(diffSec) / 86400.0;
    const auto whole = [&](double unitsPerDay) {
        return static_cast<int64_t>(std::floor(days * unitsPerDay + kHalfSecondInDays));
    };
    switch (format & 0x0F) {
        case 0: {
            int64_t s = whole(86400);
            if (s < 0) return counterValue(s);
            return counterValue((s + 86399) / 86400);  // rounded up
        }
        case 1:
            return counterValue(whole(24) + (diffSec % 3600 > 0 ? 1 : 0));
        case 2:
            return counterValue(whole(1440) + (diffSec % 60 > 0 ? 1 : 0));
        case 3:
            return counterValue(whole(86400));
        default: {
            int64_t h = diffSec / 3600;
            int64_t m = diffSec / 60 % 60;
            int64_t s = diffSec % 60;
            if (h < 0 || m < 0 || s < 0) return "00:00:00";
            return formatText(
                "%02d:%02d:%02d",
                {static_cast<long long>(h), static_cast<long long>(m), static_cast<long long>(s)});
        }
    }
}

std::string dateTimeText(int format, const CalendarTime& t, const DateNames& n) {
    const int year = t.year;
    switch (format) {
        case 0:
            return formatText("%02d:%02d", {t.hour, t.minute});
        case 1:
            return formatText("%02d:%02d:%02d", {t.hour, t.minute, t.second});
        case 2:
            return formatText("%d:%02d %s", {hour12(t.hour), t.minute, marker(n, t.hour, 2)});
        case 3:
            return formatText("%d:%02d:%02d %s",
                              {hour12(t.hour), t.minute, t.second, marker(n, t.hour, 2)});
        case 16:
            return formatText("%d %s %d", {t.day, pick(n.monthShort, t.month - 1), year});
        case 17:
            return formatText("%s %d, %d", {pick(n.monthShort, t.month - 1), t.day, year});
        case 18:
            return formatText("%d/%d/%d", {t.day, t.month, year});
        case 19:
            return formatText("%d/%d/%d", {t.month, t.day, year});
        case 20:
            return formatText("%d.%d.%d", {year, t.month, t.day});
        case 32:
            return formatText("%02d", {t.hour});
        case 33:
            return formatText("%d", {hour12(t.hour)});
        case 48:
            return formatText("%02d", {t.minute});
        case 64:
            return formatText("%02d", {t.second});
        case 80:
        case 81:
        case 82:
        case 83:
            return marker(n, t.hour, format - 80);
        case 96:
            return pick(n.weekdayShort, t.weekday);
        case 97:
            return pick(n.weekdayLong, t.weekday);
        case 98:
            return upper(pick(n.weekdayShort, t.weekday));
        case 99:
            return upper(pick(n.weekdayLong, t.weekday));
        case 112:
            return formatText("%d", {t.day});
        case 113:
            return ordinal(n, t.day);
        case 114:
            return upper(ordinal(n, t.day));
        case 128:
            return pick(n.monthShort, t.month - 1);
        case 129:
            return pick(n.monthLong, t.month - 1);
        case 130:
            return formatText("%d", {t.month});
        case 131:
            return upper(pick(n.monthShort, t.month - 1));
        case 132:
            return upper(pick(n.monthLong, t.month - 1));
        case 144:
            return formatText("%d", {year});
        case 145:
            return formatText("%02d", {((year % 100) + 100) % 100});
        default:
            return {};
    }
}

std::string computedText(const TextItem& item, const CalendarTime& now, const DateNames& names) {
    if (item.isChar() || item.isWindow()) return {};
    const ControlParams& p = item.params();
    if (item.kind == kDateTime) return dateTimeText(p.valueA, now, names);
    if (item.kind != kTempCounter) return {};
    if (isCounterFormat(p.valueA))
        return counterText(p.valueA, TimeStamp::fromBytes(p.name.bytes.data()), now);
    return temperatureText(p.valueA);
}

}  // namespace lumavox

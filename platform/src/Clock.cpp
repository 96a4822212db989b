#include "platform/Clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace lumavox {

CalendarTime SystemClock::localNow() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    CalendarTime c;
    c.year = tm.tm_year + 1900;
    c.month = tm.tm_mon + 1;
    c.day = tm.tm_mday;
    c.hour = tm.tm_hour;
    c.minute = tm.tm_min;
    c.second = tm.tm_sec;
    c.weekday = tm.tm_wday;
    return c;
}

uint64_t SystemClock::tickMs() const {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

const SystemClock& SystemClock::instance() {
    static const SystemClock clock;
    return clock;
}

namespace chr = std::chrono;

CalendarTime addSeconds(const CalendarTime& t, int64_t seconds) {
    const auto day = chr::sys_days(chr::year(t.year) / chr::month(static_cast<unsigned>(t.month)) /
                                   chr::day(static_cast<unsigned>(t.day)));
    const auto point = chr::sys_seconds(day) + chr::hours(t.hour) + chr::minutes(t.minute) +
                       chr::seconds(t.second) + chr::seconds(seconds);
    const auto newDay = chr::floor<chr::days>(point);
    const chr::year_month_day ymd(newDay);
    const chr::hh_mm_ss hms(point - newDay);
    CalendarTime out;
    out.year = static_cast<int>(ymd.year());
    out.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    out.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    out.hour = static_cast<int>(hms.hours().count());
    out.minute = static_cast<int>(hms.minutes().count());
    out.second = static_cast<int>(hms.seconds().count());
    out.weekday = static_cast<int>(chr::weekday(newDay).c_encoding());
    return out;
}

bool parseCalendarTime(const std::string& text, CalendarTime& out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    char sep = 0;
    const int n = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n:%2d%n", &y, &mo, &d, &sep, &h,
                              &mi, &used, &s, &used);
    if (n < 6 || (sep != ' ' && sep != 'T') || static_cast<size_t>(used) != text.size())
        return false;
    if (n == 6) s = 0;
    const chr::year_month_day ymd(chr::year(y), chr::month(static_cast<unsigned>(mo)),
                                  chr::day(static_cast<unsigned>(d)));
    if (y < 2000 || y > 2255 || !ymd.ok() || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 ||
        s < 0)
        return false;
    CalendarTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    out = addSeconds(t, 0);
    return true;
}

}  // namespace lumavox

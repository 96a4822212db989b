#include "platform/Clock.h"

#include <chrono>
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

}  // namespace lumavox

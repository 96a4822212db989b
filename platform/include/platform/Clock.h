// Local time and the millisecond tick counter, behind an interface so that
// tests can fix "now".
#pragma once

#include <cstdint>
#include <string>

namespace lumavox {

struct CalendarTime {
    int year = 2000;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 6;  // 0 = Sunday ... 6 = Saturday
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual CalendarTime localNow() const = 0;
    // Milliseconds from an arbitrary start; only differences are meaningful.
    virtual uint64_t tickMs() const = 0;
};

class SystemClock final : public Clock {
  public:
    CalendarTime localNow() const override;
    uint64_t tickMs() const override;
    static const SystemClock& instance();
};

// A clock that stands still unless advanced; for tests and reproducible output.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(CalendarTime t = {}, uint64_t tick = 0) : time_(t), tick_(tick) {}
    CalendarTime localNow() const override { return time_; }
    uint64_t tickMs() const override { return tick_ += step_; }
    void set(CalendarTime t) { time_ = t; }
    // Each tickMs() call advances the tick by this many milliseconds.
    void setTickStep(uint64_t step) { step_ = step; }

  private:
    CalendarTime time_;
    mutable uint64_t tick_;
    uint64_t step_ = 0;
};

// Adds whole seconds (any sign) to a valid calendar time; the weekday of
// the result is worked out.
CalendarTime addSeconds(const CalendarTime& t, int64_t seconds);
// Reads "YYYY-MM-DD HH:MM[:SS]" (a 'T' may stand for the blank), years 2000 to
// 2255, with its weekday; false, leaving `out` alone, when it is no valid time.
bool parseCalendarTime(const std::string& text, CalendarTime& out);

}  // namespace lumavox

#pragma once
// The local clock, behind a seam so that tests can fix the time.

namespace kestrap {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

// Windows local time (GetLocalTime) or the POSIX local time.
const Clock& SystemClock();

}  // namespace kestrap

#pragma once
// The local clock, behind a seam so that tests can fix the time.
#include "common/LocalTime.h"

namespace kestrap {

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

// Windows local time (GetLocalTime) or the POSIX local time.
const Clock& SystemClock();

}  // namespace kestrap

#pragma once
// A local date and time as the clock reads it.

namespace kestrap {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

}  // namespace kestrap

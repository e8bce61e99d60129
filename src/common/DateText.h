#pragma once
// Date and time texts: stored dates YYYY-MM-DD are compared as bytes and never parsed; the
// local date and time are written as the program's files and lines show them.
#include <string>
#include <string_view>

#include "common/LocalTime.h"

namespace kestrap {

std::string MonthName(int month);  // "January".."December", else "Error"

std::string LocalDateText(const LocalTime& now);  // MM-DD-YYYY
std::string LocalTimeText(const LocalTime& now);  // HH:MM:SS

std::string DayHeading(std::string_view storedDate);  // "January 5, 2008"

// A stored date as held: the same length, with '<', '>', '&' and '"' replaced by '_'.
std::string HeldDate(std::string_view date);

}  // namespace kestrap

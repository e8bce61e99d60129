#pragma once
// Date texts: stored dates YYYY-MM-DD are compared as bytes and never parsed.
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace kestrap {

std::string MonthName(int month);          // "January".."December", else "Error"
int MonthNumber(std::string_view text);    // first three letters, any case; 0 when unknown

std::string CraigslistStoredDate(std::string_view dcDate);  // first ten characters
std::string KijijiStoredDate(std::string_view pubDate);     // fields 4, 3 and 2

std::string LocalDateText(const Clock& clock);  // MM-DD-YYYY
std::string LocalTimeText(const Clock& clock);  // HH:MM:SS

std::string DayHeading(std::string_view storedDate);  // "January 5, 2008"

}  // namespace kestrap

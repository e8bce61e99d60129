#pragma once
// The dates of the two site feeds, as stored dates YYYY-MM-DD.
#include <string>
#include <string_view>

namespace kestrap {

int MonthNumber(std::string_view text);    // first three letters, any case; 0 when unknown

std::string CraigslistStoredDate(std::string_view dcDate);  // first ten characters
std::string KijijiStoredDate(std::string_view pubDate);     // fields 4, 3 and 2

}  // namespace kestrap

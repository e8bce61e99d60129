#pragma once
// The dates of feeds read by the XML reader, as stored dates YYYY-MM-DD.
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace kestrap {

// "Tue, 5 Mar 2024 10:00:00 +0100" (any day name or none, any zone, two- or four-digit
// year) as the date written, not moved between zones; empty when it is not of that form.
std::string Rfc822StoredDate(std::string_view text);

// The first ten characters when they read YYYY-MM-DD (an ISO 8601 date or time stamp);
// empty otherwise.
std::string IsoStoredDate(std::string_view text);

std::string TodayStoredDate(const Clock& clock);

}  // namespace kestrap

#include "search/Dates.h"

#include <array>

#include "common/Text.h"

namespace kestrap {

std::string MonthName(int month) {
    static constexpr std::array<const char*, 12> names = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    if (month < 1 || month > 12) return "Error";
    return names[month - 1];
}

int MonthNumber(std::string_view text) {
    static constexpr std::array<std::string_view, 12> abbreviations = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string lower = LowerCase(text.substr(0, 3));
    for (size_t i = 0; i < abbreviations.size(); ++i) {
        if (lower == abbreviations[i]) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string CraigslistStoredDate(std::string_view dcDate) { return std::string(dcDate.substr(0, 10)); }

// Field n (from 1) of a text split at every single space; empty beyond the last.
static std::string_view SpaceField(std::string_view text, int n) {
    for (int i = 1; i < n; ++i) {
        const size_t space = text.find(' ');
        if (space == std::string_view::npos) return {};
        text.remove_prefix(space + 1);
    }
    return text.substr(0, text.find(' '));
}

static std::string TwoDigitValue(std::string_view text) {
    return FormatDigits(RoundHalfEven(ReadNumber(text)), 2);
}

std::string KijijiStoredDate(std::string_view pubDate) {
    // "Tue, 15 Jan 2008 10:11:12 EST": day, month word and year are fields 2, 3 and 4
    return std::string(SpaceField(pubDate, 4)) + "-" + FormatDigits(MonthNumber(SpaceField(pubDate, 3)), 2) +
           "-" + TwoDigitValue(SpaceField(pubDate, 2));
}

std::string LocalDateText(const Clock& clock) {
    const LocalTime now = clock.Now();
    return FormatDigits(now.month, 2) + "-" + FormatDigits(now.day, 2) + "-" + FormatDigits(now.year, 4);
}

std::string LocalTimeText(const Clock& clock) {
    const LocalTime now = clock.Now();
    return FormatDigits(now.hour, 2) + ":" + FormatDigits(now.minute, 2) + ":" + FormatDigits(now.second, 2);
}

// Characters `first` to `first + count - 1` (from 1), as far as the text reaches.
static std::string_view Characters(std::string_view text, size_t first, size_t count) {
    return first > text.size() ? std::string_view{} : text.substr(first - 1, count);
}

std::string DayHeading(std::string_view storedDate) {
    // two characters read as a number lie within -9 to 99, so the narrowing is safe
    const auto month = static_cast<int>(RoundHalfEven(ReadNumber(Characters(storedDate, 6, 2))));
    const int64_t day = RoundHalfEven(ReadNumber(Characters(storedDate, 9, 2)));
    return MonthName(month) + " " + FormatPlain(day) + ", " + std::string(Characters(storedDate, 1, 4));
}

}  // namespace kestrap

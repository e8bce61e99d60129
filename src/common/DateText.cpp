#include "common/DateText.h"

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

std::string LocalDateText(const LocalTime& now) {
    return FormatDigits(now.month, 2) + "-" + FormatDigits(now.day, 2) + "-" + FormatDigits(now.year, 4);
}

std::string LocalTimeText(const LocalTime& now) {
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

std::string HeldDate(std::string_view date) {
    std::string held(date);
    for (char& c : held)
        if (c == '<' || c == '>' || c == '&' || c == '"') c = '_';
    return held;
}

}  // namespace kestrap

#include "search/Dates.h"

#include <array>

#include "common/Text.h"

namespace kestrap {

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

}  // namespace kestrap

#include "search/FeedDates.h"

#include <cctype>
#include <vector>

#include "common/Text.h"
#include "search/Dates.h"

namespace kestrap {

namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

int DigitsValue(std::string_view text) {
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size() && words.size() < 4) {
        while (i < text.size() && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == ',')) ++i;
        size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != ',') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

}  // namespace

std::string Rfc822StoredDate(std::string_view text) {
    std::vector<std::string_view> words = Words(text);
    // the day name is optional and may be long, short or oddly spelt
    if (!words.empty() && !AllDigits(words[0])) words.erase(words.begin());
    if (words.size() < 3) return {};
    const std::string_view day = words[0], month = words[1], year = words[2];
    if (!AllDigits(day) || day.size() > 2 || !AllDigits(year) || (year.size() != 2 && year.size() != 4)) {
        return {};
    }
    const int dayValue = DigitsValue(day);
    const int monthValue = MonthNumber(month);
    if (dayValue < 1 || dayValue > 31 || monthValue == 0 || month.size() < 3) return {};
    int yearValue = DigitsValue(year);
    if (year.size() == 2) yearValue += yearValue < 50 ? 2000 : 1900;
    return FormatDigits(yearValue, 4) + "-" + FormatDigits(monthValue, 2) + "-" + FormatDigits(dayValue, 2);
}

std::string IsoStoredDate(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return {};
    if (!AllDigits(text.substr(0, 4)) || !AllDigits(text.substr(5, 2)) || !AllDigits(text.substr(8, 2))) return {};
    return std::string(text.substr(0, 10));
}

std::string TodayStoredDate(const Clock& clock) {
    const LocalTime now = clock.Now();
    return FormatDigits(now.year, 4) + "-" + FormatDigits(now.month, 2) + "-" + FormatDigits(now.day, 2);
}

}  // namespace kestrap

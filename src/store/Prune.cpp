#include "store/Prune.h"

#include <algorithm>
#include <cstdint>

#include "common/Text.h"

namespace kestrap {

std::string PruneCutoff(std::string_view localDateText) {
    auto part = [&](size_t from, size_t count) {
        return from < localDateText.size() ? localDateText.substr(from, count) : std::string_view();
    };
    int64_t month = RoundHalfEven(ReadNumber(part(0, 2)));
    int64_t year = RoundHalfEven(ReadNumber(part(6, 4)));
    // calendar months, not days: the day of the month is kept even where the month lacks it
    for (int step = 0; step < 2; ++step) {
        if (--month == 0) {
            month = 12;
            --year;
        }
    }
    return FormatDigits(year, 4) + "-" + FormatDigits(month, 2) + "-" + std::string(part(3, 2));
}

int RemoveEntriesBefore(std::vector<ResultEntry>& entries, std::string_view cutoff) {
    // byte order of the date texts decides, so malformed dates sort as old
    auto old = std::remove_if(entries.begin(), entries.end(), [&](const ResultEntry& entry) {
        return EntryTextDate(entry) < cutoff;
    });
    const int removed = static_cast<int>(entries.end() - old);
    entries.erase(old, entries.end());
    return removed;
}

}  // namespace kestrap

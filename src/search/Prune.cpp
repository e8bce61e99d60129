#include "search/Prune.h"

#include <vector>

#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "search/Dates.h"
#include "store/Results.h"

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

void PruneOldResults(AppState& state, Window& window) {
    std::string cutoff = PruneCutoff(LocalDateText(*state.clock));
    std::vector<std::string> entries = state.results.Entries();
    std::vector<std::string> kept;
    kept.reserve(entries.size());
    int removed = 0;
    for (auto& entry : entries) {
        // byte order of the date texts decides, so malformed dates sort as old
        if (std::string_view(entry).substr(0, 10) < cutoff) {
            ++removed;
        } else {
            kept.push_back(std::move(entry));
        }
    }
    if (removed == 0) {
        window.Ask("No items older than two months (" + cutoff + ") found.", "Not needed",
                   BoxOk | BoxIconInformation);
        return;
    }
    state.results.Replace(std::move(kept));
    SortResultsNewestFirst(state);
    // the list box is refilled in one go
    window.RunOnWindowThread([&] {
        window.ListReset();
        for (const auto& entry : state.results.Entries()) window.ListAppend(entry);
    });
    window.Ask("Found and cleared " + FormatPlain(removed) + " item(s) older than two months (" +
                   cutoff + ") found.",
               "List cleared", BoxOk | BoxIconInformation);
}

}  // namespace kestrap

#include "search/SearchRun.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <vector>

#include "app/ControlIds.h"
#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "search/Feed.h"
#include "store/Results.h"

namespace kestrap {

namespace {

// disabled for the whole run, enabled again in this order when it ends
constexpr int RunLockedControls[] = {IDC_RESULTS_FILE, IDC_LOAD, IDC_SAVE, IDC_CITIES, IDC_TERMS};

void EnableRunLockedControls(Window& window, bool enabled) {
    for (int control : RunLockedControls) window.Enable(control, enabled);
}

// Lines of the city or term box split at CR LF, stripped; blank and "#" lines are dropped. Keeps at
// most `capacity` lines and returns how many there were in all.
int ReadListLines(std::string_view text, size_t capacity, std::vector<std::string>& lines) {
    int found = 0;
    while (true) {
        size_t end = text.find("\r\n");
        std::string_view line = StripBlanks(text.substr(0, end));
        if (!line.empty() && line.front() != '#') {
            ++found;
            if (lines.size() < capacity) lines.emplace_back(line);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 2);
    }
    return found;
}

// A section is a Kijiji category when it reads as a number above zero. The host test is on
// the line as typed, so an upper-case "Kijiji" counts as a Craigslist city here.
bool SkipsPair(std::string_view city, const TermLine& line) {
    bool kijijiCity = city.find("kijiji") != std::string_view::npos;
    bool category = ReadNumber(line.section) > 0;
    if (category) return !kijijiCity;
    return kijijiCity && line.section != "sss";
}

// false when an abort was requested before the pause ended
bool PauseUnlessAborted(const AppState& state) {
    using namespace std::chrono;
    const auto until = steady_clock::now() + state.retryPause;
    while (state.searchState != SearchAbortRequested) {
        auto left = duration_cast<milliseconds>(until - steady_clock::now());
        if (left <= milliseconds::zero()) return true;
        std::this_thread::sleep_for(std::min(left, milliseconds(20)));
    }
    return false;
}

void FinishAborted(AppState& state, Window& window) {
    PostStatus(window, "Search aborted.");
    window.SetProgress(0);
    window.SetText(IDC_SEARCH, "Search Now");
    EnableRunLockedControls(window, true);
    // last: a new run may start from here on
    state.searchState = SearchIdle;
}

void FinishComplete(AppState& state, Window& window, int pairs) {
    window.SetProgress(pairs);
    window.SetText(IDC_SEARCH, "Search Now");
    EnableRunLockedControls(window, true);
    PostStatus(window, "Search Complete");
    state.searchState = SearchIdle;
}

}  // namespace

// Both run as one call on the window's thread: from the search thread every single call
// would be a wait of its own.
void PostStatus(Window& window, std::string_view message) {
    window.RunOnWindowThread([&] {
        window.SetText(IDC_STATUS1, window.Text(IDC_STATUS2));
        window.SetText(IDC_STATUS2, window.Text(IDC_STATUS3));
        window.SetText(IDC_STATUS3, message);
    });
}

void AppendStatus(Window& window, std::string_view text) {
    window.RunOnWindowThread([&] {
        std::string line = window.Text(IDC_STATUS3);
        line.append(text);
        window.SetText(IDC_STATUS3, line);
    });
}

TermLine SplitTermLine(std::string_view line) {
    size_t comma = line.find(',');
    if (comma == std::string_view::npos) return {"sss", std::string(line)};
    std::string_view rest = line.substr(comma + 1);
    return {std::string(StripBlanks(line.substr(0, comma))),
            std::string(StripBlanks(rest.substr(0, rest.find(','))))};
}

void PressSearchButton(AppState& state, Window& window) {
    switch (state.searchState.load()) {
    case SearchIdle: StartSearch(state, window); break;
    case SearchRunning: RequestSearchAbort(state); break;
    default: break;  // an abort is already pending
    }
}

void StartSearch(AppState& state, Window& window) {
    if (state.searchState != SearchIdle) return;
    std::vector<std::string> cities;
    int cityLines = ReadListLines(window.Text(IDC_CITIES), MaxCities, cities);
    if (cities.empty()) {
        window.Ask("You need to define some cities to search. If you're not sure how, use the "
                   "help form.",
                   "City Error", BoxOk | BoxIconError);
        return;
    }
    std::vector<std::string> terms;
    int termLines = ReadListLines(window.Text(IDC_TERMS), MaxTerms, terms);
    if (terms.empty()) {
        window.Ask("You need to define some terms to search for. If you're not sure how, use the "
                   "help form.",
                   "Search Term Error", BoxOk | BoxIconError);
        return;
    }
    state.cities = std::move(cities);
    state.terms = std::move(terms);
    const int cityCount = static_cast<int>(state.cities.size());
    const int termCount = static_cast<int>(state.terms.size());

    if (cityLines > MaxCities)
        PostStatus(window, "Only the first " + FormatPlain(MaxCities) + " cities are searched.");
    if (termLines > MaxTerms)
        PostStatus(window, "Only the first " + FormatPlain(MaxTerms) + " terms are searched.");
    PostStatus(window, "About to search " + FormatPlain(cityCount) + " cities for " +
                           FormatPlain(termCount) + " terms.");
    window.SetProgressRange(cityCount * termCount);
    window.SetProgress(0);
    window.SetText(IDC_SEARCH, "Kill Search");
    EnableRunLockedControls(window, false);
    state.searchState = SearchRunning;
    try {
        std::thread(RunSearch, std::ref(state), std::ref(window)).detach();
    } catch (const std::system_error&) {
        PostStatus(window, "The search could not be started.");
        window.SetText(IDC_SEARCH, "Search Now");
        EnableRunLockedControls(window, true);
        state.searchState = SearchIdle;
    }
}

void RequestSearchAbort(AppState& state) {
    // only a running search can be asked to stop; a run that has just ended stays idle
    int running = SearchRunning;
    state.searchState.compare_exchange_strong(running, SearchAbortRequested);
}

void RunSearch(AppState& state, Window& window) {
    const std::vector<std::string>& cities = state.cities;
    const std::vector<std::string>& terms = state.terms;
    const int termCount = static_cast<int>(terms.size());
    const int pairs = static_cast<int>(cities.size()) * termCount;
    FeedStore store;
    bool cutReported = false;
    bool fullReported = false;

    for (size_t c = 0; c < cities.size(); ++c) {
        const std::string& city = cities[c];
        const std::string lowerCity = LowerCase(city);
        for (int t = 0; t < termCount; ++t) {
            const TermLine line = SplitTermLine(terms[t]);
            if (SkipsPair(city, line)) continue;
            PostStatus(window, "Searching in " + city + " for " + line.term + " (" + line.section +
                                   ")...");
            if (state.searchState == SearchAbortRequested) {
                FinishAborted(state, window);
                return;
            }
            window.SetProgress(static_cast<int>(c) * termCount + t + 1);

            store.cut = false;
            int found = FetchFeedItems(line.term, lowerCity, line.section, store, state.http);
            if (found == -1) {
                PostStatus(window, "HTTP Error -- retrying...");
                if (PauseUnlessAborted(state))
                    found = FetchFeedItems(line.term, lowerCity, line.section, store, state.http);
            }

            // the merge shows each new entry in the list box: all of it in one go on the
            // window's thread, with the pair's closing status
            window.RunOnWindowThread([&] {
                bool listFull = false;
                if (found > 0) {
                    int fresh = 0;
                    const int usable = std::min(found, static_cast<int>(store.items.size()));
                    for (int i = 0; i < usable; ++i) {
                        const FeedItem& item = store.items[i];
                        // looked up as the entry will hold it, or an ad whose link holds bars
                        // would come back as new at every search
                        const std::string link = EntryFieldText(item.link);
                        if (FindResultByLink(state, link)) continue;
                        if (AddNewResult(state, window, item.date, item.title, link))
                            ++fresh;
                        else
                            listFull = true;
                    }
                    AppendStatus(window, " found " + FormatPlain(found) + " items, " +
                                             FormatPlain(fresh) + " are new.");
                } else {
                    AppendStatus(window, " no matches.");
                }
                if (store.cut && !cutReported) {
                    cutReported = true;
                    PostStatus(window, "Only the first " + FormatPlain(MaxFeedItems) +
                                           " items of a feed are read.");
                }
                if (listFull && !fullReported) {
                    fullReported = true;
                    PostStatus(window, "The results list is full (" + FormatThousands(MaxResults) +
                                           " entries): new results are no longer added.");
                }
            });
            std::this_thread::yield();
        }
    }
    FinishComplete(state, window, pairs);
}

}  // namespace kestrap

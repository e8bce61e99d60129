#include "app/SearchRun.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <vector>

#include "app/ControlIds.h"
#include "app/ResultsListBox.h"
#include "app/State.h"
#include "app/StatusLines.h"
#include "app/Window.h"
#include "common/Text.h"
#include "search/Feed.h"
#include "search/SearchLines.h"
#include "store/ResultEntry.h"

namespace kestrap {

namespace {

// disabled for the whole run, enabled again in this order when it ends
constexpr int RunLockedControls[] = {IDC_RESULTS_FILE, IDC_LOAD, IDC_SAVE, IDC_CITIES, IDC_TERMS};

void EnableRunLockedControls(Window& window, bool enabled) {
    for (int control : RunLockedControls) window.Enable(control, enabled);
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

// the taskbar button shows the progress bar's state while a run lasts, and nothing after it
void ShowProgress(Window& window, int position, int maximum) {
    window.RunOnWindowThread([&] {
        window.SetProgress(position);
        window.SetTaskbarProgress(position, maximum);
    });
}

void EndProgress(Window& window, int position) {
    window.RunOnWindowThread([&] {
        window.SetProgress(position);
        window.ClearTaskbarProgress();
    });
}

void FinishAborted(AppState& state, Window& window) {
    PostStatus(window, "Search aborted.");
    EndProgress(window, 0);
    window.SetText(IDC_SEARCH, "Search Now");
    EnableRunLockedControls(window, true);
    // a new run may start from here on
    state.searchState = SearchIdle;
    window.NotifySearchEnded();
}

void FinishComplete(AppState& state, Window& window, int pairs) {
    EndProgress(window, pairs);
    window.SetText(IDC_SEARCH, "Search Now");
    EnableRunLockedControls(window, true);
    PostStatus(window, "Search Complete");
    state.searchState = SearchIdle;
    window.NotifySearchEnded();
}

}  // namespace

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
    ShowProgress(window, 0, cityCount * termCount);
    window.SetText(IDC_SEARCH, "Kill Search");
    EnableRunLockedControls(window, false);
    state.searchState = SearchRunning;
    try {
        std::thread(RunSearch, std::ref(state), std::ref(window)).detach();
    } catch (const std::system_error&) {
        PostStatus(window, "The search could not be started.");
        window.ClearTaskbarProgress();
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
    state.tally = {};

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
            ShowProgress(window, static_cast<int>(c) * termCount + t + 1, pairs);

            store.cut = false;
            int found = FetchFeedItems(line.term, lowerCity, line.section, store, state.http);
            if (found == -1) {
                PostStatus(window, "HTTP Error -- retrying...");
                if (PauseUnlessAborted(state))
                    found = FetchFeedItems(line.term, lowerCity, line.section, store, state.http);
            }
            ++state.tally.pairs;
            if (found == -1) ++state.tally.failedFetches;
            if (found > 0) state.tally.itemsFound += found;

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
                    state.tally.newAds += fresh;
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

#include "app/SearchRun.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
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
#include "search/FeedAddress.h"
#include "search/FetchAhead.h"
#include "search/SearchLines.h"
#include "search/Url.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

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

// What the user sees of an abort, at once; the run ends when its fetches have returned.
void ShowAborted(Window& window) {
    PostStatus(window, "Search aborted.");
    EndProgress(window, 0);
    window.SetText(IDC_SEARCH, "Search Now");
    EnableRunLockedControls(window, true);
}

void FinishAborted(AppState& state, Window& window) {
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

// Merges a pair's items and shows each new entry in the list box: all of it in one go on
// the window's thread, with the pair's closing status.
void MergePair(AppState& state, Window& window, const FeedStore& store, int found,
               bool& cutReported, bool& fullReported) {
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
            AppendStatus(window, " found " + FormatPlain(found) + " items, " + FormatPlain(fresh) +
                                     " are new.");
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
            PostStatus(window, "The results list is full (" +
                                   (state.results.Count() < MaxResults
                                        ? FormatPlain(MaxResultsFileBytes >> 20) + " MiB of text"
                                        : FormatThousands(MaxResults) + " entries") +
                                   "): new results are no longer added.");
        }
    });
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

namespace {

// The pairs of a run in order, each with its request; the fetches go out ahead of the run.
struct SearchPair {
    size_t city = 0;
    int term = 0;
    TermLine line;
    FeedQuery query;        // a classic city line's request
    std::string address;    // a feed address's, with the term in its slot
    std::string termFilter; // a feed address without a slot keeps the items of the term
    bool shared = false;    // that address is fetched once for all its term lines
    size_t job = 0;         // the pair's fetch among the run's jobs, when it makes a request

    bool Fetches() const { return !address.empty() || query.fetch; }
};

SearchPair PlanPair(const std::string& city, size_t c, size_t t, TermLine line) {
    SearchPair pair{c, static_cast<int>(t), std::move(line), {}, {}, {}, false, 0};
    if (IsFeedAddress(city)) {
        pair.address = FeedAddressUrl(city, pair.line.term);
        pair.shared = !HasTermSlot(city);
        if (pair.shared) pair.termFilter = pair.line.term;
    } else {
        pair.query = BuildFeedQuery(pair.line.term, LowerCase(city), pair.line.section);
    }
    return pair;
}

std::string FetchPairAnswer(const SearchPair& pair, const HttpOptions& http) {
    if (!pair.address.empty()) return FetchFeedAddress(pair.address, http);
    return HttpGet(pair.query.host, pair.query.path, http);
}

std::vector<SearchPair> PlanPairs(const AppState& state, const HttpOptions& http,
                                  std::vector<FetchJob>& jobs) {
    std::vector<SearchPair> pairs;
    for (size_t c = 0; c < state.cities.size(); ++c) {
        const std::string& city = state.cities[c];
        for (size_t t = 0; t < state.terms.size(); ++t) {
            TermLine line = SplitTermLine(state.terms[t]);
            // a section names a category of the classic sites; a feed address has none
            if (!IsFeedAddress(city) && SkipsPair(city, line)) continue;
            SearchPair pair = PlanPair(city, c, t, std::move(line));
            if (pair.Fetches()) {
                pair.job = jobs.size();
                // one fetch at a time per host, whatever the form of its address
                const std::optional<Url> url = ParseUrl(pair.address);
                jobs.push_back({url ? LowerCase(url->host) : pair.query.host,
                                pair.shared ? pair.address : std::string(),
                                [pair, http] { return FetchPairAnswer(pair, http); }});
            }
            pairs.push_back(std::move(pair));
        }
    }
    return pairs;
}

// The pair's items from its answer: the count, 0 for none (or no request made), -1 for an
// empty answer.
int ReadPairAnswer(const AppState& state, const SearchPair& pair, const std::string& answer,
                   FeedStore& store) {
    store.items.clear();
    store.cut = false;
    if (!pair.Fetches()) return 0;
    if (answer.empty()) return -1;
    if (!pair.address.empty()) {
        return ReadFetchedFeedAddress(answer, pair.termFilter, *state.clock, store);
    }
    return ScanFeed(answer, pair.query.host, store);
}

}  // namespace

void RunSearch(AppState& state, Window& window) {
    const int termCount = static_cast<int>(state.terms.size());
    const int pairCount = static_cast<int>(state.cities.size()) * termCount;
    FeedStore store;
    bool cutReported = false;
    bool fullReported = false;
    state.tally = {};

    // fetches of later pairs that an abort leaves unwanted end at their next wait
    std::atomic<bool> abandoned{false};
    HttpOptions http = state.http;
    http.abandoned = &abandoned;
    std::vector<FetchJob> jobs;
    const std::vector<SearchPair> pairs = PlanPairs(state, http, jobs);
    std::map<std::string, std::string> retriedAnswers;
    {
        FetchAhead ahead(std::move(jobs), state.fetchLimits);
        for (const SearchPair& pair : pairs) {
            const std::string& city = state.cities[pair.city];
            PostStatus(window, "Searching in " + city + " for " + pair.line.term + " (" +
                                   pair.line.section + ")...");
            if (state.searchState == SearchAbortRequested) {
                abandoned = true;
                ahead.Stop();
                ShowAborted(window);
                break;
            }
            ShowProgress(window, static_cast<int>(pair.city) * termCount + pair.term + 1,
                         pairCount);

            std::string answer = pair.Fetches() ? ahead.Take(pair.job) : std::string();
            // a shared address's retry, if it had one, speaks for all its term lines
            const auto retried = pair.shared ? retriedAnswers.find(pair.address)
                                             : retriedAnswers.end();
            if (retried != retriedAnswers.end()) answer = retried->second;
            int found = ReadPairAnswer(state, pair, answer, store);
            if (found == -1 && retried == retriedAnswers.end()) {
                PostStatus(window, "HTTP Error -- retrying...");
                if (PauseUnlessAborted(state)) {
                    answer = FetchPairAnswer(pair, state.http);
                    found = ReadPairAnswer(state, pair, answer, store);
                }
                if (pair.shared) retriedAnswers[pair.address] = std::move(answer);
            }
            ++state.tally.pairs;
            if (found == -1) ++state.tally.failedFetches;
            if (found > 0) state.tally.itemsFound += found;
            MergePair(state, window, store, found, cutReported, fullReported);
            std::this_thread::yield();
        }
        // leaving the scope waits for fetches still under way: after an abort, one short
        // slice of their wait
    }
    if (abandoned) {
        FinishAborted(state, window);
        return;
    }
    FinishComplete(state, window, pairCount);
}

}  // namespace kestrap

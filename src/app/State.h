#pragma once
// The program's one set of shared state.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "run/SearchEngine.h"
#include "run/SearchEvents.h"
#include "search/FetchAhead.h"
#include "search/Http.h"
#include "store/ResultsList.h"

namespace kestrap {

enum SearchStateValue : int { SearchIdle = 0, SearchRunning = 1, SearchAbortRequested = -1 };

struct AppState {
    std::string programFolder;  // with its trailing separator

    // lines of the current search run
    std::vector<std::string> cities;
    std::vector<std::string> terms;

    ResultsList results;
    std::atomic<int> newResultsFound{0};
    std::atomic<int> unsavedResults{0};

    // The results file (its path, lower-cased) that was there at the last load but could
    // not be read whole: its missing entries are lost if Save replaces it unasked.
    std::string partlyReadResultsFile;

    std::string recentFiles;
    std::string startMenuState;
    int dialogWidth = 0;
    int dialogHeight = 0;
    bool layoutCaptured = false;

    std::atomic<int> searchState{SearchIdle};
    SearchTally tally;  // of the last run, once it has ended

    // seams: tests fix the clock and dial their own servers
    const Clock* clock = &SystemClock();
    HttpOptions http;
    // Fetches ahead of the pair on screen: 8 at once, one per host, and at most 16 MiB of
    // answers waiting beside them. {1} fetches one at a time.
    FetchLimits fetchLimits;
    std::chrono::milliseconds retryPause{1000};
    // after Kill, the pair on screen may still finish this long
    std::chrono::milliseconds stopGrace{2000};

    // the run under way, or the last one; declared last, so that it ends first
    std::unique_ptr<SearchEvents> searchWatcher;
    std::unique_ptr<SearchEngine> search;
};

}  // namespace kestrap

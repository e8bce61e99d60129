#pragma once
// The program's one set of shared state.
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "search/FetchAhead.h"
#include "search/Http.h"
#include "store/ResultsList.h"

namespace kestrap {

enum SearchStateValue : int { SearchIdle = 0, SearchRunning = 1, SearchAbortRequested = -1 };

// What the last search run did; written by the run's thread, read once it has ended.
struct SearchTally {
    int pairs = 0;  // pairs fetched, skipped ones left out
    int itemsFound = 0;
    int newAds = 0;
    int failedFetches = 0;  // pairs whose answer stayed empty after the retry
};

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
    SearchTally tally;

    // seams: tests fix the clock and dial their own servers
    const Clock* clock = &SystemClock();
    HttpOptions http;
    // Fetches ahead of the pair on screen: 8 at once, one per host, and at most 8 answers
    // waiting beside them. {1, 1} fetches one at a time.
    FetchLimits fetchLimits{8, 16};
    std::chrono::milliseconds retryPause{1000};
};

}  // namespace kestrap

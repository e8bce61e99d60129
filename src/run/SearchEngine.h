#pragma once
// A search run without a window: the city and term lines, the results list and the options
// go in; events come out (run/SearchEvents.h). The run has a thread of its own, which
// merges every pair's new items into the list in run order while the fetches of later pairs
// are already on their way.
//
//   SearchEngine engine(ReadSearchLines(cities, terms), results, options, events);
//   if (!engine.Start()) ...;  // no thread could be made: nothing runs
//   engine.RequestStop();     // Kill: the run ends within the grace time
//   engine.Wait();            // or let the destructor stop and wait
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "run/SearchEvents.h"
#include "search/FetchAhead.h"
#include "search/Http.h"

namespace kestrap {

class ResultsList;

// The lines of a run: at most MaxCities cities and MaxTerms terms; blank and "#" lines
// are no lines.
struct SearchLines {
    std::vector<std::string> cities;
    std::vector<std::string> terms;
    int cityLines = 0;  // lines in all, before the capacity
    int termLines = 0;
};
SearchLines ReadSearchLines(std::string_view citiesText, std::string_view termsText);

struct SearchOptions {
    HttpOptions http;
    // fetches ahead of the pair on screen; {1, ...} fetches one at a time
    FetchLimits fetchLimits;
    std::chrono::milliseconds retryPause{1000};
    // After a stop request no fetch starts; the pair on screen may still finish this long,
    // then every fetch under way is given up.
    std::chrono::milliseconds stopGrace{2000};
    const Clock* clock = &SystemClock();
};

class SearchEngine {
public:
    // `results` and `events` must outlive the engine.
    SearchEngine(SearchLines lines, ResultsList& results, SearchOptions options,
                 SearchEvents& events);
    ~SearchEngine();  // asks for a stop, then waits for the run's threads
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    // Tells Started on the calling thread, then runs on a thread of its own. False when no
    // thread could be made: the run then tells nothing more.
    bool Start();
    // From any thread, any number of times; the run ends within the grace time.
    void RequestStop();
    // Returns once the run's thread has ended (at once when it never started).
    void Wait();

private:
    void Run(std::stop_token stop);
    void GiveUpAfterGrace(std::stop_token cancelled);

    SearchLines lines_;
    ResultsList& results_;
    SearchOptions options_;
    SearchEvents& events_;

    // fired once the grace after a stop has passed, or when the run ends: every wait of a
    // fetch under way gives up then
    std::stop_source abandon_;
    std::mutex graceLock_;
    std::condition_variable_any graceWait_;
    std::jthread grace_;
    // last, so that it ends first
    std::jthread run_;
};

}  // namespace kestrap

#pragma once
// What a search run tells whoever watches it: the window shows it, a scheduled run logs it.
// Every event but Started comes from the run's own thread.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrap {

// What a run did, told when it ends.
struct SearchTally {
    int pairs = 0;  // pairs fetched, skipped ones left out
    int itemsFound = 0;
    int newAds = 0;
    int failedFetches = 0;  // pairs whose answer stayed empty after the retry
};

// One city line and one term line as the run asks them.
struct PairInfo {
    std::string city;  // as the city line holds it
    std::string term;
    std::string section;
    int position = 0;  // 1 for the first pair; skipped pairs are counted
    int pairs = 0;     // the run's pairs, skipped ones included
};

struct RunStarted {
    int cities = 0;
    int terms = 0;
    // lines left out, each said once before the run starts
    std::vector<std::string> notices;
};

struct PairResult {
    // items read; 0 for none or no request made; -1 for an answer that stayed empty
    int found = 0;
    int fresh = 0;  // of those, the ads the list did not hold
    std::vector<std::string> newEntries;  // as added to the list, in that order
    bool feedCut = false;   // the first feed of the run that held more items than are read
    bool listFull = false;  // the first time in the run that the list refused an entry
};

struct RunEnded {
    bool aborted = false;
    SearchTally tally;
    // the pair that a stop came just before, when it came between two pairs
    std::optional<PairInfo> notStarted;
};

class SearchEvents {
public:
    virtual ~SearchEvents() = default;
    virtual void Started(const RunStarted& run) = 0;
    virtual void PairStarted(const PairInfo& pair) = 0;
    // the pair's answer was empty: it is fetched once more after a pause
    virtual void Retrying(const PairInfo& pair) = 0;
    virtual void PairDone(const PairInfo& pair, const PairResult& done) = 0;
    // the last event; the run's thread ends right after it
    virtual void Ended(const RunEnded& end) = 0;
    // The run merges a pair's items into the results list and tells PairDone in one step
    // made through this call: a watcher that shows the list makes it a step of its own
    // thread, so that the list and what shows it never differ there.
    virtual void Merge(const std::function<void()>& mergeAndTell) { mergeAndTell(); }
};

}  // namespace kestrap

#include "run/SearchEngine.h"

#include <map>
#include <system_error>
#include <utility>

#include "common/Text.h"
#include "run/SearchPairs.h"
#include "search/SearchLines.h"
#include "store/ResultEntry.h"
#include "store/ResultsList.h"

namespace kestrap {

SearchLines ReadSearchLines(std::string_view citiesText, std::string_view termsText) {
    SearchLines lines;
    lines.cityLines = ReadListLines(citiesText, MaxCities, lines.cities);
    lines.termLines = ReadListLines(termsText, MaxTerms, lines.terms);
    return lines;
}

namespace {

// false when a stop was requested before the pause ended
bool PauseUnlessStopped(std::chrono::milliseconds pause, std::stop_token stop) {
    std::mutex lock;
    std::condition_variable_any never;
    std::unique_lock guard(lock);
    never.wait_for(guard, stop, pause, [] { return false; });
    return !stop.stop_requested();
}

PairInfo InfoOf(const SearchPair& pair, const SearchLines& lines) {
    const int termCount = static_cast<int>(lines.terms.size());
    return {lines.cities[pair.city], pair.line.term, pair.line.section,
            static_cast<int>(pair.city) * termCount + static_cast<int>(pair.term) + 1,
            static_cast<int>(lines.cities.size()) * termCount};
}

}  // namespace

SearchEngine::SearchEngine(SearchLines lines, ResultsList& results, SearchOptions options,
                           SearchEvents& events)
    : lines_(std::move(lines)), results_(results), options_(options), events_(events) {}

SearchEngine::~SearchEngine() {
    RequestStop();
    Wait();
    grace_.request_stop();
}

bool SearchEngine::Start() {
    RunStarted started;
    started.cities = static_cast<int>(lines_.cities.size());
    started.terms = static_cast<int>(lines_.terms.size());
    if (lines_.cityLines > MaxCities)
        started.notices.push_back("Only the first " + FormatPlain(MaxCities) +
                                  " cities are searched.");
    if (lines_.termLines > MaxTerms)
        started.notices.push_back("Only the first " + FormatPlain(MaxTerms) +
                                  " terms are searched.");
    events_.Started(started);
    try {
        run_ = std::jthread([this](std::stop_token stop) { Run(stop); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void SearchEngine::RequestStop() {
    std::lock_guard guard(graceLock_);
    if (!run_.joinable() || !run_.request_stop()) return;  // not running, or asked already
    try {
        grace_ = std::jthread([this](std::stop_token cancelled) { GiveUpAfterGrace(cancelled); });
    } catch (const std::system_error&) {
        abandon_.request_stop();  // without a timer there is no grace
    }
}

void SearchEngine::GiveUpAfterGrace(std::stop_token cancelled) {
    std::unique_lock guard(graceLock_);
    graceWait_.wait_for(guard, cancelled, options_.stopGrace, [] { return false; });
    abandon_.request_stop();
}

void SearchEngine::Wait() {
    if (run_.joinable()) run_.join();
}

void SearchEngine::Run(std::stop_token stop) {
    HttpOptions http = options_.http;
    http.stop = stop;
    http.abandon = abandon_.get_token();
    std::vector<FetchJob> jobs;
    const std::vector<SearchPair> pairs = PlanPairs(lines_.cities, lines_.terms, http, jobs);

    RunEnded end;
    FeedStore store;
    bool cutTold = false;
    bool fullTold = false;
    std::map<std::string, std::string> retriedAnswers;
    {
        FetchAhead ahead(std::move(jobs), options_.fetchLimits, stop);
        for (const SearchPair& pair : pairs) {
            const PairInfo info = InfoOf(pair, lines_);
            if (stop.stop_requested()) {
                end.aborted = true;
                end.notStarted = info;
                break;
            }
            events_.PairStarted(info);

            std::optional<std::string> answer =
                pair.Fetches() ? ahead.Take(pair.job) : std::string();
            // a fetch that never started, or was given up, is no answer
            if (!answer || abandon_.stop_requested()) {
                end.aborted = true;
                break;
            }
            // a shared address's retry, if it had one, speaks for all its term lines
            const auto retried = pair.shared ? retriedAnswers.find(pair.address)
                                             : retriedAnswers.end();
            if (retried != retriedAnswers.end()) answer = retried->second;
            int found = ReadPairAnswer(pair, *answer, *options_.clock, store);
            if (found == -1 && retried == retriedAnswers.end()) {
                events_.Retrying(info);
                if (PauseUnlessStopped(options_.retryPause, stop)) {
                    *answer = FetchPairAnswer(pair, http);
                    if (abandon_.stop_requested()) {
                        end.aborted = true;
                        break;
                    }
                    found = ReadPairAnswer(pair, *answer, *options_.clock, store);
                }
                if (pair.shared) retriedAnswers[pair.address] = std::move(*answer);
            }
            ++end.tally.pairs;
            if (found == -1) ++end.tally.failedFetches;
            if (found > 0) end.tally.itemsFound += found;

            events_.Merge([&] {
                PairResult done;
                done.found = found;
                bool full = false;
                const size_t usable = found > 0 ? std::min<size_t>(found, store.items.size()) : 0;
                for (size_t i = 0; i < usable; ++i) {
                    const FeedItem& item = store.items[i];
                    // looked up as the entry will hold it, or an ad whose link holds bars
                    // would come back as new at every search
                    if (results_.ContainsLink(StripBlanks(EntryFieldText(item.link)))) continue;
                    std::string entry = NewEntryText(item.date, item.title, item.link);
                    if (!results_.Append(entry)) {
                        full = true;
                        continue;
                    }
                    ++done.fresh;
                    done.newEntries.push_back(std::move(entry));
                }
                end.tally.newAds += done.fresh;
                done.feedCut = store.cut && !std::exchange(cutTold, true);
                done.listFull = full && !std::exchange(fullTold, true);
                events_.PairDone(info, done);
            });
        }
        // nothing under way is wanted any more; leaving the scope waits for it to return
        abandon_.request_stop();
    }
    events_.Ended(end);
}

}  // namespace kestrap

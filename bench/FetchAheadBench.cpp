// A search against slow sites: 50 cities by 4 terms from a loopback server that answers
// every request after 100 ms, through the Search button. One fetch at a time against
// fetching ahead; both must list exactly what the run one at a time lists.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FakeWindow.h"
#include "FeedFixtures.h"
#include "LoopbackServer.h"
#include "app/ControlIds.h"
#include "app/ResultsListBox.h"
#include "app/SearchRun.h"
#include "app/State.h"
#include "search/Feed.h"
#include "store/ResultEntry.h"

namespace kestrap {
namespace {

constexpr int Cities = 50;
constexpr int Terms = 4;
constexpr int ItemsPerFeed = 25;
constexpr std::chrono::milliseconds AnswerDelay{100};

std::string City(int c) { return "slow" + std::to_string(c); }
std::string Term(int t) { return "lamp" + std::to_string(t); }

// A feed whose links no other pair's feed has.
std::string FeedFor(int c, int t) {
    return fixtures::CraigslistFeedOf(City(c), std::to_string(t) + "-", ItemsPerFeed, 200);
}

struct Setup {
    std::map<std::string, Script> answers;  // by host and path, each after the delay
    std::string cities, terms;              // the boxes' texts
    std::vector<std::string> list;          // the list box of a run one fetch at a time
};

const Setup& SlowSetup() {
    static const Setup setup = [] {
        Setup s;
        for (int c = 0; c < Cities; ++c) {
            s.cities += City(c) + "\r\n";
            for (int t = 0; t < Terms; ++t) {
                const FeedQuery query = BuildFeedQuery(Term(t), City(c), "sss");
                std::string feed = FeedFor(c, t);
                // every item is new, and each goes on top of the list box
                FeedStore store;
                ScanFeed(feed, query.host, store);
                for (const FeedItem& item : store.items) {
                    const std::string entry =
                        NewEntryText(item.date, item.title, EntryFieldText(item.link));
                    s.list.insert(s.list.begin(), entry.substr(0, 511));
                }
                s.answers[query.host + query.path] = {{ScriptStep::Pause, "", AnswerDelay},
                                                      {ScriptStep::Send, std::move(feed)}};
            }
        }
        for (int t = 0; t < Terms; ++t) s.terms += Term(t) + "\r\n";
        return s;
    }();
    return setup;
}

// Args: fetches at once (1: one at a time), MiB of answers waiting.
void BM_SlowSearch(benchmark::State& bench) {
    const Setup& setup = SlowSetup();
    LoopbackServer server(ByHostAndPath(setup.answers));
    LoopbackDialer dialer;
    for (int c = 0; c < Cities; ++c) dialer.Route(City(c) + ".craigslist.org", server.Port());
    AppState state;
    state.http.dialer = &dialer;
    state.fetchLimits = {static_cast<int>(bench.range(0)), static_cast<size_t>(bench.range(1)) << 20};
    FakeWindow window;
    window.KeepCallLog(false);
    window.SetText(IDC_CITIES, setup.cities);
    window.SetText(IDC_TERMS, setup.terms);
    for (auto _ : bench) {
        bench.PauseTiming();
        ResetResults(state, window);
        bench.ResumeTiming();
        PressSearchButton(state, window);
        if (!window.WaitUntilSearchesEnded(std::chrono::minutes(5))) bench.SkipWithError("no end");
        if (window.ListItems() != setup.list)
            bench.SkipWithError("the list differs from the one fetched one at a time");
    }
    bench.counters["pairs_per_second"] = benchmark::Counter(
        static_cast<double>(Cities * Terms), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SlowSearch)
    ->ArgNames({"fetches", "MiB"})
    ->Args({1, 16})
    ->Args({8, 16})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kestrap

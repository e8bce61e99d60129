// A whole search: 10 cities by 10 terms against a loopback feed server whose feeds hold
// 25 items each, through a window stub, with every item new. Baseline: the same 100
// fetches made back to back by a bare loop of HttpGet, with the same options.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
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
#include "search/Http.h"

namespace kestrap {
namespace {

constexpr int Cities = 10;
constexpr int Terms = 10;
constexpr int ItemsPerFeed = 25;

std::string City(int c) { return "city" + std::to_string(c); }
std::string Term(int t) { return "bike" + std::to_string(t); }

// A feed whose links no other pair's feed has.
std::string FeedFor(int c, int t) {
    return fixtures::CraigslistFeedOf(City(c), std::to_string(t) + "-", ItemsPerFeed, 600);
}

struct Setup {
    std::vector<FeedQuery> queries;
    std::map<std::string, Script> answers;  // by host and path
    size_t answerBytes = 0;
};

const Setup& SearchSetup() {
    static const Setup setup = [] {
        Setup s;
        for (int c = 0; c < Cities; ++c) {
            for (int t = 0; t < Terms; ++t) {
                FeedQuery query = BuildFeedQuery(Term(t), City(c), "sss");
                std::string feed = FeedFor(c, t);
                s.answerBytes += feed.size();
                s.answers[query.host + query.path] = Answer(std::move(feed));
                s.queries.push_back(std::move(query));
            }
        }
        return s;
    }();
    return setup;
}

std::string Lines(int count, std::string (*line)(int)) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line(i) + "\r\n";
    return text;
}

HttpOptions OptionsFor(const Dialer& dialer) {
    HttpOptions options;
    options.dialer = &dialer;
    return options;
}

// every city's host is the one server
void RouteCities(LoopbackDialer& dialer, std::uint16_t port) {
    for (int c = 0; c < Cities; ++c) dialer.Route(City(c) + ".craigslist.org", port);
}

// The same fetches in a bare loop; with a yield after each when the argument is 1, as the run
// yields once per pair (under load a yield can cost more than the fetch itself).
void BM_BaselineBareFetchLoop(benchmark::State& bench) {
    const Setup& setup = SearchSetup();
    LoopbackServer server(ByHostAndPath(setup.answers));
    LoopbackDialer dialer;
    RouteCities(dialer, server.Port());
    const HttpOptions options = OptionsFor(dialer);
    const bool yield = bench.range(0) == 1;
    for (auto _ : bench) {
        size_t bytes = 0;
        for (const FeedQuery& query : setup.queries) {
            bytes += HttpGet(query.host, query.path, options).size();
            if (yield) std::this_thread::yield();
        }
        if (bytes != setup.answerBytes) bench.SkipWithError("a fetch came back short");
    }
    bench.counters["pairs_per_second"] =
        benchmark::Counter(static_cast<double>(setup.queries.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BaselineBareFetchLoop)->ArgName("yield")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Through the Search button, one fetch at a time: the run's thread, its status lines, the
// feed scan and the merge.
void BM_SearchRun(benchmark::State& bench) {
    const Setup& setup = SearchSetup();
    LoopbackServer server(ByHostAndPath(setup.answers));
    LoopbackDialer dialer;
    RouteCities(dialer, server.Port());
    AppState state;
    state.http = OptionsFor(dialer);
    state.fetchLimits = {1};  // the bare loop fetches one at a time too
    FakeWindow window;
    window.KeepCallLog(false);
    window.SetText(IDC_CITIES, Lines(Cities, City));
    window.SetText(IDC_TERMS, Lines(Terms, Term));
    for (auto _ : bench) {
        bench.PauseTiming();
        ResetResults(state, window);
        bench.ResumeTiming();
        PressSearchButton(state, window);
        if (!window.WaitUntilSearchesEnded(std::chrono::minutes(5))) bench.SkipWithError("no end");
        if (state.results.Count() != Cities * Terms * ItemsPerFeed) bench.SkipWithError("items missing");
    }
    bench.counters["pairs_per_second"] = benchmark::Counter(static_cast<double>(Cities * Terms),
                                                            benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SearchRun)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kestrap

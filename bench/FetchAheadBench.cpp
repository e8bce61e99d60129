// Fetching ahead against slow sites: 50 cities by 4 terms from a loopback server that answers
// every request after 100 ms, each pair's answer taken in order, scanned and its items
// listed. One fetch at a time against fetching ahead through the same scheduler; the list
// must come out the same.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FeedFixtures.h"
#include "FeedServer.h"
#include "search/Feed.h"
#include "search/FetchAhead.h"
#include "search/Http.h"

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
    std::string feed = fixtures::CraigslistFeed(ItemsPerFeed, 200);
    const std::string from = "toronto.craigslist.org/bik/";
    const std::string to = City(c) + ".craigslist.org/bik/" + std::to_string(t) + "-";
    for (size_t at = feed.find(from); at != std::string::npos; at = feed.find(from, at + to.size()))
        feed.replace(at, from.size(), to);
    return feed;
}

struct Pairs {
    std::vector<FeedQuery> queries;  // in run order
    std::map<std::string, std::string> answers;
    std::vector<std::string> list;  // what a run must list
};

// the items of one answer appended as list lines
void ListItems(std::string_view answer, const std::string& host, std::vector<std::string>& list) {
    FeedStore store;
    ScanFeed(answer, host, store);
    for (const FeedItem& item : store.items)
        list.push_back(item.date + " " + item.title + " " + item.link);
}

const Pairs& SlowPairs() {
    static const Pairs pairs = [] {
        Pairs p;
        for (int c = 0; c < Cities; ++c) {
            for (int t = 0; t < Terms; ++t) {
                FeedQuery query = BuildFeedQuery(Term(t), City(c), "sss");
                std::string feed = FeedFor(c, t);
                ListItems(feed, query.host, p.list);
                p.answers[query.host + query.path] = std::move(feed);
                p.queries.push_back(std::move(query));
            }
        }
        return p;
    }();
    return pairs;
}

// Args: fetches at once, answers held at once (1, 1: one at a time).
void BM_FetchAheadSearch(benchmark::State& bench) {
    const Pairs& pairs = SlowPairs();
    FeedServer server(pairs.answers, AnswerDelay);
    FeedServerDialer dialer(server.Port());
    HttpOptions http;
    http.dialer = &dialer;
    const FetchLimits limits{static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1))};
    for (auto _ : bench) {
        std::vector<FetchJob> jobs;
        for (const FeedQuery& query : pairs.queries)
            jobs.push_back({query.host, "",
                            [&query, &http] { return HttpGet(query.host, query.path, http); }});
        FetchAhead ahead(std::move(jobs), limits);
        std::vector<std::string> list;
        for (size_t k = 0; k < pairs.queries.size(); ++k)
            ListItems(ahead.Take(k), pairs.queries[k].host, list);
        if (list != pairs.list)
            bench.SkipWithError("the list differs from the one fetched one at a time");
    }
    bench.counters["pairs_per_second"] = benchmark::Counter(
        static_cast<double>(pairs.queries.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FetchAheadSearch)
    ->ArgNames({"fetches", "answers"})
    ->Args({1, 1})
    ->Args({8, 8})
    ->Args({8, 16})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kestrap

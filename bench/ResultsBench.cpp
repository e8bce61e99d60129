// One search merges up to 500 feed items into a list of up to 10,000 entries; each item
// asks whether its link is known. Baseline: the plain scan of every entry's link.
// And the sort that Save and pruning do, against std::sort of the entries' texts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/State.h"
#include "app/ResultsListBox.h"
#include "store/ResultEntry.h"

namespace kestrap {
namespace {

ResultEntry Entry(int i) {
    return {"2008-01-15", "a bike for sale, barely used",
            "http://boston.craigslist.org/bik/" + std::to_string(100000000 + i) + ".html", false};
}

// links a feed would bring: half known, half new
std::vector<std::string> FeedLinks(int listSize) {
    std::vector<std::string> links;
    for (int i = 0; i < 500; ++i) {
        int n = i % 2 == 0 ? (i * 19) % listSize : listSize + i;
        links.push_back("http://boston.craigslist.org/bik/" + std::to_string(100000000 + n) + ".html");
    }
    return links;
}

void FindResultByLinkIndexed(benchmark::State& bench) {
    AppState state;
    const int size = static_cast<int>(bench.range(0));
    std::vector<ResultEntry> entries;
    for (int i = 0; i < size; ++i) entries.push_back(Entry(i));
    state.results.Replace(entries);
    const auto links = FeedLinks(size);
    for (auto _ : bench) {
        int found = 0;
        for (const auto& link : links) found += FindResultByLink(state, link);
        benchmark::DoNotOptimize(found);
    }
    bench.SetItemsProcessed(bench.iterations() * static_cast<int64_t>(links.size()));
}
BENCHMARK(FindResultByLinkIndexed)->Arg(1000)->Arg(10000);

void FindResultByLinkScanBaseline(benchmark::State& bench) {
    const int size = static_cast<int>(bench.range(0));
    std::vector<ResultEntry> entries;
    for (int i = 0; i < size; ++i) entries.push_back(Entry(i));
    const auto links = FeedLinks(size);
    for (auto _ : bench) {
        int found = 0;
        for (const auto& link : links) {
            for (const auto& entry : entries) {
                if (entry.link == link) {
                    ++found;
                    break;
                }
            }
        }
        benchmark::DoNotOptimize(found);
    }
    bench.SetItemsProcessed(bench.iterations() * static_cast<int64_t>(links.size()));
}
BENCHMARK(FindResultByLinkScanBaseline)->Arg(1000)->Arg(10000);

// 10,000 entries over 100 days in the order a day of searches leaves them: shuffled.
std::vector<ResultEntry> UnsortedEntries() {
    std::vector<ResultEntry> entries;
    for (int i = 0; i < MaxResults; ++i) {
        const int day = 1 + i % 28;
        entries.push_back({"2008-0" + std::to_string(1 + i % 3) + "-" + (day < 10 ? "0" : "") + std::to_string(day),
                           "Mountain bike - $" + std::to_string(100 + i),
                           "http://boston.craigslist.org/bik/" + std::to_string(1000000000 + i) + ".html", false});
    }
    std::shuffle(entries.begin(), entries.end(), std::mt19937(7));
    return entries;
}

void BM_BaselineStdSort(benchmark::State& bench) {
    std::vector<std::string> unsorted;
    for (const ResultEntry& entry : UnsortedEntries()) unsorted.push_back(EntryText(entry));
    for (auto _ : bench) {
        bench.PauseTiming();
        auto entries = unsorted;
        bench.ResumeTiming();
        std::sort(entries.begin(), entries.end(), std::greater<>());
        benchmark::DoNotOptimize(entries.data());
    }
}
BENCHMARK(BM_BaselineStdSort)->Unit(benchmark::kMillisecond);

void BM_SortResultsNewestFirst(benchmark::State& bench) {
    const auto unsorted = UnsortedEntries();
    AppState state;
    for (auto _ : bench) {
        bench.PauseTiming();
        state.results.Replace(unsorted);
        bench.ResumeTiming();
        SortResultsNewestFirst(state);
    }
}
BENCHMARK(BM_SortResultsNewestFirst)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrap

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <string_view>

#include "FeedFixtures.h"
#include "search/Feed.h"

namespace kestrap {
namespace {

// 500 items of about 2 KB each, roughly the largest answer a search feed gives
const std::string& LargeFeed() {
    static const std::string feed = fixtures::CraigslistFeed(MaxFeedItems, 1500);
    return feed;
}

size_t CountOccurrences(std::string_view text, std::string_view marker) {
    size_t count = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at < end) {
        const void* found = memmem(at, static_cast<size_t>(end - at), marker.data(), marker.size());
        if (found == nullptr) break;
        ++count;
        at = static_cast<const char*>(found) + marker.size();
    }
    return count;
}

// The floor for any scan: one pass for each of the two markers that every item has.
void BM_BaselineMemmem(benchmark::State& state) {
    const std::string& feed = LargeFeed();
    for (auto _ : state) {
        size_t count = CountOccurrences(feed, "<title>") + CountOccurrences(feed, "</item>");
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_BaselineMemmem);

void BM_BaselineMemchr(benchmark::State& state) {
    const std::string& feed = LargeFeed();
    for (auto _ : state) {
        size_t count = 0;
        const char* at = feed.data();
        const char* const end = feed.data() + feed.size();
        while ((at = static_cast<const char*>(std::memchr(at, '<', static_cast<size_t>(end - at)))) != nullptr) {
            ++count;
            ++at;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_BaselineMemchr);

void BM_ScanFeed(benchmark::State& state) {
    const std::string& feed = LargeFeed();
    FeedStore store;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScanFeed(feed, "toronto.craigslist.org", store));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
    state.counters["items"] = static_cast<double>(store.items.size());
    state.counters["feedBytes"] = static_cast<double>(feed.size());
}
BENCHMARK(BM_ScanFeed);

// The same feed without any link or date tag: every field search misses in its own item and
// would run through the rest of the answer, once per item, if misses were not remembered.
void BM_ScanFeedWithoutLinksOrDates(benchmark::State& state) {
    std::string feed = LargeFeed();
    for (std::string_view tag : {"<link>", "<dc:date>"}) {
        for (size_t at = feed.find(tag); at != std::string::npos; at = feed.find(tag, at)) feed[at + 1] = 'X';
    }
    FeedStore store;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScanFeed(feed, "toronto.craigslist.org", store));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
    state.counters["items"] = static_cast<double>(store.items.size());
}
BENCHMARK(BM_ScanFeedWithoutLinksOrDates);

}  // namespace
}  // namespace kestrap

BENCHMARK_MAIN();

// Reading a feed that is not well formed against reading a well-formed one of the same size:
// the items before the fault are found in one pass.
#include <benchmark/benchmark.h>

#include <string>

#include "search/FeedAddress.h"

namespace kestrap {
namespace {

constexpr size_t DocumentBytes = size_t{2} << 20;

class FixedClock final : public Clock {
public:
    LocalTime Now() const override { return {2026, 3, 9, 12, 0, 0}; }
};

std::string Answer(std::string_view body) { return "HTTP/1.1 200 OK\r\n\r\n" + std::string(body); }

// The baseline: a well-formed document of the same size and the same items.
const std::string& WellFormed() {
    static const std::string answer = [] {
        std::string body = "<rss><channel>";
        while (body.size() < DocumentBytes) body += "<item/>";
        return Answer(body + "</channel></rss>");
    }();
    return answer;
}

// Not well formed at its very end, after every item: the shape that once cost a pass over
// the rest of the document per item.
const std::string& FaultAtTheEnd() {
    static const std::string answer = [] {
        std::string body = "<rss><channel>";
        while (body.size() < DocumentBytes) body += "<item/>";
        return Answer(body + "<item></item><");
    }();
    return answer;
}

void ReadAnswer(benchmark::State& state, const std::string& answer) {
    const FixedClock clock;
    FeedStore store;
    for (auto _ : state) benchmark::DoNotOptimize(ReadFeedAddressItems(answer, "http://a.test/", {}, clock, store));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}

void BM_BaselineReadWellFormedFeed(benchmark::State& state) { ReadAnswer(state, WellFormed()); }
BENCHMARK(BM_BaselineReadWellFormedFeed)->Unit(benchmark::kMillisecond);

void BM_ReadFeedWithFault(benchmark::State& state) { ReadAnswer(state, FaultAtTheEnd()); }
BENCHMARK(BM_ReadFeedWithFault)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrap

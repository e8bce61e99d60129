#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include <string>

#include "platform/Clock.h"
#include "search/FeedXml.h"

namespace kestrap {
namespace {

class FixedClock final : public Clock {
public:
    LocalTime Now() const override { return {2026, 12, 7, 12, 0, 0}; }
};

// 500 entries of about 2 KB, titles typed as html as many feed generators send them:
// about 1 MB, the size of a large search feed
const std::string& LargeAtomFeed() {
    static const std::string feed = [] {
        std::string summary;
        while (summary.size() < 1640) summary += "Good condition, &lt;b&gt;pick up only&lt;/b&gt; &amp;amp; cash. ";
        std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                           "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"https://ads.example/\">\n"
                           "<title>Bikes</title><id>urn:ads:bikes</id><updated>2026-12-07T10:00:00Z</updated>\n";
        for (int n = 1; n <= 500; ++n) {
            const std::string number = std::to_string(n);
            text += "<entry>\n<title type=\"html\">Red bike &amp;amp; helmet &lt;b&gt;$" + number +
                    "&lt;/b&gt; (downtown)</title>\n"
                    "<link rel=\"alternate\" type=\"text/html\" href=\"bik/" + number + ".html\"/>\n"
                    "<link rel=\"self\" href=\"api/" + number + "\"/>\n"
                    "<id>urn:ads:" + number + "</id>\n<updated>2026-12-0" + std::to_string(1 + n % 7) +
                    "T10:11:12-05:00</updated>\n<author><name>seller " + number + "</name></author>\n"
                    "<summary type=\"html\">" + summary + "</summary>\n</entry>\n";
        }
        return text + "</feed>\n";
    }();
    return feed;
}

// The floor for any reader that builds a tree: the parser alone on the same bytes.
void BM_BaselinePugixmlParse(benchmark::State& state) {
    const std::string& feed = LargeAtomFeed();
    for (auto _ : state) {
        pugi::xml_document tree;
        benchmark::DoNotOptimize(tree.load_buffer(feed.data(), feed.size(), pugi::parse_default, pugi::encoding_auto));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_BaselinePugixmlParse);

void BM_ReadAtomFeed(benchmark::State& state) {
    const std::string& feed = LargeAtomFeed();
    const FixedClock clock;
    size_t items = 0;
    for (auto _ : state) {
        items = 0;
        ReadXmlFeed(feed, "https://ads.example/feeds/bikes.atom", clock, [&](FeedItem& item) {
            benchmark::DoNotOptimize(item);
            return ++items < 1000;
        });
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
    state.counters["items"] = static_cast<double>(items);
    state.counters["feedBytes"] = static_cast<double>(feed.size());
}
BENCHMARK(BM_ReadAtomFeed);

}  // namespace
}  // namespace kestrap

#include "run/SearchPairs.h"

#include <optional>

#include "common/Text.h"
#include "search/FeedAddress.h"
#include "search/Url.h"

namespace kestrap {
namespace {

SearchPair PlanPair(const std::string& city, size_t c, size_t t, TermLine line) {
    SearchPair pair{c, t, std::move(line), {}, {}, {}, false, 0};
    if (IsFeedAddress(city)) {
        pair.address = FeedAddressUrl(city, pair.line.term);
        pair.shared = !HasTermSlot(city);
        if (pair.shared) pair.termFilter = pair.line.term;
    } else {
        pair.query = BuildFeedQuery(pair.line.term, LowerCase(city), pair.line.section);
    }
    return pair;
}

}  // namespace

std::string FetchPairAnswer(const SearchPair& pair, const HttpOptions& http) {
    if (!pair.address.empty()) return FetchFeedAddress(pair.address, http);
    return HttpGet(pair.query.host, pair.query.path, http);
}

std::vector<SearchPair> PlanPairs(const std::vector<std::string>& cities,
                                  const std::vector<std::string>& terms, const HttpOptions& http,
                                  std::vector<FetchJob>& jobs) {
    std::vector<SearchPair> pairs;
    for (size_t c = 0; c < cities.size(); ++c) {
        const std::string& city = cities[c];
        for (size_t t = 0; t < terms.size(); ++t) {
            TermLine line = SplitTermLine(terms[t]);
            // a section names a category of the classic sites; a feed address has none
            if (!IsFeedAddress(city) && SkipsPair(city, line)) continue;
            SearchPair pair = PlanPair(city, c, t, std::move(line));
            if (pair.Fetches()) {
                pair.job = jobs.size();
                // one fetch at a time per host, whatever the form of its address
                const std::optional<Url> url = ParseUrl(pair.address);
                jobs.push_back({url ? LowerCase(url->host) : pair.query.host,
                                pair.shared ? pair.address : std::string(),
                                [pair, http] { return FetchPairAnswer(pair, http); }});
            }
            pairs.push_back(std::move(pair));
        }
    }
    return pairs;
}

int ReadPairAnswer(const SearchPair& pair, const std::string& answer, const Clock& clock,
                   FeedStore& store) {
    store.items.clear();
    store.cut = false;
    if (!pair.Fetches()) return 0;
    if (answer.empty()) return -1;
    if (!pair.address.empty())
        return ReadFetchedFeedAddress(answer, pair.termFilter, clock, store);
    return ScanFeed(answer, pair.query.host, store);
}

}  // namespace kestrap

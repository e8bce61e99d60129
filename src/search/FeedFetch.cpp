#include "search/Feed.h"

#include "search/FeedAddress.h"

namespace kestrap {

namespace {

// A feed address asks the site itself: with {term} the site searches, without it the
// feed is filtered by the term.
int FetchFeedAddressItems(std::string_view term, std::string_view cityLine, FeedStore& store,
                          const HttpOptions& http) {
    const bool slot = HasTermSlot(cityLine);
    const std::string url = FeedAddressUrl(cityLine, term);
    const std::string answer = FetchFeedAddress(url, http);
    if (answer.empty()) return -1;
    return ReadFeedAddressItems(answer, url, slot ? std::string_view{} : term, SystemClock(), store);
}

}  // namespace

int FetchFeedItems(std::string_view term, std::string_view lowerCity, std::string_view section,
                   FeedStore& store, const HttpOptions& http) {
    store.items.clear();
    store.cut = false;
    if (IsFeedAddress(lowerCity)) return FetchFeedAddressItems(term, lowerCity, store, http);
    const FeedQuery query = BuildFeedQuery(term, lowerCity, section);
    if (!query.fetch) return 0;
    const std::string answer = HttpGet(query.host, query.path, http);
    if (answer.empty()) return -1;
    return ScanFeed(answer, query.host, store);
}

}  // namespace kestrap

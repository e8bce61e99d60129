#include "search/Feed.h"

namespace kestrap {

int FetchFeedItems(std::string_view term, std::string_view lowerCity, std::string_view section,
                   FeedStore& store, const HttpOptions& http) {
    store.items.clear();
    store.cut = false;
    const FeedQuery query = BuildFeedQuery(term, lowerCity, section);
    if (!query.fetch) return 0;
    const std::string answer = HttpGet(query.host, query.path, http);
    if (answer.empty()) return -1;
    return ScanFeed(answer, query.host, store);
}

}  // namespace kestrap

#pragma once
// Site queries and the feed scan: one city, one term, one section.
#include <string>
#include <string_view>
#include <vector>

#include "search/Http.h"

namespace kestrap {

constexpr int MaxFeedItems = 500;

struct FeedItem {
    std::string date;   // stored form YYYY-MM-DD, held by HeldDate (search/FeedText.h)
    std::string title;  // CDATA wrapper removed, held by HeldTitle
    std::string link;   // held by HeldLink
};

// The items of one fetch. `cut` tells that the feed held more than MaxFeedItems.
struct FeedStore {
    std::vector<FeedItem> items;
    bool cut = false;
};

struct FeedQuery {
    std::string host;
    std::string path;
    bool fetch = false;  // false when no request is made (a numeric section on Craigslist)
};

std::string UrlEncodeTerm(std::string_view term);
FeedQuery BuildFeedQuery(std::string_view term, std::string_view lowerCity, std::string_view section);

// Scans an answer by the rules that the host selects; fills store.items, returns the count.
int ScanFeed(std::string_view answer, std::string_view host, FeedStore& store);

}  // namespace kestrap

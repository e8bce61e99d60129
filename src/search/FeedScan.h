#pragma once
// The item scan shared by both sites; the rules differ only in markers and date form.
#include <cstddef>
#include <string>
#include <string_view>

#include "search/Feed.h"

namespace kestrap {

struct FeedRules {
    std::string_view startMarker;
    std::string_view dateOpen;
    std::string_view dateClose;
    std::string (*storedDate)(std::string_view feedDate);
};

extern const FeedRules CraigslistRules;
extern const FeedRules KijijiRules;

// A field whose closing tag is missing would run to the end of the answer, once per item:
// longer fields are cut here so that a broken feed cannot multiply the answer in memory.
constexpr size_t MaxFieldBytes = 4096;

// Reads at most MaxFeedItems items into store.items and sets store.cut, in place of what
// the store held.
void ScanItems(std::string_view answer, const FeedRules& rules, FeedStore& store);

}  // namespace kestrap

#pragma once
// City lines that are a feed's own address ("https://host/path?q={term}"), read as
// RSS or Atom rather than by a classic site's rules.
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "search/Feed.h"
#include "search/Http.h"

namespace kestrap {

// Begins with "http://" or "https://", letter case ignored.
bool IsFeedAddress(std::string_view cityLine);

// Contains the slot "{term}" that takes the search term.
bool HasTermSlot(std::string_view cityLine);

// The address to fetch: the line stripped of blanks, every "{term}" replaced by the
// encoded term; letter case as written.
std::string FeedAddressUrl(std::string_view cityLine, std::string_view term);

// Every word of `term` occurs in the title, a "double-quoted phrase" as a whole, and no
// word written "-word" occurs; letter case by the program's lower-casing rule. The title
// is HTML text, so the term is compared in that form too. An empty term keeps every title.
bool TitleMatchesTerm(std::string_view title, std::string_view term);

// A feed's answer and the address that its relative links resolve against.
struct FeedAnswer {
    std::string answer;   // the server's whole answer; empty when nothing came
    std::string address;  // the feed's own address
};

// The server's answer for the address (redirects followed). With `findFeed`, a successful
// answer that is a page, not a feed, gives way to the answer for the feed that the page
// names (search/FeedDiscovery.h), fetched once; a page that names none stays the answer.
FeedAnswer FetchFeedAddress(std::string_view url, bool findFeed, const HttpOptions& http = {});

// A FeedAnswer as one text, for a fetch queue that carries texts, and back: the address,
// a line feed, the answer. Empty when no answer came, so that an empty text still means
// a failed fetch.
std::string FeedAnswerText(const FeedAnswer& fetched);
FeedAnswer ReadFeedAnswerText(std::string_view text);

// Reads the items of an answer that came from `answeredUrl` into `store` (emptied first),
// relative links resolved against that address: only those whose title matches
// `termFilter` (empty: all), at most MaxFeedItems (store.cut when more matched). An answer
// that is not a 2xx success or not a feed gives none. Returns the count.
int ReadFeedAddressItems(std::string_view answer, std::string_view answeredUrl, std::string_view termFilter,
                         const Clock& clock, FeedStore& store);

}  // namespace kestrap

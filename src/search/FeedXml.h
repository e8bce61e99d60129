#pragma once
// RSS 2.0, RSS 1.0 and Atom documents read with an XML parser.
#include <functional>
#include <string_view>

#include "platform/Clock.h"
#include "search/Feed.h"

namespace kestrap {

// Hands the items of the document in order to `take`, until it answers false: the title
// as HTML text in UTF-8 (entities decoded, CDATA unwrapped, an Atom title read as its text
// construct, white space runs as one blank, then "&", "<", ">" escaped), the link as its
// format defines it (search/FeedLinks.h) made absolute against the document's xml:base and
// `askedUrl`, the date in stored form (today's when the item has no usable one). Items
// without an http:// or https:// link are left out. A document that is not well formed
// yields the items that were complete before the fault; anything else that is not a feed
// yields none.
void ReadXmlFeed(std::string_view document, std::string_view askedUrl, const Clock& clock,
                 const std::function<bool(FeedItem& item)>& take);

// "&", "<" and ">" as character references, so that feed text shows as text.
std::string EscapeHtmlText(std::string_view text);

}  // namespace kestrap

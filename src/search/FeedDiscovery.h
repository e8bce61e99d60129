#pragma once
// Finding a site's feed from the address of one of its pages, as feed readers do: the page
// names its feeds in <link rel="alternate" type="application/rss+xml" href="...">.
#include <string>
#include <string_view>

namespace kestrap {

// True when the document's first element is a feed's (rss, RDF or feed, any prefix),
// after a byte-order mark, white space, declarations, comments and a DOCTYPE.
bool IsFeedDocument(std::string_view body);

// The href of the page's first <link> whose rel holds "alternate" and whose type is
// application/rss+xml or application/atom+xml, its character references decoded and made
// absolute against `pageUrl`; empty when the page names no such feed, or one that is not
// an http:// or https:// address. Comments are skipped.
std::string FindFeedLink(std::string_view page, std::string_view pageUrl);

}  // namespace kestrap

#pragma once
// The link of a feed's item, as each format defines it, made absolute.
#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace kestrap {

// The address that relative references inside `node` resolve against: `outer`, then every
// xml:base from below `top` down to `node`. With an empty `top`, from the root: `outer` is
// then the address that gave the document.
std::string XmlBase(const pugi::xml_node& node, std::string_view outer, const pugi::xml_node& top = {});

// `itemsBase` is XmlBase of the element that holds the items: each document's chain of
// bases above its items is resolved once, not once per item.

// An RSS item's first non-empty <link>; without one, its <guid> when that is a permalink
// (isPermaLink absent or "true") and a web address. Absolute; empty when there is none.
std::string RssItemLink(const pugi::xml_node& item, std::string_view itemsBase);

// An Atom entry's alternate link (rel "alternate", or no rel), the first of type text/html
// before any other. Absolute; empty when there is none.
std::string AtomEntryLink(const pugi::xml_node& entry, std::string_view itemsBase);

}  // namespace kestrap

#pragma once
// The href an entry's link gets in the results file. A web address is written as it is; any
// other link goes behind "#", a place in the page itself, so that a click on it opens
// nothing and runs nothing, while the file still holds the link for the next start.
#include <string_view>

namespace kestrap {

// What goes before the link in its href: nothing for a web address, "#" for anything else.
std::string_view ItemHrefPrefix(std::string_view link);
// The link that an href written by ItemHref stands for.
std::string_view LinkOfItemHref(std::string_view href);

}  // namespace kestrap

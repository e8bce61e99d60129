#include "store/ItemLink.h"

#include "search/FeedText.h"

namespace kestrap {

std::string ItemHref(std::string_view link) {
    if (IsWebAddress(link)) return std::string(link);
    return "#" + std::string(link);
}

// a web address never begins with "#", so only an inert href loses its first byte
std::string_view LinkOfItemHref(std::string_view href) {
    if (!href.empty() && href.front() == '#') href.remove_prefix(1);
    return href;
}

}  // namespace kestrap

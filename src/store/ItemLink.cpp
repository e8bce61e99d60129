#include "store/ItemLink.h"

#include "common/WebAddress.h"

namespace kestrap {

std::string_view ItemHrefPrefix(std::string_view link) {
    return IsWebAddress(link) ? std::string_view() : std::string_view("#");
}

// a web address never begins with "#", so only an inert href loses its first byte
std::string_view LinkOfItemHref(std::string_view href) {
    if (!href.empty() && href.front() == '#') href.remove_prefix(1);
    return href;
}

}  // namespace kestrap

#pragma once
// What a reader's browser may meet in an item line of the results file: only the program's
// own tags, and an href that is a web address or inert (a place in the page itself).
#include <string_view>

#include "common/WebAddress.h"

namespace kestrap {

inline bool IsInertHref(std::string_view href) {
    return IsWebAddress(href) || (!href.empty() && href.front() == '#');
}

inline bool HoldsOnlyOwnTags(std::string_view line) {
    static constexpr std::string_view own[] = {"<li>", "</a>", "<b>NEW</b>", "</li>"};
    constexpr std::string_view anchor = "<a href=\"";
    size_t at = line.find('<');
    while (at != std::string_view::npos) {
        const std::string_view rest = line.substr(at);
        size_t length = 0;
        if (rest.substr(0, anchor.size()) == anchor) {
            const size_t close = rest.find('"', anchor.size());
            if (close == std::string_view::npos || rest.substr(close, 2) != "\">") return false;
            if (!IsInertHref(rest.substr(anchor.size(), close - anchor.size()))) return false;
            length = close + 2;
        }
        for (const std::string_view tag : own)
            if (rest.substr(0, tag.size()) == tag) length = tag.size();
        if (length == 0) return false;
        at = line.find('<', at + length);
    }
    return true;
}

}  // namespace kestrap

// The feed scan on arbitrary answers: the first byte picks the site's rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "search/Feed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view host = (data[0] & 1) ? "montreal.kijiji.ca" : "toronto.craigslist.org";
    const std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);
    kestrap::FeedStore store;
    const int count = kestrap::ScanFeed(answer, host, store);
    if (count < 0 || count > kestrap::MaxFeedItems || static_cast<size_t>(count) != store.items.size()) std::abort();
    for (const kestrap::FeedItem& item : store.items) {
        // every stored field is a piece of the answer (or made from one), never more than it
        if (item.title.size() > answer.size() || item.link.size() > answer.size()) std::abort();
    }
    return 0;
}

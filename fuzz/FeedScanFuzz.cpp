// The feed scan on arbitrary answers: the first byte picks the site's rules. Every item
// read is then merged into a results list, as a search does, and must keep its link.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "search/Feed.h"
#include "store/ResultEntry.h"
#include "store/ResultsList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    if (size == 0) return 0;
    const std::string_view host = (data[0] & 1) ? "montreal.kijiji.ca" : "toronto.craigslist.org";
    const std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);
    FeedStore store;
    const int count = ScanFeed(answer, host, store);
    if (count < 0 || count > MaxFeedItems || static_cast<size_t>(count) != store.items.size()) std::abort();

    ResultsList results;
    for (const FeedItem& item : store.items) {
        // every stored field is made from a piece of the answer: held, a byte grows to four
        // at most ("<" to "&lt;")
        if (item.title.size() > 4 * answer.size() || item.link.size() > 4 * answer.size())
            std::abort();
        const ResultEntry entry = NewResultEntry(item.date, item.title, item.link);
        if (!results.ContainsLink(entry.link) && !results.Add(entry)) std::abort();
        // the entry's link is found as the search will look it up
        if (!results.ContainsLink(EntryLink(item.link))) std::abort();
    }
    if (results.Count() > count) std::abort();
    // no title, date or link can make or hide fields of its entry's text
    for (const ResultEntry& entry : results.Entries()) {
        const std::string text = EntryText(entry);
        int separators = 0;
        for (size_t at = text.find("||"); at != std::string::npos; at = text.find("||", at + 1)) ++separators;
        if (!entry.isNew || separators != 3) std::abort();
    }
    return 0;
}

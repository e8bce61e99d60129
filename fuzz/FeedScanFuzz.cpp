// The feed scan on arbitrary answers: the first byte picks the site's rules. Every item
// read is then merged into a results list, as a search does, and must keep its link.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/Text.h"
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
        const std::string link = EntryFieldText(item.link);
        if (!results.ContainsLink(StripBlanks(link)) &&
            !results.Append(NewEntryText(item.date, item.title, link)))
            std::abort();
        // the entry's link field reads back as the link it was made with
        if (!results.ContainsLink(StripBlanks(link))) std::abort();
    }
    if (results.Count() > count) std::abort();
    // no title, date or link can make or hide fields of its entry
    for (const std::string& entry : results.Entries()) {
        if (!IsTaggedNew(entry) || !ResultField(entry, 5).empty()) std::abort();
    }
    return 0;
}

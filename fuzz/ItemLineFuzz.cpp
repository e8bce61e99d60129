// Arbitrary feed bytes through the scan, the intake and the results-file writer: whatever a
// feed sends, the file holds only the program's own tags, and every href is a web address
// or inert. The first byte picks the site's rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ItemLines.h"
#include "common/Text.h"
#include "platform/Clock.h"
#include "search/Feed.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"
#include "store/ResultsList.h"

namespace {

// A line that is not an item line is a heading or a list bracket, with no other tag.
bool IsOwnFrameLine(std::string_view line) {
    if (line == "<ul>" || line == "</ul>") return true;
    if (line.size() < 9 || line.substr(0, 4) != "<h3>" || line.substr(line.size() - 5) != "</h3>")
        return false;
    return line.substr(4, line.size() - 9).find('<') == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    if (size == 0) return 0;
    const std::string_view host = (data[0] & 1) ? "montreal.kijiji.ca" : "toronto.craigslist.org";
    const std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);
    FeedStore store;
    ScanFeed(answer, host, store);

    // entries as a search makes them, without a window
    ResultsList results;
    for (const FeedItem& item : store.items) {
        if (!results.Add(NewResultEntry(item.date, item.title, item.link))) std::abort();
    }
    const std::string text = ResultsFileText(results, SystemClock());
    std::string_view rest = text, line;
    int items = 0;
    while (NextLine(rest, line)) {
        if (FindText(line, "<li>") == std::string_view::npos) {
            if (!IsOwnFrameLine(line)) std::abort();
            continue;
        }
        ++items;
        if (!HoldsOnlyOwnTags(line)) std::abort();
    }
    if (items != results.Count()) std::abort();
    return 0;
}

// The feed-address reader on arbitrary answers: the input's first line is the term filter,
// the rest the server's answer. Every item kept must be inert, dated and matched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "search/FeedAddress.h"

namespace {

class FixedClock final : public kestrap::Clock {
public:
    kestrap::LocalTime Now() const override { return {2026, 12, 7, 12, 0, 0}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string_view term = lineEnd == std::string_view::npos ? std::string_view{} : input.substr(0, lineEnd);
    const std::string_view answer = lineEnd == std::string_view::npos ? input : input.substr(lineEnd + 1);

    FeedStore store;
    const int count = ReadFeedAddressItems(answer, "https://feeds.test/dir/feed.xml?q=1", term, FixedClock(), store);
    if (count < 0 || count > MaxFeedItems || static_cast<size_t>(count) != store.items.size()) std::abort();
    for (const FeedItem& item : store.items) {
        if (item.date.size() != 10 || item.link.empty()) std::abort();
        // a title is one line of HTML text: no markup and no line break can come through
        if (item.title.find_first_of("<>\r\n\t") != std::string::npos) std::abort();
        if (!TitleMatchesTerm(item.title, term)) std::abort();
    }
    return 0;
}

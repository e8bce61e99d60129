#include "search/FeedScan.h"

#include "common/Text.h"
#include "search/Dates.h"

namespace kestrap {

const FeedRules CraigslistRules{"</channel>", "<dc:date>", "</dc:date>", CraigslistStoredDate};
const FeedRules KijijiRules{"</image>", "<pubDate>", "</pubDate>", KijijiStoredDate};

namespace {

constexpr size_t npos = std::string_view::npos;

// The next occurrence of one marker at or after a position. The positions asked for never
// go back far, so the last answer usually still holds and a marker missing from an item is
// not searched for again through the rest of the answer by every later item.
class MarkerCursor {
public:
    MarkerCursor(std::string_view text, std::string_view marker) : text_(text), marker_(marker) {}

    size_t Find(size_t from) {
        const bool stillValid = searched_ && from >= searchedFrom_ && (at_ == npos || at_ >= from);
        if (!stillValid) {
            at_ = FindText(text_, marker_, from);
            searchedFrom_ = from;
            searched_ = true;
        }
        return at_;
    }

    size_t Size() const { return marker_.size(); }

private:
    std::string_view text_;
    std::string_view marker_;
    size_t searchedFrom_ = 0;
    size_t at_ = npos;
    bool searched_ = false;
};

// TextBetween over text[from..], with both markers found through their cursors; `limit`
// stands for the end of the text (the end marker is only looked for before it).
std::string_view Between(std::string_view text, size_t from, size_t limit, MarkerCursor& open,
                         MarkerCursor& close) {
    const size_t start = open.Find(from);
    if (start == npos || start + open.Size() > limit) return {};
    const size_t begin = start + open.Size();
    size_t end = close.Find(begin);
    if (end == npos || end + close.Size() > limit) end = limit;
    return text.substr(begin, end - begin);
}

std::string Stored(std::string_view field) { return std::string(field.substr(0, MaxFieldBytes)); }

size_t CountTitles(std::string_view text, size_t limit) {
    size_t count = 0;
    for (size_t at = FindText(text, "<title>"); at != npos && count < limit; at = FindText(text, "<title>", at + 7))
        ++count;
    return count;
}

}  // namespace

void ScanItems(std::string_view answer, const FeedRules& rules, FeedStore& store) {
    const size_t startAt = answer.find(rules.startMarker);
    if (startAt == npos) return;
    const std::string_view text = answer.substr(startAt);

    const size_t titles = CountTitles(text, MaxFeedItems + 1);
    store.cut = titles > MaxFeedItems;
    const size_t count = titles > MaxFeedItems ? MaxFeedItems : titles;
    store.items.reserve(count);

    MarkerCursor titleOpen(text, "<title>"), titleClose(text, "</title>");
    MarkerCursor dateOpen(text, rules.dateOpen), dateClose(text, rules.dateClose);
    MarkerCursor linkOpen(text, "<link>"), linkClose(text, "</link>");
    MarkerCursor cdataOpen(text, "<![CDATA["), cdataClose(text, "]]>");
    MarkerCursor itemClose(text, "</item>");

    size_t item = 0;  // where the current item's text begins
    for (size_t i = 0; i < count; ++i) {
        std::string_view title = Between(text, item, text.size(), titleOpen, titleClose);
        if (title.substr(0, 9) == "<![CDATA[") {
            const size_t titleAt = static_cast<size_t>(title.data() - text.data());
            title = Between(text, titleAt, titleAt + title.size(), cdataOpen, cdataClose);
        }
        const std::string_view date = Between(text, item, text.size(), dateOpen, dateClose);
        const std::string_view link = Between(text, item, text.size(), linkOpen, linkClose);
        store.items.push_back({rules.storedDate(date.substr(0, MaxFieldBytes)), Stored(title), Stored(link)});

        // without a closing tag the next pass would read this same item again
        const size_t end = itemClose.Find(item);
        if (end == npos) break;
        item = end + itemClose.Size();
    }
}

}  // namespace kestrap

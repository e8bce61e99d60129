#include "search/FeedScan.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "common/Text.h"
#include "search/Dates.h"
#include "search/FeedText.h"
#include "search/HttpAnswer.h"

namespace kestrap {

const FeedRules CraigslistRules{"</channel>", "<dc:date>", "</dc:date>", CraigslistStoredDate};
const FeedRules KijijiRules{"</image>", "<pubDate>", "</pubDate>", KijijiStoredDate};

namespace {

constexpr size_t npos = std::string_view::npos;

// Finds the positions of several tags (each beginning with '<') in one pass over the '<'
// bytes of the text, in step with the items: searched one by one, every tag would cost a
// pass over each item. A tag's positions are kept until a search asks past them; when too
// many are kept (a tag that nobody asks for any more), the scanner stops and says Unknown,
// and the caller searches on its own.
class TagScanner {
public:
    static constexpr size_t Unknown = npos - 1;

    explicit TagScanner(std::string_view text) : text_(text) {}

    // `tag`: three bytes or more, the first one '<'; at most 32 tags (the bits of a mask)
    int Add(std::string_view tag) {
        const int number = static_cast<int>(tags_.size());
        tags_.push_back(tag);
        found_.emplace_back();
        bySecond_[static_cast<unsigned char>(tag[1])] |= 1u << number;
        byThird_[static_cast<unsigned char>(tag[2])] |= 1u << number;
        return number;
    }

    // the first position of the tag at or after `from`, npos when there is none
    size_t Next(int tag, size_t from) {
        std::deque<size_t>& found = found_[tag];
        for (;;) {
            while (!found.empty() && found.front() < from) {
                found.pop_front();
                --kept_;
            }
            if (!found.empty()) return found.front();
            if (kept_ >= MaxKept) return Unknown;
            if (!Advance()) return npos;
        }
    }

private:
    static constexpr size_t MaxKept = 4096;

    // classifies the next '<'; false at the end of the text
    bool Advance() {
        if (frontier_ >= text_.size()) return false;
        const void* found = std::memchr(text_.data() + frontier_, '<', text_.size() - frontier_);
        if (found == nullptr) {
            frontier_ = text_.size();
            return false;
        }
        const size_t at = static_cast<size_t>(static_cast<const char*>(found) - text_.data());
        frontier_ = at + 1;
        if (text_.size() - at < 3) return true;
        // the tags that could begin here, by their second and third bytes
        const char* here = text_.data() + at;
        uint32_t candidates = bySecond_[static_cast<unsigned char>(here[1])] &
                              byThird_[static_cast<unsigned char>(here[2])];
        while (candidates != 0) {
            const int tag = std::countr_zero(candidates);
            candidates &= candidates - 1;
            if (text_.substr(at, tags_[tag].size()) != tags_[tag]) continue;
            found_[tag].push_back(at);
            ++kept_;
        }
        return true;
    }

    std::string_view text_;
    std::vector<std::string_view> tags_;
    uint32_t bySecond_[256] = {};  // bit n: tag n has this second byte
    uint32_t byThird_[256] = {};
    std::vector<std::deque<size_t>> found_;  // per tag, in ascending order
    size_t frontier_ = 0;  // every '<' before this has been classified
    size_t kept_ = 0;
};

// The next occurrence of one marker at or after a position. The positions asked for never
// go back far, so the last answer usually still holds and a marker missing from an item is
// not searched for again through the rest of the answer by every later item.
class MarkerCursor {
public:
    MarkerCursor(std::string_view text, std::string_view marker, TagScanner* scanner = nullptr)
        : text_(text), marker_(marker), scanner_(scanner), tag_(scanner ? scanner->Add(marker) : -1) {}

    size_t Find(size_t from) {
        const bool stillValid = searched_ && from >= searchedFrom_ && (at_ == npos || at_ >= from);
        if (!stillValid) {
            at_ = scanner_ ? scanner_->Next(tag_, from) : TagScanner::Unknown;
            if (at_ == TagScanner::Unknown) at_ = FindText(text_, marker_, from);
            searchedFrom_ = from;
            searched_ = true;
        }
        return at_;
    }

    size_t Size() const { return marker_.size(); }

private:
    std::string_view text_;
    std::string_view marker_;
    TagScanner* scanner_;
    int tag_;
    size_t searchedFrom_ = 0;
    size_t at_ = npos;
    bool searched_ = false;
};

// Counts "<title>" without overlap from the start of the text, only as far as asked.
class TitleCount {
public:
    TitleCount(std::string_view text, TagScanner& scanner) : titles_(text, "<title>", &scanner) {}

    bool AtLeast(size_t wanted) {
        while (seen_ < wanted) {
            const size_t at = titles_.Find(seen_ == 0 ? 0 : last_ + titles_.Size());
            if (at == npos) return false;
            last_ = at;
            ++seen_;
        }
        return true;
    }

private:
    MarkerCursor titles_;
    size_t seen_ = 0;
    size_t last_ = 0;
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

}  // namespace

void ScanItems(std::string_view answer, const FeedRules& rules, FeedStore& store) {
    const size_t startAt = FindText(answer, rules.startMarker);
    if (startAt == npos) return;
    const std::string_view text = answer.substr(startAt);
    const bool utf8 = IsUtf8Feed(ReadHttpAnswer(answer).body);

    TagScanner scanner(text);
    // the item count is the number of titles in the whole text: counted as the items are
    // read, so that the text is not searched for titles on its own first
    TitleCount titles(text, scanner);
    MarkerCursor titleOpen(text, "<title>", &scanner), titleClose(text, "</title>", &scanner);
    MarkerCursor dateOpen(text, rules.dateOpen, &scanner), dateClose(text, rules.dateClose, &scanner);
    MarkerCursor linkOpen(text, "<link>", &scanner), linkClose(text, "</link>", &scanner);
    MarkerCursor itemClose(text, "</item>", &scanner);
    // only ever looked for inside a title
    MarkerCursor cdataOpen(text, "<![CDATA["), cdataClose(text, "]]>");

    size_t item = 0;  // where the current item's text begins
    for (size_t i = 0; i < static_cast<size_t>(MaxFeedItems) && titles.AtLeast(i + 1); ++i) {
        std::string_view title = Between(text, item, text.size(), titleOpen, titleClose);
        if (title.substr(0, 9) == "<![CDATA[") {
            const size_t titleAt = static_cast<size_t>(title.data() - text.data());
            title = Between(text, titleAt, titleAt + title.size(), cdataOpen, cdataClose);
        }
        const std::string_view date = Between(text, item, text.size(), dateOpen, dateClose);
        const std::string_view link = Between(text, item, text.size(), linkOpen, linkClose);
        store.items.push_back({HeldDate(rules.storedDate(date.substr(0, MaxFieldBytes))),
                               HeldTitle(title.substr(0, MaxFieldBytes), utf8),
                               HeldLink(link.substr(0, MaxFieldBytes), utf8)});

        // without a closing tag the next pass would read this same item again
        const size_t end = itemClose.Find(item);
        if (end == npos) break;
        item = end + itemClose.Size();
    }
    store.cut = titles.AtLeast(MaxFeedItems + 1);
}

}  // namespace kestrap

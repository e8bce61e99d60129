#include "search/FeedScan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/DateText.h"
#include "common/Text.h"
#include "common/WebAddress.h"
#include "search/Dates.h"
#include "search/FeedText.h"
#include "search/HttpAnswer.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace kestrap {

const FeedRules CraigslistRules{"</channel>", "<dc:date>", "</dc:date>", CraigslistStoredDate};
const FeedRules KijijiRules{"</image>", "<pubDate>", "</pubDate>", KijijiStoredDate};

namespace {

constexpr size_t npos = std::string_view::npos;

// The '<' bytes among the 64 that begin at `at` (all readable), as the bits of a mask.
uint64_t LessThanMask(const char* at, size_t count = 64) {
    uint64_t mask = 0;
    for (size_t i = 0; i < count; ++i) mask |= static_cast<uint64_t>(at[i] == '<') << i;
    return mask;
}

#if defined(__SSE2__) || defined(_M_X64)
// sixteen bytes to a compare: in the tags of a feed a '<' comes every few bytes, and a
// branch for each one would cost more than finding it
uint64_t LessThanMask64(const char* at) {
    const __m128i lessThan = _mm_set1_epi8('<');
    uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * i));
        mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lessThan))))
                << (16 * i);
    }
    return mask;
}
#else
uint64_t LessThanMask64(const char* at) { return LessThanMask(at); }
#endif

// Finds the positions of several tags (each beginning with '<') in one pass over the text,
// in step with the items: searched one by one, every tag would cost a pass over each item.
// The text is classified 64 bytes at a time: the '<' bytes of a block come as a mask, and
// each is matched against the tags by four of its next bytes, then by whole words. A
// tag's positions are kept until a search asks past them; when too many are kept (a tag
// that nobody asks for any more), the scanner stops and says Unknown, and the caller
// searches on its own.
class TagScanner {
public:
    static constexpr size_t Unknown = npos - 1;

    explicit TagScanner(std::string_view text) : text_(text) {}

    // `tag`: 6 to 16 bytes, the first one '<'; at most 32 tags (the bits of a mask)
    int Add(std::string_view tag) {
        const int number = static_cast<int>(tags_.size());
        Tag added{tag, {}, {}, {}, 0};
        for (size_t i = 0; i < tag.size(); ++i) {
            const uint64_t byte = static_cast<unsigned char>(tag[i]);
            added.word[i / 8] |= byte << (8 * (i % 8));
            added.mask[i / 8] |= uint64_t{0xFF} << (8 * (i % 8));
        }
        tags_.push_back(std::move(added));
        for (size_t i = 0; i < KeyBytes; ++i)
            byKeyByte_[i][static_cast<unsigned char>(tag[KeyPositions[i]])] |= 1u << number;
        return number;
    }

    // the first position of the tag at or after `from`, npos when there is none
    size_t Next(int tag, size_t from) {
        Tag& t = tags_[static_cast<size_t>(tag)];
        for (;;) {
            while (t.head < t.found.size() && t.found[t.head] < from) {
                ++t.head;
                --kept_;
            }
            if (t.head < t.found.size()) return t.found[t.head];
            // drained: its room is used again from the start
            t.found.clear();
            t.head = 0;
            if (kept_ >= MaxKept) return Unknown;
            if (!Advance()) return npos;
        }
    }

private:
    static constexpr size_t MaxKept = 4096;
    // The bytes that pick a '<''s candidate tags: after the '<', two for the kind of tag and
    // two that part the names of one family ("<dc:date>" from "<dc:language>", "</dc:date>"
    // from "</dc:title>"), which would otherwise each be compared in full.
    static constexpr size_t KeyBytes = 4;
    static constexpr size_t KeyPositions[KeyBytes] = {1, 2, 4, 5};

    struct Tag {
        std::string_view text;
        uint64_t word[2];  // its bytes, little-endian, as two words
        uint64_t mask[2];  // which bytes of those words are the tag's
        std::vector<size_t> found;  // ascending; those before `head` are used up
        size_t head;
    };

    static uint64_t Load(const char* at) {
        uint64_t word;
        std::memcpy(&word, at, sizeof word);
        return word;
    }

    // true when a tag begins at `at`
    bool Classify(size_t at) {
        const char* here = text_.data() + at;
        const size_t left = text_.size() - at;
        if (left < 6) return false;
        // near the end the bytes are read from a copy, padded with bytes no tag holds
        char padded[16] = {};
        if (left < 16) {
            std::memcpy(padded, here, left);
            here = padded;
        }
        uint32_t candidates = 0xFFFFFFFFu;
        for (size_t i = 0; i < KeyBytes; ++i)
            candidates &= byKeyByte_[i][static_cast<unsigned char>(here[KeyPositions[i]])];
        if (candidates == 0) return false;
        const uint64_t low = Load(here), high = Load(here + 8);
        bool matched = false;
        while (candidates != 0) {
            const int number = std::countr_zero(candidates);
            candidates &= candidates - 1;
            Tag& tag = tags_[static_cast<size_t>(number)];
            if ((((low ^ tag.word[0]) & tag.mask[0]) | ((high ^ tag.word[1]) & tag.mask[1])) != 0) continue;
            if (tag.text.size() > left) continue;
            tag.found.push_back(at);
            ++kept_;
            matched = true;
        }
        return matched;
    }

    // classifies the next blocks of 64 bytes until one holds a tag; false at the end
    bool Advance() {
        while (frontier_ < text_.size()) {
            const size_t block = frontier_;
            const size_t count = std::min<size_t>(64, text_.size() - block);
            uint64_t lessThan = count == 64 ? LessThanMask64(text_.data() + block)
                                            : LessThanMask(text_.data() + block, count);
            frontier_ = block + count;
            if (lessThan == 0) {
                // a long text between tags (a description): memchr crosses it faster
                const void* next = std::memchr(text_.data() + frontier_, '<', text_.size() - frontier_);
                frontier_ = next ? static_cast<size_t>(static_cast<const char*>(next) - text_.data()) : text_.size();
                continue;
            }
            bool matched = false;
            while (lessThan != 0) {
                matched |= Classify(block + static_cast<size_t>(std::countr_zero(lessThan)));
                lessThan &= lessThan - 1;
            }
            if (matched) return true;
        }
        return false;
    }

    std::string_view text_;
    std::vector<Tag> tags_;
    uint32_t byKeyByte_[KeyBytes][256] = {};  // bit n: tag n has this byte at that key position
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
    if (startAt == npos) {
        store.items.clear();
        store.cut = false;
        return;
    }
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

    size_t item = 0;   // where the current item's text begins
    size_t count = 0;  // items read; the store's items after them are left from before
    for (size_t i = 0; i < static_cast<size_t>(MaxFeedItems) && titles.AtLeast(i + 1); ++i) {
        std::string_view title = Between(text, item, text.size(), titleOpen, titleClose);
        if (title.substr(0, 9) == "<![CDATA[") {
            const size_t titleAt = static_cast<size_t>(title.data() - text.data());
            title = Between(text, titleAt, titleAt + title.size(), cdataOpen, cdataClose);
        }
        const std::string_view date = Between(text, item, text.size(), dateOpen, dateClose);
        const std::string_view link = Between(text, item, text.size(), linkOpen, linkClose);
        // an item left from before lends its strings' room: no allocation for most items
        if (count == store.items.size()) store.items.emplace_back();
        FeedItem& held = store.items[count++];
        held.date = HeldDate(rules.storedDate(date.substr(0, MaxFieldBytes)));
        HoldTitle(title.substr(0, MaxFieldBytes), utf8, held.title);
        HoldLink(link.substr(0, MaxFieldBytes), utf8, held.link);

        // without a closing tag the next pass would read this same item again
        const size_t end = itemClose.Find(item);
        if (end == npos) break;
        item = end + itemClose.Size();
    }
    store.items.resize(count);
    store.cut = titles.AtLeast(MaxFeedItems + 1);
}

}  // namespace kestrap

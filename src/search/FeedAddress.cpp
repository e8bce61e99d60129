#include "search/FeedAddress.h"

#include <utility>
#include <vector>

#include "common/Text.h"
#include "common/WebAddress.h"
#include "search/FeedDiscovery.h"
#include "search/FeedText.h"
#include "search/FeedXml.h"
#include "search/HttpAnswer.h"
#include "search/Url.h"

namespace kestrap {

namespace {

constexpr std::string_view TermSlot = "{term}";

struct TermPart {
    std::string text;  // lower case, HTML-escaped
    bool excluded = false;
};

std::vector<TermPart> SplitTerm(std::string_view term) {
    std::vector<TermPart> parts;
    size_t i = 0;
    while (i < term.size()) {
        if (term[i] == ' ' || term[i] == '\t') {
            ++i;
            continue;
        }
        TermPart part;
        if (term[i] == '-' && i + 1 < term.size() && term[i + 1] != ' ' && term[i + 1] != '\t') {
            part.excluded = true;
            ++i;
        }
        size_t end;
        std::string_view text;
        if (term[i] == '"') {
            // a phrase runs to the closing quote, or to the end when there is none
            end = term.find('"', i + 1);
            text = term.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
            end = end == std::string_view::npos ? term.size() : end + 1;
        } else {
            end = term.find_first_of(" \t", i);
            if (end == std::string_view::npos) end = term.size();
            text = term.substr(i, end - i);
        }
        i = end;
        if (text.empty()) continue;
        part.text = LowerCase(EscapeHtmlText(text));
        parts.push_back(std::move(part));
    }
    return parts;
}

}  // namespace

bool IsFeedAddress(std::string_view cityLine) { return HasWebScheme(StripBlanks(cityLine)); }

bool HasTermSlot(std::string_view cityLine) { return cityLine.find(TermSlot) != std::string_view::npos; }

std::string FeedAddressUrl(std::string_view cityLine, std::string_view term) {
    const std::string_view line = StripBlanks(cityLine);
    const std::string encoded = UrlEncodeTerm(term);
    std::string url;
    for (size_t from = 0;;) {
        size_t slot = line.find(TermSlot, from);
        url += line.substr(from, slot == std::string_view::npos ? std::string_view::npos : slot - from);
        if (slot == std::string_view::npos) return url;
        url += encoded;
        from = slot + TermSlot.size();
    }
}

bool TitleMatchesTerm(std::string_view title, std::string_view term) {
    const std::string lowerTitle = LowerCase(title);
    for (const TermPart& part : SplitTerm(term)) {
        const bool found = lowerTitle.find(part.text) != std::string::npos;
        if (found == part.excluded) return false;
    }
    return true;
}

FeedAnswer FetchFeedAddress(std::string_view url, bool findFeed, const HttpOptions& http) {
    HttpFetch first = HttpGetUrl(url, http);
    FeedAnswer fetched{std::move(first.answer), std::move(first.url)};
    if (!findFeed) return fetched;
    const HttpAnswerParts page = ReadHttpAnswer(fetched.answer);
    if (page.status < 200 || page.status > 299 || page.body.empty() || IsFeedDocument(page.body))
        return fetched;
    // the page's links resolve against the address that answered
    std::string feed = FindFeedLink(page.body, fetched.address);
    if (feed.empty()) return fetched;
    // the feed named by the page, and nothing further: a page that names another page is
    // read as it is, no matches
    HttpFetch named = HttpGetUrl(feed, http);
    return {std::move(named.answer), std::move(named.url)};
}

std::string FeedAnswerText(const FeedAnswer& fetched) {
    if (fetched.answer.empty()) return {};
    // an address holds no line break (the client fetches none that does), so the first
    // line end is the one after it
    return fetched.address + '\n' + fetched.answer;
}

FeedAnswer ReadFeedAnswerText(std::string_view text) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return {};
    return {std::string(text.substr(end + 1)), std::string(text.substr(0, end))};
}

int ReadFeedAddressItems(std::string_view answer, std::string_view answeredUrl, std::string_view termFilter,
                         const Clock& clock, FeedStore& store) {
    store.items.clear();
    store.cut = false;
    const HttpAnswerParts parts = ReadHttpAnswer(answer);
    if (parts.status < 200 || parts.status > 299 || parts.body.empty()) return 0;
    ReadXmlFeed(parts.body, answeredUrl, clock, [&](FeedItem& item) {
        // the reader gives UTF-8 whatever the feed's encoding: held as every feed's text is
        item.title = HeldTitle(item.title, true);
        item.link = HeldLink(item.link, true);
        if (!TitleMatchesTerm(item.title, termFilter)) return true;
        if (store.items.size() >= static_cast<size_t>(MaxFeedItems)) {
            store.cut = true;
            return false;
        }
        store.items.push_back(std::move(item));
        return true;
    });
    return static_cast<int>(store.items.size());
}

}  // namespace kestrap

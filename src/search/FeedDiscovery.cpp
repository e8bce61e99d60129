#include "search/FeedDiscovery.h"

#include <utility>

#include "common/Text.h"
#include "search/HtmlText.h"
#include "search/Url.h"

namespace kestrap {

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

void SkipSpace(std::string_view& text) {
    while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
}

// The attributes of one tag, from just after its name to its '>'.
struct LinkAttributes {
    std::string rel, type, href;
};

// Reads name=value pairs up to the tag's end; `rest` is left after the '>'.
LinkAttributes ReadAttributes(std::string_view& rest) {
    LinkAttributes link;
    bool seenRel = false, seenType = false, seenHref = false;
    for (;;) {
        while (!rest.empty() && (IsHtmlSpace(rest.front()) || rest.front() == '/')) rest.remove_prefix(1);
        if (rest.empty()) return link;
        if (rest.front() == '>') {
            rest.remove_prefix(1);
            return link;
        }
        size_t nameEnd = 0;
        while (nameEnd < rest.size() && !IsHtmlSpace(rest[nameEnd]) && rest[nameEnd] != '=' &&
               rest[nameEnd] != '>' && rest[nameEnd] != '/') {
            ++nameEnd;
        }
        if (nameEnd == 0) nameEnd = 1;  // a stray '=' or the like: passed over
        const std::string name = LowerCase(rest.substr(0, nameEnd));
        rest.remove_prefix(nameEnd);
        SkipSpace(rest);
        std::string_view value;
        if (!rest.empty() && rest.front() == '=') {
            rest.remove_prefix(1);
            SkipSpace(rest);
            if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
                const size_t close = rest.find(rest.front(), 1);
                value = rest.substr(1, close == npos ? npos : close - 1);
                rest.remove_prefix(close == npos ? rest.size() : close + 1);
            } else {
                size_t end = 0;
                while (end < rest.size() && !IsHtmlSpace(rest[end]) && rest[end] != '>') ++end;
                value = rest.substr(0, end);
                rest.remove_prefix(end);
            }
        }
        // the first of a repeated attribute counts, as in a browser
        if (name == "rel" && !std::exchange(seenRel, true)) link.rel = DecodeHtmlReferences(value);
        else if (name == "type" && !std::exchange(seenType, true)) link.type = DecodeHtmlReferences(value);
        else if (name == "href" && !std::exchange(seenHref, true)) link.href = DecodeHtmlReferences(value);
    }
}

bool HoldsToken(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        SkipSpace(list);
        size_t end = 0;
        while (end < list.size() && !IsHtmlSpace(list[end])) ++end;
        if (end > 0 && LowerCase(list.substr(0, end)) == token) return true;
        list.remove_prefix(end);
    }
    return false;
}

std::string_view Trimmed(std::string_view text) {
    SkipSpace(text);
    while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool IsFeedType(std::string_view type) {
    const std::string lower = LowerCase(Trimmed(type.substr(0, type.find(';'))));
    return lower == "application/rss+xml" || lower == "application/atom+xml";
}

}  // namespace

bool IsFeedDocument(std::string_view body) {
    std::string_view rest = body;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
    for (;;) {
        SkipSpace(rest);
        if (rest.substr(0, 4) == "<!--") {
            const size_t end = rest.find("-->", 4);
            rest.remove_prefix(end == npos ? rest.size() : end + 3);
        } else if (rest.substr(0, 2) == "<?") {
            const size_t end = rest.find("?>", 2);
            rest.remove_prefix(end == npos ? rest.size() : end + 2);
        } else if (rest.substr(0, 2) == "<!") {
            // a DOCTYPE, with an internal subset in brackets perhaps
            const size_t bracket = rest.find('[');
            const size_t close = rest.find('>');
            const size_t end = bracket < close ? rest.find("]>", bracket) : close;
            rest.remove_prefix(end == npos ? rest.size() : end + (bracket < close ? 2 : 1));
        } else {
            break;
        }
    }
    if (rest.empty() || rest.front() != '<') return false;
    rest.remove_prefix(1);
    size_t end = 0;
    while (end < rest.size() && !IsHtmlSpace(rest[end]) && rest[end] != '>' && rest[end] != '/') ++end;
    std::string_view name = rest.substr(0, end);
    if (const size_t colon = name.rfind(':'); colon != npos) name.remove_prefix(colon + 1);
    return name == "rss" || name == "RDF" || name == "feed";
}

std::string FindFeedLink(std::string_view page, std::string_view pageUrl) {
    std::string_view rest = page;
    for (;;) {
        const size_t open = rest.find('<');
        if (open == npos) return {};
        rest.remove_prefix(open);
        if (rest.substr(0, 4) == "<!--") {
            const size_t end = rest.find("-->", 4);
            if (end == npos) return {};
            rest.remove_prefix(end + 3);
            continue;
        }
        const bool link = StartsWithAnyCase(rest, "<link") && rest.size() > 5 &&
                          (IsHtmlSpace(rest[5]) || rest[5] == '/' || rest[5] == '>');
        rest.remove_prefix(1);
        if (!link) continue;
        rest.remove_prefix(4);
        const LinkAttributes attributes = ReadAttributes(rest);
        if (!HoldsToken(attributes.rel, "alternate") || !IsFeedType(attributes.type)) continue;
        const std::string_view href = Trimmed(attributes.href);
        if (href.empty()) continue;
        // the first such link is the page's feed, whatever it points to
        std::string feed = ResolveUrl(pageUrl, href);
        return ParseUrl(feed) ? feed : std::string();
    }
}

}  // namespace kestrap

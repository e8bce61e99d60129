#include "search/Feed.h"

#include "common/Text.h"
#include "search/FeedScan.h"

namespace kestrap {

namespace {

constexpr char Hex[] = "0123456789ABCDEF";

// A section as it goes into the request: every byte but letters, digits and "-._~" as
// %XX, so that nothing typed in a term line (a blank, a line end, a control byte, a "/"
// or "?") can change the request line or add a header to it.
std::string EncodeSection(std::string_view section) {
    std::string encoded;
    encoded.reserve(section.size());
    for (const char c : section) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                           b == '-' || b == '.' || b == '_' || b == '~';
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += Hex[b >> 4];
            encoded += Hex[b & 0x0F];
        }
    }
    return encoded;
}

}  // namespace

std::string UrlEncodeTerm(std::string_view term) {
    std::string encoded;
    encoded.reserve(term.size() * 3);
    for (const char c : term) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                           b == '.' || b == '-';
        if (b == ' ') {
            encoded += '+';
        } else if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += Hex[b >> 4];
            encoded += Hex[b & 0x0F];
        }
    }
    return encoded.empty() ? "+" : encoded;
}

FeedQuery BuildFeedQuery(std::string_view term, std::string_view lowerCity, std::string_view section) {
    // lower-cased here too, so the Host header is lower case whatever the caller passed
    const std::string city = LowerCase(lowerCity);
    const bool craigslist = city.find(".craigslist") != std::string::npos;
    FeedQuery query;
    if (!craigslist && city.find(".kijiji") != std::string::npos) {
        query.host = city;
        query.path = "/f-SearchAdRss?";
        if (!section.empty() && section != "sss") query.path += "CatId=" + EncodeSection(section) + "&";
        query.path += "Keyword=" + UrlEncodeTerm(term);
        query.fetch = true;
        return query;
    }
    query.host = craigslist ? city : city + ".craigslist.org";
    // a numeric section is a category of the other site: nothing to ask here
    if (ReadNumber(section) > 0) return query;
    query.path = "/search/" + EncodeSection(section) + "?query=" + UrlEncodeTerm(term) + "&format=rss";
    query.fetch = true;
    return query;
}

int ScanFeed(std::string_view answer, std::string_view host, FeedStore& store) {
    store.cut = false;
    const FeedRules* rules = nullptr;
    if (host.find("craigslist") != std::string_view::npos) rules = &CraigslistRules;
    else if (host.find("kijiji") != std::string_view::npos) rules = &KijijiRules;
    if (rules == nullptr) {
        store.items.clear();
        return 0;
    }
    ScanItems(answer, *rules, store);
    return static_cast<int>(store.items.size());
}

}  // namespace kestrap

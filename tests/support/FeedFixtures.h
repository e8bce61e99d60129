#pragma once
// Feed answers shaped like the two sites' RSS search feeds, for tests and benchmarks.
#include <string>

namespace kestrap::fixtures {

inline std::string Numbered(const std::string& text, int n) { return text + std::to_string(n); }

inline std::string CraigslistTitle(int n) { return Numbered("red bike - $", 100 + n) + " (downtown)"; }
inline std::string CraigslistLink(int n) { return Numbered("http://toronto.craigslist.org/bik/", 5000 + n) + ".html"; }
inline std::string CraigslistDate(int n) {
    const int day = 1 + n % 28;
    return std::string("2008-01-") + (day < 10 ? "0" : "") + std::to_string(day) + "T10:11:12-05:00";
}

inline std::string CraigslistItem(int n, const std::string& description) {
    return "<item rdf:about=\"" + CraigslistLink(n) + "\">\n"
           "<title><![CDATA[" + CraigslistTitle(n) + "]]></title>\n"
           "<link>" + CraigslistLink(n) + "</link>\n"
           "<description><![CDATA[" + description + "]]></description>\n"
           "<dc:date>" + CraigslistDate(n) + "</dc:date>\n"
           "<dc:language>en-ca</dc:language>\n"
           "<dc:rights>Copyright 2008 craigslist</dc:rights>\n"
           "<dc:source>" + CraigslistLink(n) + "</dc:source>\n"
           "<dc:title><![CDATA[" + CraigslistTitle(n) + "]]></dc:title>\n"
           "<dc:type>text</dc:type>\n"
           "</item>\n";
}

inline std::string CraigslistHead() {
    return "HTTP/1.0 200 OK\r\nContent-Type: application/rss+xml; charset=ISO-8859-1\r\n\r\n"
           "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
           "<rdf:RDF xmlns=\"http://purl.org/rss/1.0/\" xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
           " xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
           "<channel rdf:about=\"http://toronto.craigslist.org/search/sss?query=bike\">\n"
           "<title>craigslist | all for sale search \"bike\"</title>\n"
           "<link>http://toronto.craigslist.org/search/sss?query=bike</link>\n"
           "<description></description>\n"
           "<dc:language>en-ca</dc:language>\n"
           "</channel>\n";
}

// `descriptionBytes` pads each item, to make feeds of a realistic size.
inline std::string CraigslistFeed(int items, size_t descriptionBytes = 200) {
    std::string description;
    while (description.size() < descriptionBytes) description += "Good condition, &lt;b&gt;pick up only&lt;/b&gt;. ";
    description.resize(descriptionBytes);
    std::string feed = CraigslistHead();
    for (int n = 1; n <= items; ++n) feed += CraigslistItem(n, description);
    return feed + "</rdf:RDF>\n";
}

// The same feed with links of their own: on `city`'s host, each with `prefix` before its number.
inline std::string CraigslistFeedOf(const std::string& city, const std::string& prefix, int items,
                                    size_t descriptionBytes = 200) {
    std::string feed = CraigslistFeed(items, descriptionBytes);
    const std::string from = "toronto.craigslist.org/bik/";
    const std::string to = city + ".craigslist.org/bik/" + prefix;
    for (size_t at = feed.find(from); at != std::string::npos; at = feed.find(from, at + to.size()))
        feed.replace(at, from.size(), to);
    return feed;
}

inline std::string KijijiTitle(int n) { return Numbered("Mountain bike ", n); }
inline std::string KijijiLink(int n) { return Numbered("http://montreal.kijiji.ca/c-buy-and-sell-bikes-W0QQAdIdZ", 900 + n); }
inline std::string KijijiPubDate(int n) { return std::to_string(1 + n % 28) + " Feb 2009 08:00:00 EST"; }

inline std::string KijijiFeed(int items) {
    std::string feed =
        "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n"
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
        "<title>Kijiji: bike</title>\n<link>http://montreal.kijiji.ca/</link>\n"
        "<image><url>http://montreal.kijiji.ca/logo.gif</url><title>Kijiji</title>"
        "<link>http://montreal.kijiji.ca/</link></image>\n";
    for (int n = 1; n <= items; ++n) {
        feed += "<item>\n<title>" + KijijiTitle(n) + "</title>\n<link>" + KijijiLink(n) +
                "</link>\n<description>Barely used</description>\n<pubDate>Mon, " + KijijiPubDate(n) +
                "</pubDate>\n<guid>" + KijijiLink(n) + "</guid>\n</item>\n";
    }
    return feed + "</channel>\n</rss>\n";
}

}  // namespace kestrap::fixtures

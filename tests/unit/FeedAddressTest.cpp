#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "LoopbackServer.h"
#include "search/FeedAddress.h"
#include "search/FeedDates.h"

namespace kestrap {
namespace {

class Today final : public Clock {
public:
    LocalTime Now() const override { return {2026, 3, 9, 23, 59, 0}; }
};

std::string Ok(std::string_view body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=utf-8\r\n\r\n" + std::string(body);
}

FeedStore Read(std::string_view answer, std::string_view url, std::string_view filter = {}) {
    FeedStore store;
    store.items.push_back({"x", "stale", "x"});
    store.cut = true;
    int count = ReadFeedAddressItems(answer, url, filter, Today(), store);
    EXPECT_EQ(count, static_cast<int>(store.items.size()));
    return store;
}

const char* const Rss2 = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE rss [<!ENTITY boom "boom">]>
<rss version="2.0" xmlns:atom="http://www.w3.org/2005/Atom" xmlns:dc="http://purl.org/dc/elements/1.1/">
<channel>
  <title>Bikes &amp; more</title>
  <link>https://gen.example/</link>
  <atom:link href="https://gen.example/rss" rel="self" type="application/rss+xml"/>
  <item>
    <title><![CDATA[Red <b>road</b> bike & helmet]]></title>
    <atom:link href="https://elsewhere.example/" rel="self"/>
    <link>  /ad/1?ref=rss&amp;x=1  </link>
    <pubDate>Tue, 05 Mar 2024 23:30:00 -0800</pubDate>
  </item>
  <item>
    <title>Caf&#233; chair &lt;3 &#x263A;
       two lines</title>
    <link>https://other.example/chair</link>
    <pubDate>Sunday, 7 Jan 24 10:00 GMT</pubDate>
    <dc:date>2023-01-01T00:00:00Z</dc:date>
  </item>
  <item>
    <title>Dated by dc</title>
    <link>item/3</link>
    <pubDate>yesterday</pubDate>
    <dc:date>2025-12-31T23:00:00+01:00</dc:date>
  </item>
  <item><title>No date</title><link>https://gen.example/4</link></item>
  <item><title>No link at all</title><pubDate>Tue, 05 Mar 2024 10:00:00 GMT</pubDate></item>
  <item><title>Script</title><link>javascript:alert(1)</link></item>
  <item><title>&boom;</title><link>https://gen.example/5</link></item>
</channel>
</rss>)";

TEST(FeedAddressItems, ReadsRss2WithEntitiesCdataRelativeLinksAndDates) {
    FeedStore store = Read(Ok(Rss2), "https://gen.example/feeds/bikes.rss?q=bike");
    ASSERT_EQ(store.items.size(), 5u);
    EXPECT_FALSE(store.cut);
    EXPECT_EQ(store.items[0].title, "Red &lt;b&gt;road&lt;/b&gt; bike &amp; helmet");
    EXPECT_EQ(store.items[0].link, "https://gen.example/ad/1?ref=rss&x=1");
    EXPECT_EQ(store.items[0].date, "2024-03-05");  // as written, not moved to another zone
    // held in the ANSI code page, with a reference for what it lacks
    EXPECT_EQ(store.items[1].title, "Caf\xE9 chair &lt;3 &#9786; two lines");
    EXPECT_EQ(store.items[1].date, "2024-01-07");
    EXPECT_EQ(store.items[2].link, "https://gen.example/feeds/item/3");
    EXPECT_EQ(store.items[2].date, "2025-12-31");
    EXPECT_EQ(store.items[3].date, "2026-03-09");
    // a declared entity is not expanded: the text stays inert
    EXPECT_EQ(store.items[4].title, "&amp;boom;");
}

TEST(FeedAddressItems, ReadsRss1WithItsNamespaces) {
    const char* rdf = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns="http://purl.org/rss/1.0/"
         xmlns:dc="http://purl.org/dc/elements/1.1/">
<channel rdf:about="http://jobs.example/"><title>Jobs</title><link>http://jobs.example/</link></channel>
<item rdf:about="http://jobs.example/1"><title>Cook (Z&#252;rich)</title><link>http://jobs.example/1</link>
<dc:date>2024-02-29T08:00:00+01:00</dc:date></item>
<rdf:item><rdf:title>Prefixed too</rdf:title><rdf:link>http://jobs.example/2</rdf:link>
<dc:date>2024-02</dc:date></rdf:item>
<item><title>Caf)" "\xE9" R"(</title><link>http://jobs.example/3</link></item>
</rdf:RDF>)";
    FeedStore store = Read(Ok(rdf), "http://jobs.example/rss");
    ASSERT_EQ(store.items.size(), 3u);
    EXPECT_EQ(store.items[0].title, "Cook (Z\xFCrich)");
    EXPECT_EQ(store.items[0].date, "2024-02-29");
    EXPECT_EQ(store.items[1].title, "Prefixed too");
    EXPECT_EQ(store.items[1].date, "2026-03-09");  // "2024-02" is no date
    EXPECT_EQ(store.items[2].title, "Caf\xE9");  // Latin-1 bytes read, then held in ANSI
}

TEST(FeedAddressItems, ReadsAtomTakingTheAlternateLinkAndUpdatedDate) {
    const char* atom = R"(<feed xmlns="http://www.w3.org/2005/Atom" xml:lang="en">
<title type="text">Listings</title>
<entry>
  <title type="html">Desk &amp;lt;oak&amp;gt;</title>
  <link rel="self" href="https://api.example/e/1"/>
  <link rel="enclosure" href="https://cdn.example/1.jpg"/>
  <link href="../listing/1" type="text/html"/>
  <published>2024-01-01T00:00:00Z</published>
  <updated>2024-01-02T05:00:00-08:00</updated>
</entry>
<entry>
  <title type="xhtml"><div xmlns="http://www.w3.org/1999/xhtml">Two <b>lamps</b></div></title>
  <link rel="alternate" href="https://shop.example/2"/>
  <published>2023-07-04</published>
</entry>
<entry><title>Only an enclosure</title><link rel="enclosure" href="https://cdn.example/x"/></entry>
</feed>)";
    FeedStore store = Read(Ok(atom), "https://shop.example/feeds/all.atom");
    ASSERT_EQ(store.items.size(), 2u);
    EXPECT_EQ(store.items[0].title, "Desk &lt;oak&gt;");
    EXPECT_EQ(store.items[0].link, "https://shop.example/listing/1");
    EXPECT_EQ(store.items[0].date, "2024-01-02");
    EXPECT_EQ(store.items[1].title, "Two lamps");
    EXPECT_EQ(store.items[1].date, "2023-07-04");
}

TEST(FeedAddressItems, KeepsTheItemsCompleteBeforeAFault) {
    const std::string head = "<rss><channel><item><title>one</title><link>http://a.example/1</link></item>\n"
                             "<item><title>two</title><link>http://a.example/2</link></item>\n";
    const std::string faults[] = {
        head + "<item><title>three</title><link>http://a.example/3</link>",  // cut inside an item
        head + "<item><title lang=en>three</title><link>http://a.example/3</link></item>",
        head + "</chan",                                                      // cut after an item
        head + "<item><title>x</titel></item>",
        head + "<item/><item/><item></item><",                                // closed, then a fault
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + head + "<item><title>\xE9</title><link>x",
    };
    for (const std::string& body : faults) {
        SCOPED_TRACE(body);
        FeedStore store = Read(Ok(body), "http://a.example/");
        ASSERT_EQ(store.items.size(), 2u);
        EXPECT_EQ(store.items[1].title, "two");
    }
}

// Each item once, whatever follows it: looked for again per item, the rest of a
// 2 MiB document cost minutes.
TEST(FeedAddressItems, ReadsTwoMebibytesOfItemsBeforeAFaultAtTheEndInOnePass) {
    std::string body = "<rss><channel><item><link>http://a.example/1</link></item>";
    while (body.size() < (size_t{2} << 20)) body += "<item/>";
    body += "<item><link>http://a.example/2</link></item><item></item><";
    const auto start = std::chrono::steady_clock::now();
    FeedStore store = Read(Ok(body), "http://a.example/");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(store.items.size(), 2u);
    EXPECT_EQ(store.items[1].link, "http://a.example/2");
}

TEST(FeedAddressItems, ResolvesRelativeLinksAgainstTheAddressThatAnswered) {
    LoopbackServer server(ByPath({{"/old.rss", Answer("HTTP/1.1 301 Moved\r\nLocation: /feeds/new.rss\r\n\r\n")},
                                  {"/feeds/new.rss", Answer(Ok("<rss><channel><item><title>t</title>"
                                                               "<link>ad/7</link></item></channel></rss>"))}}));
    LoopbackDialer dialer{{"a.test", server.Port()}};
    FeedStore store;
    const FeedAnswer fetched = FetchFeedAddress("http://a.test/old.rss", false, QuickHttp(dialer));
    ASSERT_EQ(ReadFeedAddressItems(fetched.answer, fetched.address, {}, Today(), store), 1);
    EXPECT_EQ(store.items[0].link, "http://a.test/feeds/ad/7");
}

TEST(FeedAddressItems, ATitleNestedDeeperThanAnyStackIsRead) {
    const int depth = 1000000;
    std::string title;
    for (int i = 0; i < depth; ++i) title += "<b>";
    title += "deep";
    for (int i = 0; i < depth; ++i) title += "</b>";
    FeedStore store = Read(Ok("<rss><channel><item><title>" + title +
                              "</title><link>http://x.test/1</link></item></channel></rss>"),
                           "http://x.test/feed");
    ASSERT_EQ(store.items.size(), 1u);
    EXPECT_EQ(store.items[0].title, "deep");
}

TEST(FeedAddressItems, GivesNothingForAnswersThatAreNoFeed) {
    const std::string answers[] = {
        "HTTP/1.1 404 Not Found\r\n\r\n" + std::string(Rss2),
        "HTTP/1.1 301 Moved\r\nLocation: /x\r\n\r\n",
        Ok("<!DOCTYPE html><html><body><p>Not here<br></body></html>"),
        Ok("<opml><body><outline/></body></opml>"),
        Ok(""),
        Ok("\xFF\xFE\x00<\x00r"),
        "garbage without headers",
        Rss2,
    };
    for (const std::string& answer : answers) {
        EXPECT_TRUE(Read(answer, "https://a.example/").items.empty()) << answer;
    }
}

TEST(FeedAddressItems, FiltersByTheTermAndCapsTheItemsKept) {
    std::string body = "<rss><channel>";
    for (int i = 0; i < 1200; ++i) {
        body += "<item><title>" + std::string(i % 2 ? "Red bike " : "Blue car ") + std::to_string(i) +
                "</title><link>/" + std::to_string(i) + "</link></item>";
    }
    body += "</channel></rss>";
    FeedStore store = Read(Ok(body), "http://a.example/", "BIKE");
    ASSERT_EQ(store.items.size(), 500u);
    EXPECT_TRUE(store.cut);
    EXPECT_EQ(store.items[0].title, "Red bike 1");

    store = Read(Ok(body), "http://a.example/", "car -blue");
    EXPECT_TRUE(store.items.empty());
    EXPECT_FALSE(store.cut);
}

TEST(TitleMatchesTerm, WordsPhrasesExclusionsAndLetterCase) {
    struct Case {
        const char* title;
        const char* term;
        bool matches;
    } cases[] = {
        {"Red Bikes for sale", "bike", true},
        {"Red Bikes for sale", "red bike", true},
        {"Red Bikes for sale", "bike blue", false},
        {"Red Bikes for sale", "\"red bikes\"", true},
        {"Red Bikes for sale", "\"bikes red\"", false},
        {"Red Bikes for sale", "bike -sale", false},
        {"Red Bikes for sale", "bike -blue", true},
        {"Red Bikes for sale", "-\"for sale\"", false},
        {"Red Bikes for sale", "\"for sal", true},  // an open quote runs to the end
        {"Red Bikes for sale", "", true},
        {"Mid-size desk", "mid-size", true},
        {"\x8E" "RGER \x9A", "\x84rger \x9A", true},  // code-page 437 capitals lower too
        {"R&amp;D desk", "r&d", true},
        {"&lt;b&gt;bold&lt;/b&gt;", "<b>", true},
        {"&lt;b&gt;bold&lt;/b&gt;", "lt", true},  // the title is compared as held
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TitleMatchesTerm(c.title, c.term), c.matches) << c.title << " / " << c.term;
    }
}

TEST(FeedAddressUrl, PutsTheEncodedTermIntoEverySlotAndKeepsTheRest) {
    EXPECT_TRUE(IsFeedAddress("  HTTPS://rss.example/x"));
    EXPECT_TRUE(IsFeedAddress("http://a"));
    EXPECT_FALSE(IsFeedAddress("boston"));
    EXPECT_FALSE(IsFeedAddress("httpbin.example"));
    EXPECT_FALSE(IsFeedAddress("toronto.kijiji.ca"));

    EXPECT_TRUE(HasTermSlot("https://r.example/?q={term}"));
    EXPECT_FALSE(HasTermSlot("https://r.example/?q={TERM}"));
    EXPECT_EQ(FeedAddressUrl("  https://R.example/Search?Q={term}&also={term}  ", "red bike & co"),
              "https://R.example/Search?Q=red+bike+%26+co&also=red+bike+%26+co");
    EXPECT_EQ(FeedAddressUrl("https://r.example/all.atom", "ignored"), "https://r.example/all.atom");
    EXPECT_EQ(FeedAddressUrl("https://r.example/{term}{term", ""), "https://r.example/+{term");
}

TEST(FeedDates, Rfc822AndIsoForms) {
    const std::pair<const char*, const char*> rfc822[] = {
        {"Tue, 05 Mar 2024 23:30:00 -0800", "2024-03-05"},
        {"5 Mar 2024 10:00 +0000", "2024-03-05"},
        {"Thursday, 29 February 2024 10:00:00 EST", "2024-02-29"},
        {"  Mon,1 Jan 99 00:00 GMT", "1999-01-01"},
        {"Sat, 31 Dec 49 00:00 Z", "2049-12-31"},
        {"Tue, 32 Mar 2024", ""},
        {"Tue, 5 Mrz 2024", ""},
        {"Tue, 5 Mar 24000", ""},
        {"Tue, 5 Mar 9000000000", ""},
        {"2024-03-05", ""},
        {"", ""},
    };
    for (const auto& [text, stored] : rfc822) EXPECT_EQ(Rfc822StoredDate(text), stored) << text;
    EXPECT_EQ(IsoStoredDate(" 2024-03-05T10:00:00Z"), "2024-03-05");
    EXPECT_EQ(IsoStoredDate("2024-3-05"), "");
    EXPECT_EQ(IsoStoredDate("2024/03/05"), "");
}

}  // namespace
}  // namespace kestrap

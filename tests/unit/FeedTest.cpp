#include "search/Feed.h"
#include "search/FeedScan.h"
#include "search/FeedText.h"
#include "search/HttpAnswer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "FeedFixtures.h"
#include "LoopbackServer.h"
#include "StoreFixture.h"
#include "common/DateText.h"
#include "common/Text.h"
#include "common/WebAddress.h"
#include "run/SearchPairs.h"

namespace kestrap {
namespace {

using namespace fixtures;

constexpr std::string_view craigslistHost = "toronto.craigslist.org";
constexpr std::string_view kijijiHost = "montreal.kijiji.ca";

TEST(UrlEncodeTerm, SpacesLettersAndEscapes) {
    EXPECT_EQ(UrlEncodeTerm("red bike"), "red+bike");
    EXPECT_EQ(UrlEncodeTerm("\"red bike\""), "%22red+bike%22");
    EXPECT_EQ(UrlEncodeTerm(""), "+");
    EXPECT_EQ(UrlEncodeTerm("AZaz09.-"), "AZaz09.-");
    EXPECT_EQ(UrlEncodeTerm("a&b+c_d,e/f?"), "a%26b%2Bc%5Fd%2Ce%2Ff%3F");
    EXPECT_EQ(UrlEncodeTerm("caf\xE9\x01\xFF"), "caf%E9%01%FF");
    EXPECT_EQ(UrlEncodeTerm("\r\n"), "%0D%0A");
}

TEST(BuildFeedQuery, BareCityIsACraigslistHost) {
    const FeedQuery query = BuildFeedQuery("red bike", "toronto", "sss");
    EXPECT_TRUE(query.fetch);
    EXPECT_EQ(query.host, "toronto.craigslist.org");
    EXPECT_EQ(query.path, "/search/sss?query=red+bike&format=rss");
}

TEST(BuildFeedQuery, CraigslistHostInMixedCaseIsSentLowerCase) {
    const FeedQuery query = BuildFeedQuery("bike", "SFBay.CraigsList.org", "bik");
    EXPECT_TRUE(query.fetch);
    EXPECT_EQ(query.host, "sfbay.craigslist.org");
    EXPECT_EQ(query.path, "/search/bik?query=bike&format=rss");
}

TEST(BuildFeedQuery, NumericSectionOnCraigslistFetchesNothing) {
    EXPECT_FALSE(BuildFeedQuery("bike", "toronto", "100027").fetch);
    EXPECT_FALSE(BuildFeedQuery("bike", "toronto.craigslist.org", "  5").fetch);
    // only a value above zero is a category of the other site
    const FeedQuery zero = BuildFeedQuery("bike", "toronto", "0");
    EXPECT_TRUE(zero.fetch);
    EXPECT_EQ(zero.path, "/search/0?query=bike&format=rss");
    EXPECT_TRUE(BuildFeedQuery("bike", "toronto", "-3").fetch);
    EXPECT_EQ(BuildFeedQuery("bike", "toronto", "").path, "/search/?query=bike&format=rss");
}

TEST(BuildFeedQuery, KijijiCategoryPart) {
    const FeedQuery all = BuildFeedQuery("red bike", "montreal.kijiji.ca", "sss");
    EXPECT_TRUE(all.fetch);
    EXPECT_EQ(all.host, "montreal.kijiji.ca");
    EXPECT_EQ(all.path, "/f-SearchAdRss?Keyword=red+bike");
    EXPECT_EQ(BuildFeedQuery("bike", "montreal.kijiji.ca", "").path, "/f-SearchAdRss?Keyword=bike");
    EXPECT_EQ(BuildFeedQuery("bike", "Montreal.Kijiji.ca", "100027").path,
              "/f-SearchAdRss?CatId=100027&Keyword=bike");
    EXPECT_EQ(BuildFeedQuery("bike", "Montreal.Kijiji.ca", "100027").host, "montreal.kijiji.ca");
}

TEST(BuildFeedQuery, CraigslistWinsWhenBothSitesAreNamed) {
    const FeedQuery query = BuildFeedQuery("bike", "kijiji.craigslist.org", "sss");
    EXPECT_EQ(query.host, "kijiji.craigslist.org");
    EXPECT_EQ(query.path, "/search/sss?query=bike&format=rss");
}

TEST(ScanFeed, CraigslistFeedOfTwentyFiveItems) {
    FeedStore store;
    ASSERT_EQ(ScanFeed(CraigslistFeed(25), craigslistHost, store), 25);
    ASSERT_EQ(store.items.size(), 25u);
    EXPECT_FALSE(store.cut);
    for (int n = 1; n <= 25; ++n) {
        const FeedItem& item = store.items[n - 1];
        EXPECT_EQ(item.title, CraigslistTitle(n));
        EXPECT_EQ(item.link, CraigslistLink(n));
        EXPECT_EQ(item.date, CraigslistDate(n).substr(0, 10));
    }
}

TEST(ScanFeed, KijijiFeedDatesAreNormalised) {
    FeedStore store;
    ASSERT_EQ(ScanFeed(KijijiFeed(3), kijijiHost, store), 3);
    EXPECT_EQ(store.items[0].title, KijijiTitle(1));
    EXPECT_EQ(store.items[0].link, KijijiLink(1));
    EXPECT_EQ(store.items[0].date, "2009-02-02");
    EXPECT_EQ(store.items[2].date, "2009-02-04");
}

TEST(ScanFeed, HostChoosesTheRules) {
    FeedStore store;
    // the Kijiji start marker is absent from a Craigslist feed and the other way round
    EXPECT_EQ(ScanFeed(CraigslistFeed(3), kijijiHost, store), 0);
    EXPECT_EQ(ScanFeed(KijijiFeed(3), craigslistHost, store), 0);
    EXPECT_EQ(ScanFeed(CraigslistFeed(3), "example.com", store), 0);
    EXPECT_TRUE(store.items.empty());
}

TEST(ScanFeed, AnswersThatAreNoFeed) {
    FeedStore store;
    const std::string errorPage =
        "HTTP/1.0 404 Not Found\r\n\r\n<html><head><title>404 Not Found</title></head></html>";
    EXPECT_EQ(ScanFeed(errorPage, craigslistHost, store), 0);
    EXPECT_EQ(ScanFeed("", craigslistHost, store), 0);
    EXPECT_EQ(ScanFeed("</channel> no items here", craigslistHost, store), 0);
    std::string withoutImage = KijijiFeed(4);
    withoutImage.replace(withoutImage.find("</image>"), 8, "</img>");
    EXPECT_EQ(ScanFeed(withoutImage, kijijiHost, store), 0);
    EXPECT_TRUE(store.items.empty());
}

TEST(ScanFeed, TitlesBeforeTheStartMarkerAreNoItems) {
    FeedStore store;
    const std::string feed = "<title>channel</title></channel><title>one</title><link>L1</link></item>";
    ASSERT_EQ(ScanFeed(feed, craigslistHost, store), 1);
    EXPECT_EQ(store.items[0].title, "one");
    EXPECT_EQ(store.items[0].link, "L1");
}

TEST(ScanFeed, CdataWrapperOnlyAtTheStartOfTheTitle) {
    FeedStore store;
    const std::string feed =
        "</channel>"
        "<title><![CDATA[wrapped & raw]]></title></item>"
        "<title>plain <![CDATA[inner]]> text</title></item>"
        "<title><![CDATA[unclosed</title><description><![CDATA[desc]]></description></item>"
        "<title>&lt;b&gt;</title></item>";
    ASSERT_EQ(ScanFeed(feed, craigslistHost, store), 4);
    EXPECT_EQ(store.items[0].title, "wrapped & raw");
    EXPECT_EQ(store.items[1].title, "plain &lt;![CDATA[inner]]&gt; text");
    // the "]]>" of a later element does not close the title's wrapper
    EXPECT_EQ(store.items[2].title, "unclosed");
    EXPECT_EQ(store.items[3].title, "&lt;b&gt;");
}

TEST(ScanFeed, MissingFieldsComeFromLaterItems) {
    FeedStore store;
    const std::string feed =
        "</channel>"
        "<item><title>A</title><dc:date>2008-01-01T00</dc:date></item>"
        "<item><title>B</title><link>LB</link></item>"
        "<item><title>C</title><link>LC</link><dc:date>2008-03-03T00</dc:date></item>"
        "<item><title>D</title></item>";
    ASSERT_EQ(ScanFeed(feed, craigslistHost, store), 4);
    EXPECT_EQ(store.items[0].link, "LB");
    EXPECT_EQ(store.items[0].date, "2008-01-01");
    EXPECT_EQ(store.items[1].date, "2008-03-03");
    EXPECT_EQ(store.items[2].link, "LC");
    EXPECT_EQ(store.items[3].link, "");
    EXPECT_EQ(store.items[3].date, "");
}

TEST(ScanFeed, MissingClosingTagRunsToTheEnd) {
    FeedStore store;
    const std::string feed = "</channel><item><title>A</title><link>LA</item><title>B</title><link>LB</link></item>";
    ASSERT_EQ(ScanFeed(feed, craigslistHost, store), 2);
    EXPECT_EQ(store.items[0].link, "LA%3C/item%3E%3Ctitle%3EB%3C/title%3E%3Clink%3ELB");
    EXPECT_EQ(store.items[1].link, "LB");
    ASSERT_EQ(ScanFeed("</channel><title>to the end", craigslistHost, store), 1);
    EXPECT_EQ(store.items[0].title, "to the end");
}

TEST(ScanFeed, ItemWithoutClosingTagIsReadOnce) {
    FeedStore store;
    EXPECT_EQ(ScanFeed("</channel><title>A</title><link>L</link><title>B</title>", craigslistHost, store), 1);
    ASSERT_EQ(store.items.size(), 1u);
    EXPECT_EQ(store.items[0].title, "A");

    // only the last item lacks it: every item is read, none twice
    std::string feed = CraigslistFeed(3);
    feed.erase(feed.rfind("</item>"), 7);
    ASSERT_EQ(ScanFeed(feed, craigslistHost, store), 3);
    EXPECT_EQ(store.items[2].title, CraigslistTitle(3));
}

TEST(ScanFeed, ExtraTitlesInAnItemLeaveEmptyPassesAtTheEnd) {
    FeedStore store;
    // two titles, one item: the count is fixed by the titles, the second pass finds nothing
    ASSERT_EQ(ScanFeed("</channel><title>A<title>B</title><link>L</link></item>", craigslistHost, store), 2);
    EXPECT_EQ(store.items[0].title, "A&lt;title&gt;B");
    EXPECT_EQ(store.items[1].title, "");
    EXPECT_EQ(store.items[1].link, "");
}

TEST(ScanFeed, AtMostFiveHundredItems) {
    FeedStore store;
    EXPECT_EQ(ScanFeed(CraigslistFeed(500, 10), craigslistHost, store), 500);
    EXPECT_FALSE(store.cut);
    ASSERT_EQ(ScanFeed(CraigslistFeed(501, 10), craigslistHost, store), 500);
    EXPECT_TRUE(store.cut);
    EXPECT_EQ(store.items.back().link, CraigslistLink(500));
    // a later scan starts afresh
    EXPECT_EQ(ScanFeed(KijijiFeed(2), kijijiHost, store), 2);
    EXPECT_FALSE(store.cut);
}

TEST(ScanFeed, FieldsWithoutEndStayBounded) {
    // every title runs to the end of a large answer: each stored copy is cut
    std::string feed = "</channel>";
    for (int i = 0; i < 600; ++i) feed += "<title>x</item>";
    feed += std::string(1 << 20, 'x');
    FeedStore store;
    ASSERT_EQ(ScanFeed(feed, craigslistHost, store), 500);
    EXPECT_TRUE(store.cut);
    for (const FeedItem& item : store.items) {
        // cut before "<" and ">" grow to four bytes each
        EXPECT_LE(item.title.size(), 4 * MaxFieldBytes);
        EXPECT_EQ(item.title.substr(0, 14), "x&lt;/item&gt;");
    }
}

TEST(ScanFeed, KijijiItemWithoutDate) {
    FeedStore store;
    const std::string feed = "</image><item><title>T</title><link>L</link></item>";
    ASSERT_EQ(ScanFeed(feed, kijijiHost, store), 1);
    EXPECT_EQ(store.items[0].date, "-00-00");
}

// The item scan written plainly from its rule: every field by TextBetween from the current
// item on, the working text cut after each "</item>". The scan must agree with it on any
// text, whatever tags are missing, doubled or cut.
FeedStore ScanPlainly(std::string_view answer, const FeedRules& rules) {
    FeedStore store;
    const size_t startAt = answer.find(rules.startMarker);
    if (startAt == std::string_view::npos) return store;
    std::string_view work = answer.substr(startAt);
    const bool utf8 = IsUtf8Feed(ReadHttpAnswer(answer).body);
    size_t titles = 0;
    for (size_t at = work.find("<title>"); at != std::string_view::npos; at = work.find("<title>", at + 7))
        ++titles;
    store.cut = titles > static_cast<size_t>(MaxFeedItems);
    for (size_t i = 0; i < std::min<size_t>(titles, MaxFeedItems); ++i) {
        std::string_view title = TextBetween(work, "<title>", "</title>");
        if (title.substr(0, 9) == "<![CDATA[") title = TextBetween(title, "<![CDATA[", "]]>");
        const std::string_view date = TextBetween(work, rules.dateOpen, rules.dateClose);
        const std::string_view link = TextBetween(work, "<link>", "</link>");
        store.items.push_back({HeldDate(rules.storedDate(date.substr(0, MaxFieldBytes))),
                               HeldTitle(title.substr(0, MaxFieldBytes), utf8),
                               HeldLink(link.substr(0, MaxFieldBytes), utf8)});
        const size_t end = work.find("</item>");
        if (end == std::string_view::npos) break;
        work.remove_prefix(end + 7);
    }
    return store;
}

TEST(ScanFeed, AgreesWithThePlainScanOnRandomTagSoup) {
    const std::vector<std::string> pieces = {
        "<title>", "</title>", "<![CDATA[", "]]>", "<link>", "</link>", "<dc:date>", "</dc:date>",
        "<pubDate>", "</pubDate>", "</item>", "<item>", "</channel>", "</image>", "<", "<titl", "</ite",
        "x", "2008-01-15T10", "Mon, 4 Feb 2009 08:00", "http://a/1", " ", "\n"};
    // links only in the last of 600 items: every item's link search runs far ahead of it
    std::string farLinks = "</channel>";
    for (int n = 0; n < 600; ++n)
        farLinks += "<item><title>T" + std::to_string(n) + "</title></title></title><dc:date>2008-01-" +
                    std::to_string(10 + n % 20) + "</dc:date>" + (n == 599 ? "<link>L</link>" : "") + "</item>";
    const FeedStore expected = ScanPlainly(farLinks, CraigslistRules);
    FeedStore store;
    ScanItems(farLinks, CraigslistRules, store);
    ASSERT_EQ(store.items.size(), 500u);
    for (size_t i = 0; i < 500; ++i) {
        ASSERT_EQ(store.items[i].title, expected.items[i].title);
        ASSERT_EQ(store.items[i].date, expected.items[i].date);
        ASSERT_EQ(store.items[i].link, "L");
    }

    // one store for every round, as a run keeps one: items left from a longer feed must not show
    std::mt19937 random(2008);
    for (int round = 0; round < 1500; ++round) {
        std::string answer = round % 2 == 0 ? "</channel>" : "</image>";
        // some rounds leave tags out altogether, and a few are long enough for the item limit
        std::vector<std::string> used;
        for (const auto& piece : pieces)
            if (round % 3 != 0 || random() % 4 != 0) used.push_back(piece);
        const size_t length = random() % (round % 150 == 0 ? 40000 : round % 50 == 0 ? 3000 : 60);
        for (size_t i = 0; i < length; ++i) answer += used[random() % used.size()];
        if (round % 100 == 0) answer.insert(answer.size() / 2, std::string(5000, 'y'));
        for (const FeedRules* rules : {&CraigslistRules, &KijijiRules}) {
            const FeedStore plain = ScanPlainly(answer, *rules);
            ScanItems(answer, *rules, store);
            ASSERT_EQ(store.cut, plain.cut) << answer;
            ASSERT_EQ(store.items.size(), plain.items.size()) << answer;
            for (size_t i = 0; i < store.items.size(); ++i) {
                ASSERT_EQ(store.items[i].title, plain.items[i].title) << "item " << i << " of " << answer;
                ASSERT_EQ(store.items[i].date, plain.items[i].date) << "item " << i << " of " << answer;
                ASSERT_EQ(store.items[i].link, plain.items[i].link) << "item " << i << " of " << answer;
            }
        }
    }
}

std::string Body(const std::string& answer) { return answer.substr(answer.find("\r\n\r\n") + 4); }

// One city and one "section,term" line fetched and read as a search run does; no pair at
// all is -2.
int FetchFeedItems(std::string_view term, std::string_view city, std::string_view section,
                   FeedStore& store, const HttpOptions& http) {
    std::vector<FetchJob> jobs;
    const std::vector<SearchPair> pairs = PlanPairs(
        {std::string(city)}, {std::string(section) + "," + std::string(term)}, http, jobs);
    if (pairs.empty()) return -2;
    return ReadPairAnswer(pairs[0], pairs[0].Fetches() ? FetchPairAnswer(pairs[0], http) : "",
                          FixedClock({2009, 1, 15, 14, 5, 9}), store);
}

TEST(FetchFeedItems, AsksTheCraigslistHostOfABareCity) {
    LoopbackServer server(Answer(CraigslistFeed(25)));
    LoopbackDialer dialer{{"toronto.craigslist.org", server.Port()}};
    FeedStore store;
    ASSERT_EQ(FetchFeedItems("red bike", "Toronto", "sss", store, QuickHttp(dialer)), 25);
    EXPECT_EQ(store.items[24].link, CraigslistLink(25));
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /search/sss?query=red+bike&format=rss HTTP/1.0\r\n", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find("Host: toronto.craigslist.org\r\n"), std::string::npos) << requests[0];
}

TEST(FetchFeedItems, KijijiCategoryFeed) {
    LoopbackServer server(ByPath({{"/f-SearchAdRss?CatId=100027&Keyword=%22bike%22", Answer(HttpOk(Body(KijijiFeed(4))))}}));
    LoopbackDialer dialer{{"montreal.kijiji.ca", server.Port()}};
    FeedStore store;
    ASSERT_EQ(FetchFeedItems("\"bike\"", "montreal.kijiji.ca", "100027", store, QuickHttp(dialer)), 4);
    EXPECT_EQ(store.items[0].date, "2009-02-02");
}

TEST(FetchFeedItems, NumericSectionOnCraigslistAsksNobody) {
    LoopbackServer server(Answer(CraigslistFeed(2)));
    LoopbackDialer dialer{{"toronto.craigslist.org", server.Port()}};
    FeedStore store;
    EXPECT_EQ(FetchFeedItems("bike", "toronto", "100027", store, QuickHttp(dialer)), -2);
    EXPECT_TRUE(dialer.Dialed().empty());
}

TEST(FetchFeedItems, EmptyAnswerAndErrorPage) {
    ClosedPort closed;
    LoopbackDialer refusing{{"toronto.craigslist.org", closed.Port()}};
    FeedStore store;
    EXPECT_EQ(FetchFeedItems("bike", "toronto", "sss", store, QuickHttp(refusing)), -1);

    LoopbackServer notFound(Answer(HttpNotFound()));
    LoopbackDialer dialer{{"toronto.craigslist.org", notFound.Port()}};
    EXPECT_EQ(FetchFeedItems("bike", "toronto", "sss", store, QuickHttp(dialer)), 0);
}

}  // namespace
}  // namespace kestrap

// A page's address stands for the feed that the page names.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "LoopbackServer.h"
#include "SearchFixture.h"
#include "search/FeedAddress.h"
#include "search/FeedDiscovery.h"

namespace kestrap {
namespace {

struct PageCase {
    const char* page;
    const char* feed;  // empty: the page names none
};

TEST(FindFeedLink, TheFirstAlternateRssOrAtomLinkResolvedAgainstThePage) {
    const PageCase cases[] = {
        {R"(<html><head><link rel="alternate" type="application/rss+xml" href="https://ads.example/all.rss"></head>)",
         "https://ads.example/all.rss"},
        {R"(<LINK REL="Alternate" TYPE="application/atom+xml; charset=utf-8" HREF="../feeds/all.atom?a=1&amp;b=2"/>)",
         "https://site.example/feeds/all.atom?a=1&b=2"},
        {R"(<link type=application/rss+xml rel="home alternate" href=/rss>)", "https://site.example/rss"},
        {R"(<!-- <link rel="alternate" type="application/rss+xml" href="/old.rss"> -->
            <link rel="stylesheet" href="/s.css"><link rel="alternate" type="text/html" href="/fr/">
            <link rel="alternate" type="application/rss+xml" href="/new.rss">
            <link rel="alternate" type="application/atom+xml" href="/second.atom">)",
         "https://site.example/new.rss"},
        {R"(<link rel="alternate stylesheet" type="text/css" href="/a.css"><a rel="alternate" type="application/rss+xml" href="/a.rss">)",
         ""},
        {R"~(<link rel="alternate" type="application/rss+xml" href="javascript:alert(1)"><link rel="alternate" type="application/rss+xml" href="/b.rss">)~",
         ""},
        {R"(<html><body><p>No feed here</p></body></html>)", ""},
        {R"(<link rel="alternate" type="application/rss+xml" href=")", ""},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(FindFeedLink(c.page, "https://site.example/shop/bikes.html"), c.feed);
    }
}

TEST(IsFeedDocument, ByTheFirstElement) {
    EXPECT_TRUE(IsFeedDocument("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- x --><rss version=\"2.0\">"));
    EXPECT_TRUE(IsFeedDocument("<!DOCTYPE rss [<!ENTITY a \"<html>\">]><rdf:RDF xmlns:rdf=\"x\">"));
    EXPECT_TRUE(IsFeedDocument("  <feed xmlns=\"http://www.w3.org/2005/Atom\">"));
    EXPECT_FALSE(IsFeedDocument("<!DOCTYPE html>\n<html><link rel=\"alternate\">"));
    EXPECT_FALSE(IsFeedDocument("<head><title>rss</title>"));
    EXPECT_FALSE(IsFeedDocument("<rssfeed>"));
    EXPECT_FALSE(IsFeedDocument(""));
}

const char* const AtomFeed = R"(<feed xmlns="http://www.w3.org/2005/Atom">
<entry><title type="html">Red &lt;b&gt;bike&lt;/b&gt;</title><link href="ad/1"/></entry>
<entry><title>Oak desk</title><link href="ad/2"/></entry></feed>)";

std::string Page(std::string_view href) {
    return R"(<!DOCTYPE html><html><head><title>Bikes</title><link rel="alternate" type="application/atom+xml" href=")" +
           std::string(href) + R"("></head><body>Not a feed</body></html>)";
}

TEST(FetchFeedAddress, APageGivesWayToTheFeedItNames) {
    LoopbackServer server(ByPath({{"/shop/", Answer(HttpOk(Page("../feeds/all.atom")))},
                                  {"/feeds/all.atom", Answer(HttpOk(AtomFeed))},
                                  {"/plain", Answer(HttpOk("<html><body>no link</body></html>"))},
                                  {"/loop", Answer(HttpOk(Page("/plain")))},
                                  {"/gone", Answer(HttpNotFound())}}));
    LoopbackDialer dialer;
    dialer.Route("site.test", server.Port());
    const HttpOptions http = QuickHttp(dialer);

    FeedAnswer fetched = FetchFeedAddress("http://site.test/shop/", true, http);
    EXPECT_EQ(fetched.address, "http://site.test/feeds/all.atom");
    EXPECT_NE(fetched.answer.find("Oak desk"), std::string::npos);
    // the text for the fetch queue gives the same back
    const FeedAnswer carried = ReadFeedAnswerText(FeedAnswerText(fetched));
    EXPECT_EQ(carried.address, fetched.address);
    EXPECT_EQ(carried.answer, fetched.answer);
    EXPECT_EQ(FeedAnswerText({"", "http://site.test/x"}), "");

    // a feed is read as it is; a page without a feed link, or whose link names a page, and
    // a page that was no success give no feed, and no more than one fetch beyond the page
    const size_t before = server.ConnectionCount();
    fetched = FetchFeedAddress("http://site.test/feeds/all.atom", true, http);
    EXPECT_EQ(fetched.address, "http://site.test/feeds/all.atom");
    EXPECT_EQ(server.ConnectionCount(), before + 1);
    for (const char* url : {"http://site.test/plain", "http://site.test/loop", "http://site.test/gone"}) {
        SCOPED_TRACE(url);
        fetched = FetchFeedAddress(url, true, http);
        FeedStore store;
        EXPECT_EQ(ReadFeedAddressItems(fetched.answer, fetched.address, {}, SystemClock(), store), 0);
    }
    EXPECT_EQ(server.ConnectionCount(), before + 5);
    // an address with the term in it is a search: its answer is never taken for a page
    fetched = FetchFeedAddress("http://site.test/shop/", false, http);
    EXPECT_EQ(fetched.address, "http://site.test/shop/");
    EXPECT_NE(fetched.answer.find("Not a feed"), std::string::npos);
}

class FeedDiscoveryRun : public SearchTest {};

TEST_F(FeedDiscoveryRun, APageAddressIsReadThroughItsFeedOncePerRun) {
    LoopbackServer server(ByPath({{"/shop/", Answer(HttpOk(Page("/feeds/all.atom")))},
                                  {"/feeds/all.atom", Answer(HttpOk(AtomFeed))}}));
    dialer.Route("site.test", server.Port());

    SearchToEnd("http://site.test/shop/", "bike\r\ndesk");
    const std::vector<std::string> expected = {
        "About to search 1 cities for 2 terms.",
        "Searching in http://site.test/shop/ for bike (sss)... found 1 items, 1 are new.",
        "Searching in http://site.test/shop/ for desk (sss)... found 1 items, 1 are new.",
        "Search Complete"};
    EXPECT_EQ(StatusLines(), expected);
    EXPECT_EQ(server.ConnectionCount(), 2u);
    // links relative to the feed, the title as its reader sees it
    const std::vector<std::string> items = window.ListItems();
    const auto shows = [&items](std::string_view end) {
        return std::any_of(items.begin(), items.end(), [end](const std::string& item) {
            return item.size() >= end.size() && item.compare(item.size() - end.size(), end.size(), end) == 0;
        });
    };
    EXPECT_TRUE(shows(" || Red bike || http://site.test/feeds/ad/1 || NEW"));
    EXPECT_TRUE(shows(" || Oak desk || http://site.test/feeds/ad/2 || NEW"));
}

}  // namespace
}  // namespace kestrap

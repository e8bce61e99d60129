// The rules of each feed format, read through the whole intake: titles as text
// constructs, links from guids and alternates, relative links against xml:base.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/FeedAddress.h"

namespace kestrap {
namespace {

class Today final : public Clock {
public:
    LocalTime Now() const override { return {2026, 3, 9, 12, 0, 0}; }
};

std::vector<FeedItem> Items(std::string_view body, std::string_view url = "https://shop.example/feeds/all") {
    FeedStore store;
    ReadFeedAddressItems("HTTP/1.1 200 OK\r\n\r\n" + std::string(body), url, {}, Today(), store);
    return store.items;
}

std::string AtomWithTitle(std::string_view title) {
    return R"(<feed xmlns="http://www.w3.org/2005/Atom"><entry>)" + std::string(title) +
           R"(<link href="https://shop.example/1"/></entry></feed>)";
}

struct Case {
    const char* element;
    const char* held;  // the title as held: HTML text in the ANSI code page
};

TEST(FeedRules, TitlesAreReadAsTheirTextConstruct) {
    const Case cases[] = {
        // Atom 1.0
        {"<title>Tom &amp; Jerry</title>", "Tom &amp; Jerry"},
        {R"(<title type="text">&lt;b&gt;Bike&lt;/b&gt;</title>)", "&lt;b&gt;Bike&lt;/b&gt;"},
        {R"(<title type="html">Tom &amp;amp; Jerry</title>)", "Tom &amp; Jerry"},
        {R"(<title type="html">&lt;b&gt;Bike&lt;/b&gt;</title>)", "Bike"},
        {R"(<title type="HTML"><![CDATA[ <i>Red</i>
            bike <3 &eacute;&#x263A;&bogus; ]]></title>)",
         "Red bike &lt;3 \xE9&#9786;&amp;bogus;"},
        {R"(<title type="html">&lt;a title="x&gt;y"&gt;Lamp&lt;/a&gt;&lt;!-- -&gt; --&gt; 1 &lt; 2</title>)",
         "Lamp 1 &lt; 2"},
        {R"(<title type="html">A&amp;#1;B&amp;#xD800;C&amp;#99999999;&lt;b</title>)",
         "A B&#65533;C&#65533;"},
        {R"(<title type="xhtml"><div xmlns="http://www.w3.org/1999/xhtml">Two <b>lamps</b> &amp;amp;</div></title>)",
         "Two lamps &amp;amp;"},
        // Atom 0.3
        {R"(<title type="text/html" mode="escaped">Tom &amp;amp; Jerry</title>)", "Tom &amp; Jerry"},
        {R"(<title type="text/plain" mode="escaped">A &amp;amp; B</title>)", "A &amp;amp; B"},
        {R"(<title type="text/html" mode="base64">PGI+QmlrZTwvYj4g
            JmFtcDsgbW9yZQ==</title>)",
         "Bike &amp; more"},
        {R"(<title mode="base64">UGxhaW4gPDMgdGV4dABlbmQ=</title>)", "Plain &lt;3 text end"},
        {R"(<title type="text/html">Red <b>bike</b></title>)", "Red bike"},
        {R"(<title type="application/xhtml+xml" mode="xml"><b>Bold</b> move</title>)", "Bold move"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        const std::vector<FeedItem> items = Items(AtomWithTitle(c.element));
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].title, c.held);
    }
    // RSS titles are text, whatever they look like
    const std::vector<FeedItem> rss = Items(R"(<rss><channel><item><title type="html">&lt;b&gt;Bike&lt;/b&gt;</title>
        <link>https://shop.example/1</link></item></channel></rss>)");
    ASSERT_EQ(rss.size(), 1u);
    EXPECT_EQ(rss[0].title, "&lt;b&gt;Bike&lt;/b&gt;");
}

TEST(FeedRules, AnRssItemWithoutLinkTakesItsPermalinkGuid) {
    const Case cases[] = {
        {"<guid>https://shop.example/ad/1</guid>", "https://shop.example/ad/1"},
        {R"(<guid isPermaLink="true"> http://shop.example/ad/2 </guid>)", "http://shop.example/ad/2"},
        {"<link></link><guid>https://shop.example/ad/3</guid>", "https://shop.example/ad/3"},
        {"<guid>https://shop.example/ad/4</guid><link>/ad/four</link>", "https://shop.example/ad/four"},
        {R"(<guid isPermaLink="false">https://shop.example/ad/5</guid>)", ""},
        {"<guid>tag:shop.example,2024:6</guid>", ""},
        {"<guid>/ad/7</guid>", ""},
        {"<guid>javascript:alert(8)</guid>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        const std::vector<FeedItem> items =
            Items("<rss><channel><item><title>t</title>" + std::string(c.element) + "</item></channel></rss>");
        if (*c.held == '\0') {
            EXPECT_TRUE(items.empty());
            continue;
        }
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].link, c.held);
    }
}

TEST(FeedRules, AnAtomEntryTakesItsAlternateLinkPreferringHtml) {
    const Case cases[] = {
        {R"(<link rel="alternate" type="application/json" href="/1.json"/>
            <link rel="alternate" type="text/html; charset=utf-8" href="/1.html"/>)",
         "https://shop.example/1.html"},
        {R"(<link href="/2"/><link rel="alternate" type="text/html" href="/2.html"/>)",
         "https://shop.example/2.html"},
        {R"(<link rel="alternate" type="application/json" href="/3.json"/><link href="/3"/>)",
         "https://shop.example/3.json"},
        {R"(<link rel="alternate" href=""/><link rel="http://www.iana.org/assignments/relation/alternate" href="/4"/>)",
         "https://shop.example/4"},
        {R"(<link rel="self" type="text/html" href="/5"/><link rel="enclosure" href="/5.jpg"/>)", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        const std::vector<FeedItem> items = Items(R"(<feed xmlns="http://www.w3.org/2005/Atom"><entry><title>t</title>)" +
                                                  std::string(c.element) + "</entry></feed>");
        if (*c.held == '\0') {
            EXPECT_TRUE(items.empty());
            continue;
        }
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].link, c.held);
    }
}

TEST(FeedRules, RelativeLinksResolveAgainstXmlBase) {
    const std::vector<FeedItem> atom = Items(R"(<feed xmlns="http://www.w3.org/2005/Atom" xml:base="/base/">
<entry><title>ancestor</title><link href="a"/></entry>
<entry><title>element</title><link xml:base="https://cdn.example/x/" href="b"/></entry>
<entry xml:base="https://other.example/root/sub/"><title>nested</title><link xml:base="../up/" href="c?d=1"/></entry>
<entry xml:base="javascript:void(0)//"><title>no web base</title><link href="e"/></entry>
<entry xml:base="https://other.example/"><title>absolute link</title><link href="https://shop.example/f"/></entry>
</feed>)");
    ASSERT_EQ(atom.size(), 4u);
    EXPECT_EQ(atom[0].link, "https://shop.example/base/a");
    EXPECT_EQ(atom[1].link, "https://cdn.example/x/b");
    EXPECT_EQ(atom[2].link, "https://other.example/root/up/c?d=1");
    EXPECT_EQ(atom[3].link, "https://shop.example/f");

    const std::vector<FeedItem> rss = Items(R"(<rss><channel xml:base="http://rss.example/ads/">
<item><title>one</title><link>1</link></item>
<item xml:base="../old/"><title>two</title><link>2</link></item>
</channel></rss>)");
    ASSERT_EQ(rss.size(), 2u);
    EXPECT_EQ(rss[0].link, "http://rss.example/ads/1");
    EXPECT_EQ(rss[1].link, "http://rss.example/old/2");
}

}  // namespace
}  // namespace kestrap

#include "search/FeedText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ItemLines.h"
#include "StoreFixture.h"
#include "common/DateText.h"
#include "common/Text.h"
#include "common/WebAddress.h"
#include "search/Feed.h"
#include "search/HttpAnswer.h"
#include "app/FileSteps.h"
#include "app/ResultsListBox.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

namespace kestrap {
namespace {

constexpr std::string_view Utf8Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view LatinDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";

struct Ad {
    std::string title;  // as the feed sends it
    std::string link;
    std::string heldTitle;
    std::string heldLink;
};

// A Craigslist answer with its HTTP head: `head` is what the body begins with.
std::string Answer(std::string_view head, const std::vector<Ad>& ads,
                   std::string_view date = "2008-01-15T10:00:00") {
    std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + std::string(head);
    answer += "<rdf:RDF><channel><title>feed</title></channel>\n";
    for (const Ad& ad : ads) {
        answer += "<item><title><![CDATA[" + ad.title + "]]></title><link>" + ad.link +
                  "</link><dc:date>" + std::string(date) + "</dc:date></item>\n";
    }
    return answer + "</rdf:RDF>\n";
}

void ExpectHeld(std::string_view answer, const std::vector<Ad>& ads) {
    FeedStore store;
    ASSERT_EQ(ScanFeed(answer, "boston.craigslist.org", store), static_cast<int>(ads.size()));
    for (size_t i = 0; i < ads.size(); ++i) {
        EXPECT_EQ(store.items[i].title, ads[i].heldTitle) << ads[i].title;
        EXPECT_EQ(store.items[i].link, ads[i].heldLink) << ads[i].link;
    }
}

const std::vector<Ad> HostileAds = {
    {"<img src=x onerror=alert(1)>Bike", "http://x.test/1",
     "&lt;img src=x onerror=alert(1)&gt;Bike", "http://x.test/1"},
    {"<script>document.title='owned'</script>", "http://x.test/a\" onmouseover=\"alert(1)",
     "&lt;script&gt;document.title='owned'&lt;/script&gt;",
     "http://x.test/a%22%20onmouseover=%22alert(1)"},
    {"Sofa &amp; chair &#x0024;5", "javascript:alert(1)", "Sofa &amp; chair &#x0024;5",
     "javascript:alert(1)"},
    {"calc", "C:\\Windows\\System32\\calc.exe", "calc", "C:\\Windows\\System32\\calc.exe"},
    {"share", "\\\\host\\share\\x.exe", "share", "\\\\host\\share\\x.exe"},
    {"dots", "http\\..\\..\\windows\\system32\\calc.exe", "dots",
     "http\\..\\..\\windows\\system32\\calc.exe"},
    // the line breaks that 2011 feeds wrap their links in
    {"wrapped", "\n  http://x.test/2.html \r\n\t", "wrapped", "http://x.test/2.html"},
    {"bars", "http://x.test/a||b", "bars", "http://x.test/a%7C%7Cb"},
    {"inner", "http://x.test/a b\tc<d>", "inner", "http://x.test/a%20b%09c%3Cd%3E"},
    {"", "", "", ""},
    {"no host", "http:///etc/passwd", "no host", "http:///etc/passwd"},
    {"hash", "#top", "hash", "#top"},
};

// The Windows-1252 text of each title; "Ł" is not in it and is written as "&#321;"
const std::vector<Ad> Utf8Ads = {
    {"V\xC3\xA9lo \xE2\x80\x93 tr\xC3\xA8s", "http://x.test/v\xC3\xA9lo",
     "V\xE9lo \x96 tr\xE8s", "http://x.test/v%C3%A9lo"},
    {"\xC5\x81\xC3\xB3\x64\xC5\xBA \xE2\x82\xAC" "5 &#x0024;", "http://x.test/2",
     "&#321;\xF3" "d&#378; \x80" "5 &#x0024;", "http://x.test/2"},
    {"bike \xF0\x9F\x9A\xB2 <new>", "http://x.test/3", "bike &#128690; &lt;new&gt;",
     "http://x.test/3"},
};

TEST(FeedText, HostileTitlesAndLinksAreHeldAsText) {
    ExpectHeld(Answer(Utf8Declaration, HostileAds), HostileAds);
    ExpectHeld(Answer(LatinDeclaration, HostileAds), HostileAds);
    ExpectHeld(Answer("", HostileAds), HostileAds);

    // a date keeps its length, inert
    FeedStore store;
    const std::string dated = Answer("", {HostileAds[0]}, "<b>\"&</b>2008");
    ASSERT_EQ(ScanFeed(dated, "boston.craigslist.org", store), 1);
    EXPECT_EQ(store.items[0].date, "_b____/b_2");
}

TEST(FeedText, ALongTitleIsCutWhereACharacterOrReferenceEnds) {
    const std::string a4093(4093, 'a');
    struct Case {
        std::string raw;
        bool utf8;
        std::string held;
    } cases[] = {
        {std::string(5000, 'a'), false, std::string(4096, 'a')},
        {a4093 + "<", false, a4093},                                // "&lt;" would not fit whole
        {a4093 + "&amp;b", true, a4093},                            // nor a reference as sent
        {a4093 + "&#233;", false, a4093},
        {a4093 + "&a", false, a4093 + "&a"},                        // an "&" alone is a character
        {a4093 + "\xC3\xA9\xC3\xA9", true, a4093 + "\xE9\xE9"},   // two characters in the code page
        {a4093 + "\xF0\x9F\x98\x80", true, a4093},                // "&#128512;" would not fit
        {std::string(3000, '<'), true, []{ std::string s; for (int i = 0; i < 1024; ++i) s += "&lt;"; return s; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw.substr(2990));
        const std::string held = HeldTitle(c.raw, c.utf8);
        EXPECT_EQ(held, c.held);
        EXPECT_LE(held.size(), MaxHeldTitleBytes);
    }
}

TEST(FeedText, EncodingsOfTheBody) {
    const std::string invalid = "caf\xE9 and \xC3\xA9";  // a Latin-1 byte beside a UTF-8 one
    const std::string ansi = "V\xE9lo";
    const Ad latin = {ansi, "http://x.test/\xE9", ansi, "http://x.test/\xE9"};
    struct Case {
        std::string head;
        std::vector<Ad> ads;
    };
    const std::vector<Case> cases = {
        {std::string(Utf8Declaration), Utf8Ads},
        {"\xEF\xBB\xBF \r\n<?xml version='1.0' encoding='utf8'?>", Utf8Ads},
        {" \xEF\xBB\xBF<?XML version=\"1.0\" encoding = \"Utf-8\" ?>", Utf8Ads},
        // no encoding named: the body's bytes decide
        {"<?xml version=\"1.0\"?>", Utf8Ads},
        {"", Utf8Ads},
        {"", {latin}},
        {"<?xml version=\"1.0\"?>" + invalid, {latin}},
        // a UTF-8 feed keeps a byte that is not UTF-8, and converts the rest
        {std::string(Utf8Declaration),
         {{invalid, "http://x.test/" + invalid, "caf\xE9 and \xE9",
           "http://x.test/caf%E9%20and%20%C3%A9"}}},
        // any other encoding: byte for byte
        {std::string(LatinDeclaration),
         {{Utf8Ads[0].title, Utf8Ads[0].link, Utf8Ads[0].title, Utf8Ads[0].link}, latin}},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>",
         {{"\x80 \xC5\x81", "http://x/\x80", "\x80 \xC5\x81", "http://x/\x80"}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.head);
        ExpectHeld(Answer(test.head, test.ads), test.ads);
    }
    // no head, no blank line: the whole answer is the body
    EXPECT_TRUE(IsUtf8Feed(ReadHttpAnswer("<?xml encoding=\"utf-8\"?>\xE9").body));
    EXPECT_FALSE(IsUtf8Feed(ReadHttpAnswer("HTTP/1.0 200 OK\n\n<?xml encoding=\"latin1\"?>").body));
    EXPECT_FALSE(IsUtf8Feed("\xED\xA0\x80"));  // a surrogate
    EXPECT_FALSE(IsUtf8Feed("\xC0\xAF"));      // an overlong "/"
    EXPECT_FALSE(IsUtf8Feed("\xF4\x90\x80\x80"));  // past U+10FFFF
}

// Whatever a link holds, the ad it came with is the same ad after a Save and a Load; and the
// file holds nothing but the program's own tags and web or inert hrefs.
using FeedTextRoundTrip = StoreTest;

TEST_F(FeedTextRoundTrip, SavedAdsAreKnownAfterALoadAndTheFileIsInert) {
    std::vector<Ad> ads = HostileAds;
    ads.insert(ads.end(), Utf8Ads.begin(), Utf8Ads.end());
    FeedStore store;
    ASSERT_EQ(ScanFeed(Answer(Utf8Declaration, ads), "boston.craigslist.org", store),
              static_cast<int>(ads.size()));
    for (const FeedItem& item : store.items) {
        if (!FindResultByLink(state, item.link))
            AddNewResult(state, window, NewResultEntry(item.date, item.title, item.link));
    }
    ASSERT_TRUE(SaveResultsFile(state, temp.File("round.html")));

    const std::string text = ResultsFileText(state.results, clock);
    std::string_view rest = text, line;
    int items = 0;
    while (NextLine(rest, line)) {
        if (FindText(line, "<li>") == std::string_view::npos) continue;
        ++items;
        EXPECT_TRUE(HoldsOnlyOwnTags(line)) << line;
    }
    EXPECT_EQ(items, state.results.Count());

    AppState loaded;
    loaded.programFolder = temp.Path();
    loaded.clock = &clock;
    LoadResultsFile(loaded, window, "round.html");
    EXPECT_EQ(loaded.results.Entries().size(), state.results.Entries().size());
    for (const FeedItem& item : store.items)
        EXPECT_TRUE(FindResultByLink(loaded, item.link)) << item.link;
    // and the loaded list is written again byte for byte, but for the NEW tags
    std::string untagged = text;
    for (size_t at; (at = untagged.find(" <b>NEW</b>")) != std::string::npos;)
        untagged.erase(at, 11);
    EXPECT_EQ(ResultsFileText(loaded.results, clock), untagged);
}

TEST(FeedText, OrdinaryFeedTextIsUnchanged) {
    const std::string title = "Red bike - $100 (downtown) &amp; more";
    const std::string link = "http://boston.craigslist.org/bik/5001.html?a=1&b=2";
    EXPECT_EQ(HeldTitle(title, true), title);
    EXPECT_EQ(HeldTitle(title, false), title);
    EXPECT_EQ(HeldLink(link, true), link);
    EXPECT_EQ(HeldDate("2008-01-15"), "2008-01-15");
}

}  // namespace
}  // namespace kestrap

#include <gtest/gtest.h>

#include "search/Url.h"

namespace kestrap {
namespace {

// RFC 3986, section 5.4: the normal and abnormal examples, plus the web's own cases.
TEST(ResolveUrl, FollowsTheStandardExamples) {
    const std::string base = "http://a/b/c/d;p?q";
    const std::pair<const char*, const char*> cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"HTTPS://Other.Example/x/../y", "https://Other.Example/y"},  // the scheme in lower case
    };
    for (const auto& [reference, expected] : cases) {
        EXPECT_EQ(ResolveUrl(base, reference), expected) << reference;
    }
    EXPECT_EQ(ResolveUrl("https://site.test", "item/1"), "https://site.test/item/1");
    EXPECT_EQ(ResolveUrl("no-scheme/path", "x"), "");
}

TEST(ParseUrl, TakesSchemeHostPortAndTarget) {
    auto url = ParseUrl("HTTPS://Feeds.Example:8443/rss/search?q=red+bike#top");
    ASSERT_TRUE(url);
    EXPECT_TRUE(url->https);
    EXPECT_EQ(url->host, "Feeds.Example");
    EXPECT_EQ(url->port, 8443);
    EXPECT_EQ(url->target, "/rss/search?q=red+bike");

    url = ParseUrl("http://feeds.example?x=1");
    ASSERT_TRUE(url);
    EXPECT_FALSE(url->https);
    EXPECT_EQ(url->port, 80);
    EXPECT_EQ(url->target, "/?x=1");

    for (const char* bad : {"http://", "http://:80/", "http://h:/", "http://h:0/", "http://h:65536/",
                            "http://h:8a/", "http://u:p@h/", "http://[::1]/", "https:/h/", "file:///x",
                            "http://h/\x7f", "http://h/a\tb", "mailto:x@h"}) {
        EXPECT_FALSE(ParseUrl(bad)) << bad;
    }
}

}  // namespace
}  // namespace kestrap

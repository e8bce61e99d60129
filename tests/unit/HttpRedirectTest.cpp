#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "LoopbackServer.h"
#include "platform/Https.h"
#include "search/Http.h"

namespace kestrap {
namespace {

std::string Moved(std::string_view status, std::string_view locationLine) {
    return "HTTP/1.1 " + std::string(status) + "\r\n" + std::string(locationLine) +
           "\r\nContent-Length: 0\r\n\r\n";
}

// Answers https fetches from a table by "host:port/target" and records what was asked.
class FakeHttps final : public HttpsClient {
public:
    explicit FakeHttps(std::map<std::string, std::string> table) : answers(std::move(table)) {}
    std::string Get(const HttpsRequest& request) const override {
        std::string key = std::string(request.host) + ":" + std::to_string(request.port) +
                          std::string(request.target);
        std::lock_guard<std::mutex> guard(lock);
        asked.push_back(key);
        agents.emplace_back(request.userAgent);
        auto found = answers.find(key);
        return found == answers.end() ? std::string() : found->second;
    }
    std::vector<std::string> Asked() const {
        std::lock_guard<std::mutex> guard(lock);
        return asked;
    }
    mutable std::vector<std::string> agents;

private:
    std::map<std::string, std::string> answers;
    mutable std::mutex lock;
    mutable std::vector<std::string> asked;
};

TEST(HttpRedirect, FollowsEveryMovedStatusWithTheLocationNameInAnyCase) {
    struct Case {
        std::string answer;
        bool followed;
    } cases[] = {
        {Moved("301 Moved Permanently", "Location: http://b.test/new"), true},
        {Moved("302 Moved Temporarily", "Location: http://b.test/new"), true},
        {"HTTP/1.0 302 Found\nLocation: http://b.test/new\n\n", true},
        {Moved("303 See Other", "location: http://b.test/new"), true},
        {Moved("307 Temporary Redirect", "LOCATION:http://b.test/new"), true},
        {Moved("308 Permanent Redirect", "Location: \thttp://b.test/new  "), true},
        {"HTTP/1.0 301\r\nLocation: http://b.test/new\r\n\r\n", true},
        // only the status line counts for these codes
        {"HTTP/1.1 200 OK\r\nX-Note: 301 Moved\r\nLocation: http://b.test/new\r\n\r\nbody", false},
        {Moved("304 Not Modified", "Location: http://b.test/new"), false},
        {Moved("3010 Odd", "Location: http://b.test/new"), false},
        // a body is a body, whatever it says: an ad's text must not steer the fetch
        {"HTTP/1.1 200 OK\r\n\r\n<rss><item><description>302 Found\r\nLocation: http://b.test/new\r\n"
         "</description></item></rss>",
         false},
        {"HTTP/1.0 200 OK\n\nSold: 302 Found in garage\nLocation: http://b.test/new\n", false},
        {"HTTP/1.1 302 Found\r\n\r\nLocation: http://b.test/new\r\n", false},  // none in the header block
        {"302 Found\r\nLocation: http://b.test/new\r\n\r\n", false},           // no status line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        LoopbackServer first(Answer(c.answer));
        LoopbackServer second(Answer(HttpOk("arrived")));
        LoopbackDialer dialer{{"a.test", first.Port()}, {"b.test", second.Port()}};

        // a redirect without a Location it can follow fails the fetch
        const bool redirect = c.answer.find(" 302 Found\r\n\r\n") != std::string::npos;
        EXPECT_EQ(HttpGet("a.test", "/old", QuickHttp(dialer)),
                  c.followed ? HttpOk("arrived") : redirect ? "" : c.answer);
        EXPECT_EQ(second.ConnectionCount(), c.followed ? 1u : 0u);
    }
}

TEST(HttpRedirect, ResolvesARelativeLocationAgainstTheAddressAsked) {
    struct Case {
        const char* location;
        const char* path;
    } cases[] = {
        {"/top?q=1", "/top?q=1"},
        {"next.rss", "/feeds/dir/next.rss"},
        {"../up", "/feeds/up"},
        {"?page=2", "/feeds/dir/list.rss?page=2"},
        {"//b.test/other", "/other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        LoopbackServer server(InTurn({Answer(Moved("301 Moved", std::string("Location: ") + c.location)),
                                      Answer(HttpOk("there"))}));
        LoopbackDialer dialer{{"a.test", server.Port()}, {"b.test", server.Port()}};

        EXPECT_EQ(HttpGet("a.test", "/feeds/dir/list.rss?page=1", QuickHttp(dialer)), HttpOk("there"));
        std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].substr(0, requests[1].find(" HTTP/1.0")), std::string("GET ") + c.path);
    }
}

TEST(HttpRedirect, ReachesAnotherPortAndNamesItInTheHostHeader) {
    LoopbackServer first(Answer(Moved("307 Temporary Redirect", "Location: http://b.test:8080/feed")));
    LoopbackServer second(Answer(HttpOk("on 8080")));
    LoopbackDialer dialer{{"a.test", first.Port()}, {"b.test:8080", second.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), HttpOk("on 8080"));
    ASSERT_EQ(second.Requests().size(), 1u);
    EXPECT_NE(second.Requests()[0].find("\r\nHost: b.test:8080\r\n"), std::string::npos);
}

TEST(HttpRedirect, HandsHttpsToTheSecureClientWithOneCounter) {
    LoopbackServer plain(ByPath({{"/start", Answer(Moved("301 Moved", "Location: https://s.test/one"))}}));
    FakeHttps https({{"s.test:443/one", Moved("308 Permanent", "Location: https://s.test/three")},
                     {"s.test:443/three", Moved("302 Moved Temporarily", "Location: /four")},
                     {"s.test:443/four", HttpOk("<rss/>")}});
    LoopbackDialer dialer{{"a.test", plain.Port()}};
    HttpOptions options = QuickHttp(dialer);
    options.https = &https;

    EXPECT_EQ(HttpGet("a.test", "/start", options), HttpOk("<rss/>"));
    EXPECT_EQ(https.Asked(), (std::vector<std::string>{"s.test:443/one", "s.test:443/three", "s.test:443/four"}));
    EXPECT_EQ(https.agents.front(), "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)");

    // three redirects in that chain: a bound of two stops it before the last answer
    options.maxRedirects = 2;
    EXPECT_EQ(HttpGet("a.test", "/start", options), "");
    EXPECT_EQ(https.Asked().size(), 5u);
}

TEST(HttpRedirect, RefusesAnHttpsAnswerThatPointsToPlainHttp) {
    LoopbackServer plain(Answer(HttpOk("in the clear")));
    FakeHttps https({{"s.test:443/feed", Moved("301 Moved Permanently", "Location: http://a.test/feed")},
                     {"s.test:443/up", Moved("302 Found", "Location: https://s.test/feed2")},
                     {"s.test:443/feed2", HttpOk("secure")}});
    LoopbackDialer dialer{{"a.test", plain.Port()}};
    HttpOptions options = QuickHttp(dialer);
    options.https = &https;

    EXPECT_EQ(HttpGetUrl("https://s.test/feed", options).answer, "");
    EXPECT_EQ(plain.ConnectionCount(), 0u);
    EXPECT_EQ(HttpGetUrl("https://s.test/up", options).answer, HttpOk("secure"));
}

TEST(HttpRedirect, NamesTheAddressThatFinallyAnswered) {
    LoopbackServer server(ByPath({{"/old/feed.rss", Answer(Moved("302 Found", "Location: /new/dir/feed.rss"))},
                                  {"/new/dir/feed.rss", Answer(HttpOk("<rss/>"))}}));
    LoopbackServer other(Answer(HttpOk("<rss/>")));
    LoopbackDialer dialer{{"a.test", server.Port()}, {"b.test:8080", other.Port()}};

    EXPECT_EQ(HttpGetUrl("http://a.test/old/feed.rss", QuickHttp(dialer)).url, "http://a.test/new/dir/feed.rss");
    EXPECT_EQ(HttpGetUrl("http://b.test:8080/x?q=1", QuickHttp(dialer)).url, "http://b.test:8080/x?q=1");
}

}  // namespace
}  // namespace kestrap

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "LoopbackServer.h"
#include "search/FeedAddress.h"
#include "search/Http.h"

namespace kestrap {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

std::string ExpectedRequest(std::string_view host, std::string_view path) {
    return "GET " + std::string(path) + " HTTP/1.0\r\nHost: " + std::string(host) +
           "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)\r\n"
           "Accept-Language: en-us\r\n\r\n";
}

// --- answers that end well ---------------------------------------------------------------

TEST(HttpGet, ReturnsTheWholeAnswerAndSendsExactlyTheRequestLines) {
    const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\nX-Odd: 1\r\n\r\n<rss>body</rss>";
    LoopbackServer server(Answer(answer));
    LoopbackDialer dialer{{"a.test", server.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/search/sss?query=red+bike&format=rss", QuickHttp(dialer)), answer);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], ExpectedRequest("a.test", "/search/sss?query=red+bike&format=rss"));
}

TEST(HttpGet, JoinsAnAnswerFarLargerThanOneRead) {
    std::string body;
    for (int i = 0; body.size() < 300000; ++i) body += "<item>" + std::to_string(i) + "</item>\n";
    LoopbackServer server(Answer(HttpOk(body)));
    LoopbackDialer dialer{{"a.test", server.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), HttpOk(body));
}

TEST(HttpGet, KeepsEveryByteValueOfTheAnswer) {
    std::string bytes = "HTTP/1.0 200 OK\r\n\r\n";
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    LoopbackServer server(Answer(bytes));
    LoopbackDialer dialer{{"a.test", server.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), bytes);
}

TEST(HttpGet, ReturnsErrorAnswersLikeAnyOther) {
    LoopbackServer server(Answer(HttpNotFound()));
    LoopbackDialer dialer{{"a.test", server.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/missing", QuickHttp(dialer)), HttpNotFound());
}

TEST(HttpGet, TwoThreadsFetchAtOnceWithoutMixingAnswers) {
    LoopbackServer slow(Trickle(HttpOk("first answer"), milliseconds(5)));
    LoopbackServer quick(Answer(HttpOk("second answer")));
    LoopbackDialer dialer{{"slow.test", slow.Port()}, {"quick.test", quick.Port()}};

    std::string first;
    std::thread other([&] { first = HttpGet("slow.test", "/", QuickHttp(dialer)); });
    std::string second = HttpGet("quick.test", "/", QuickHttp(dialer));
    other.join();
    EXPECT_EQ(first, HttpOk("first answer"));
    EXPECT_EQ(second, HttpOk("second answer"));
}

// --- servers that stop short ---------------------------------------------------------------

TEST(HttpGet, ReturnsWhatArrivedWhenTheServerFallsSilent) {
    LoopbackServer server(PartThenSilence("HTTP/1.0 200 OK\r\n\r\n<rss><item>", milliseconds(4000)));
    LoopbackDialer dialer{{"a.test", server.Port()}};

    auto start = Clock::now();
    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer, milliseconds(300))), "HTTP/1.0 200 OK\r\n\r\n<rss><item>");
    EXPECT_GE(Since(start), milliseconds(250));
    EXPECT_LT(Since(start), milliseconds(2500));
}

TEST(HttpGet, IsEmptyWhenNothingArrivesWithinTheWait) {
    LoopbackServer server(PartThenSilence("", milliseconds(3000)));
    LoopbackDialer dialer{{"a.test", server.Port()}};

    auto start = Clock::now();
    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer, milliseconds(300))), "");
    EXPECT_LT(Since(start), milliseconds(2000));
}

TEST(HttpGet, KeepsWhatArrivedBeforeTheConnectionWasReset) {
    LoopbackServer server(ResetAfter("HTTP/1.0 200 OK\r\n\r\n<rss><item>half"));
    LoopbackDialer dialer{{"a.test", server.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), "HTTP/1.0 200 OK\r\n\r\n<rss><item>half");
}

TEST(HttpGet, IsEmptyWhenTheConnectionIsRefused) {
    ClosedPort closed;
    LoopbackDialer dialer{{"a.test", closed.Port()}};

    auto start = Clock::now();
    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), "");
    EXPECT_LT(Since(start), milliseconds(2000));
}

TEST(HttpGet, IsEmptyWhenTheHostCannotBeReached) {
    LoopbackDialer nowhere;
    EXPECT_EQ(HttpGet("nowhere.test", "/", QuickHttp(nowhere)), "");
    EXPECT_EQ(nowhere.Dialed(), std::vector<std::string>{"nowhere.test"});
}

// --- limits of one fetch -------------------------------------------------------------------

TEST(HttpGet, CutsAnAnswerAtTheSizeCap) {
    std::string bytes = HttpOk(std::string(20000, 'x'));
    LoopbackServer server(Answer(bytes));
    LoopbackDialer dialer{{"a.test", server.Port()}};
    HttpOptions options = QuickHttp(dialer);
    options.maxAnswerBytes = 5000;

    EXPECT_EQ(HttpGet("a.test", "/", options), bytes.substr(0, 5000));
}

TEST(HttpGet, StopsReadingAnEndlessAnswerAtTheSizeCap) {
    LoopbackServer server(Endless(std::string(1000, 'z')));
    LoopbackDialer dialer{{"a.test", server.Port()}};
    HttpOptions options = QuickHttp(dialer);
    options.maxAnswerBytes = 100000;

    EXPECT_EQ(HttpGet("a.test", "/", options), std::string(100000, 'z'));
}

TEST(HttpGet, GivesUpOnATrickleWhenTheOverallTimeIsUsed) {
    // every byte arrives well within the wait, so only the overall limit can end this
    const std::string bytes = HttpOk(std::string(1000, 't'));
    LoopbackServer server(Trickle(bytes, milliseconds(10)));
    LoopbackDialer dialer{{"a.test", server.Port()}};
    HttpOptions options = QuickHttp(dialer, milliseconds(500));
    options.totalLimit = milliseconds(600);

    auto start = Clock::now();
    std::string answer = HttpGet("a.test", "/", options);
    EXPECT_LT(Since(start), milliseconds(2500));
    EXPECT_FALSE(answer.empty());
    EXPECT_LT(answer.size(), bytes.size());
    EXPECT_EQ(answer, bytes.substr(0, answer.size()));
}

// --- redirects -----------------------------------------------------------------------------

TEST(HttpGet, FollowsARedirectToAnotherHostAndDropsTheFirstAnswer) {
    LoopbackServer first(Answer(HttpRedirect("http://b.test/feed/index.rss?q=1") + "moved-away"));
    LoopbackServer second(Answer(HttpOk("<rss>second</rss>")));
    LoopbackDialer dialer{{"a.test", first.Port()}, {"b.test", second.Port()}};

    std::string answer = HttpGet("a.test", "/start", QuickHttp(dialer));
    EXPECT_EQ(answer, HttpOk("<rss>second</rss>"));
    EXPECT_EQ(answer.find("moved-away"), std::string::npos);
    ASSERT_EQ(second.Requests().size(), 1u);
    EXPECT_EQ(second.Requests()[0], ExpectedRequest("b.test", "/feed/index.rss?q=1"));
}

TEST(HttpGet, FollowsTwoRedirectsInARow) {
    LoopbackServer first(Answer(HttpRedirect("http://b.test/two")));
    LoopbackServer second(Answer(HttpRedirect("http://c.test/three")));
    LoopbackServer third(Answer(HttpOk("end")));
    LoopbackDialer dialer{{"a.test", first.Port()}, {"b.test", second.Port()}, {"c.test", third.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/one", QuickHttp(dialer)), HttpOk("end"));
    EXPECT_EQ(dialer.Dialed(), (std::vector<std::string>{"a.test", "b.test", "c.test"}));
}

TEST(HttpGet, TakesALocationRunningToTheEndOfTheAnswer) {
    LoopbackServer first(Answer("HTTP/1.0 302 Found\r\nLocation: http://b.test/last"));
    LoopbackServer second(Answer(HttpOk("ok")));
    LoopbackDialer dialer{{"a.test", first.Port()}, {"b.test", second.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), HttpOk("ok"));
    ASSERT_EQ(second.Requests().size(), 1u);
    EXPECT_EQ(second.Requests()[0], ExpectedRequest("b.test", "/last"));
}

TEST(HttpGet, AsksForTheRootWhenTheLocationNamesOnlyAHost) {
    LoopbackServer first(Answer(HttpRedirect("http://b.test")));
    LoopbackServer second(Answer(HttpOk("root")));
    LoopbackDialer dialer{{"a.test", first.Port()}, {"b.test", second.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), HttpOk("root"));
    ASSERT_EQ(second.Requests().size(), 1u);
    EXPECT_EQ(second.Requests()[0], ExpectedRequest("b.test", "/"));
}

TEST(HttpGet, FollowsAsManyRedirectsAsTheBoundAllowsAndNoMore) {
    Script redirect = Answer(HttpRedirect("http://a.test/again"));
    LoopbackServer withinBound(InTurn({redirect, redirect, redirect, Answer(HttpOk("made it"))}));
    LoopbackDialer dialer{{"a.test", withinBound.Port()}};
    HttpOptions options = QuickHttp(dialer);
    options.maxRedirects = 3;
    EXPECT_EQ(HttpGet("a.test", "/", options), HttpOk("made it"));

    LoopbackServer circle(redirect);
    dialer.Route("a.test", circle.Port());
    EXPECT_EQ(HttpGet("a.test", "/", options), "");
    EXPECT_EQ(circle.ConnectionCount(), 4u);
}

TEST(HttpGet, EndsARedirectCircleAtTenRedirectsByDefault) {
    LoopbackServer circle(Answer(HttpRedirect("http://a.test/again")));
    LoopbackDialer dialer{{"a.test", circle.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), "");
    EXPECT_EQ(circle.ConnectionCount(), 11u);
}

// A location we cannot follow fails the fetch without dialling anywhere else.
TEST(HttpGet, FailsOnLocationsItCannotFollow) {
    const char* locations[] = {
        "http:///x",              // no host at all
        "ftp://b.test/x",         // only the web's two schemes are fetched
        "http://b.test:99999/x",  // no such port
        "http://user@b.test/x",   // no user part
        "http://b.test/a b",      // a blank inside the request line
    };
    for (const char* location : locations) {
        SCOPED_TRACE(location);
        LoopbackServer first(Answer(HttpRedirect(location)));
        LoopbackServer second(Answer(HttpOk("should not be reached")));
        LoopbackDialer dialer{{"a.test", first.Port()}, {"b.test", second.Port()}, {"b.test:8080", second.Port()}};

        EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), "");
        EXPECT_EQ(dialer.Dialed(), std::vector<std::string>{"a.test"});
        EXPECT_EQ(second.ConnectionCount(), 0u);
    }
}

TEST(HttpGet, FailsOnARedirectWithoutLocation) {
    LoopbackServer first(Answer("HTTP/1.0 302 Found\r\n\r\n"));
    LoopbackDialer dialer{{"a.test", first.Port()}};

    EXPECT_EQ(HttpGet("a.test", "/", QuickHttp(dialer)), "");
    EXPECT_EQ(first.ConnectionCount(), 1u);
}

}  // namespace
}  // namespace kestrap

// --- the request line ----------------------------------------------------------------------

namespace kestrap {
namespace {

// The four lines the client writes and the blank line after them, each free of blanks
// (the request line's own two aside), line ends and control bytes.
bool IsCleanRequest(std::string_view raw) {
    int lines = 0;
    for (size_t end; (end = raw.find("\r\n")) != std::string_view::npos; ++lines) {
        const std::string_view line = raw.substr(0, end);
        raw.remove_prefix(end + 2);
        for (char c : line) {
            const auto b = static_cast<unsigned char>(c);
            if (b < ' ' || b == 0x7F) return false;
        }
        if (lines == 0 && std::count(line.begin(), line.end(), ' ') != 2) return false;
    }
    return lines == 5 && raw.empty();
}

TEST(RequestLine, NoBlankLineEndOrControlByteFromAnyLineReachesTheRequest) {
    LoopbackServer server(ByPath({}, Answer(HttpOk("<rss/>"))));
    std::string odd;
    for (int b = 0; b <= ' '; ++b) odd += std::string("x") + static_cast<char>(b);
    odd += "x\x7Fx";
    LoopbackServer mover(Answer(HttpRedirect("http://a.test/then" + odd)));
    LoopbackDialer dialer{{"boston.craigslist.org", server.Port()}, {"montreal.kijiji.ca", server.Port()},
                          {"a.test", server.Port()}, {"m.test", mover.Port()}};
    const HttpOptions http = QuickHttp(dialer);

    for (const char* city : {"boston", "montreal.kijiji.ca"}) {
        const FeedQuery query = BuildFeedQuery("red" + odd, city, "for" + odd);
        HttpGet(query.host, query.path, http);
    }
    const FeedQuery oddCity = BuildFeedQuery("bike", "bos" + odd, "sss");
    HttpGet(oddCity.host, oddCity.path, http);
    HttpGetUrl(FeedAddressUrl("http://a.test/feed" + odd + "?q={term}", odd), http);
    HttpGetUrl(FeedAddressUrl("http://a.test/feed?q={term}", odd), http);
    HttpGetUrl("http://m.test/", http);

    // the lines with a bad host or address are not asked at all; the others are, cleanly
    EXPECT_EQ(server.Requests().size(), 3u);
    for (const std::string& request : server.Requests()) EXPECT_TRUE(IsCleanRequest(request)) << request;
    ASSERT_EQ(mover.Requests().size(), 1u);
    EXPECT_TRUE(IsCleanRequest(mover.Requests()[0]));
    for (const std::string& host : dialer.Dialed()) {
        EXPECT_TRUE(std::none_of(host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
            << host;
    }
    EXPECT_EQ(server.Requests()[0].substr(0, 25), "GET /search/forx%00x%01x%");
}

}  // namespace
}  // namespace kestrap

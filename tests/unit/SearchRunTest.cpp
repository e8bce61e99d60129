// The search run end to end through the window seam: a real worker thread, real loopback
// feed servers, and the fake window's record of what the user would see.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "SearchFixture.h"
#include "app/ControlIds.h"
#include "app/ResultsListBox.h"
#include "app/SearchRun.h"
#include "app/State.h"
#include "search/Feed.h"
#include "search/SearchLines.h"
#include "store/ResultEntry.h"

namespace kestrap {
namespace {

using namespace std::chrono_literals;

struct Item {
    std::string title;
    std::string link;
    std::string date = "2008-01-15T10:00:00-05:00";
};

std::string CraigslistFeed(const std::vector<Item>& items) {
    std::string feed = "<?xml version=\"1.0\"?><rdf:RDF><channel><title>feed</title></channel>";
    for (const auto& item : items)
        feed += "<item><title>" + item.title + "</title><link>" + item.link +
                "</link><dc:date>" + item.date + "</dc:date></item>\n";
    return feed + "</rdf:RDF>";
}

std::vector<Item> NumberedItems(const std::string& prefix, int count) {
    std::vector<Item> items;
    for (int i = 1; i <= count; ++i)
        items.push_back({"title " + std::to_string(i), prefix + std::to_string(i) + ".html"});
    return items;
}

Script Slow(std::string answer, std::chrono::milliseconds pause) {
    return {{ScriptStep::Pause, "", pause}, {ScriptStep::Send, std::move(answer)}};
}

using SearchRun = SearchTest;

TEST(SplitTermLine, SectionAndTermAroundCommas) {
    auto bike = SplitTermLine("bike");
    EXPECT_EQ(bike.section, "sss");
    EXPECT_EQ(bike.term, "bike");
    auto spaced = SplitTermLine("car , red truck ");
    EXPECT_EQ(spaced.section, "car");
    EXPECT_EQ(spaced.term, "red truck");
    auto third = SplitTermLine("car,red,truck");
    EXPECT_EQ(third.section, "car");
    EXPECT_EQ(third.term, "red");
    auto empty = SplitTermLine(",");
    EXPECT_EQ(empty.section, "");
    EXPECT_EQ(empty.term, "");
}

TEST_F(SearchRun, EmptyListsAreRefusedWithNothingChanged) {
    Search("\r\n   \r\n# boston\r\n", "bike");
    Search("boston", " \r\n#bike");
    auto asks = window.Asks();
    ASSERT_EQ(asks.size(), 2u);
    EXPECT_EQ(asks[0].text,
              "You need to define some cities to search. If you're not sure how, use the help form.");
    EXPECT_EQ(asks[0].caption, "City Error");
    EXPECT_EQ(asks[0].flags, BoxOk | BoxIconError);
    EXPECT_EQ(asks[1].text,
              "You need to define some terms to search for. If you're not sure how, use the help "
              "form.");
    EXPECT_EQ(asks[1].caption, "Search Term Error");
    EXPECT_EQ(state.searchState, SearchIdle);
    EXPECT_EQ(window.Text(IDC_STATUS3), "");
    EXPECT_TRUE(window.IsEnabled(IDC_CITIES));
    EXPECT_TRUE(dialer.Dialed().empty());
}

TEST_F(SearchRun, ThreeCitiesTwoTermsCityMajorWithProgressAndStatus) {
    LoopbackServer server([](const Request& request) {
        return Answer(HttpOk(CraigslistFeed({{"t", "http://" + request.host + request.path}})));
    });
    for (const char* host : {"boston.craigslist.org", "chicago.craigslist.org", "denver.craigslist.org"})
        dialer.Route(host, server.Port());

    Search("boston\r\n\r\n   \r\n#nowhere\r\nchicago\r\ndenver", "bike\r\ncar , red truck");
    // the controls are locked at once and stay locked until the worker finishes
    EXPECT_EQ(window.Text(IDC_SEARCH), "Kill Search");
    ASSERT_TRUE(WaitUntilIdle());

    EXPECT_EQ(window.ProgressMaximum(), 6);
    EXPECT_EQ(ProgressSteps(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 6}));
    // the taskbar button follows the bar, and shows nothing once the run is over
    EXPECT_EQ(TaskbarSteps(), (std::vector<std::string>{"0/6", "1/6", "2/6", "3/6", "4/6", "5/6",
                                                        "6/6", "none"}));
    EXPECT_EQ(state.tally.pairs, 6);
    EXPECT_EQ(state.tally.itemsFound, 6);
    EXPECT_EQ(state.tally.newAds, 6);
    EXPECT_EQ(state.tally.failedFetches, 0);
    auto lines = StatusLines();
    std::vector<std::string> expected = {
        "About to search 3 cities for 2 terms.",
        "Searching in boston for bike (sss)... found 1 items, 1 are new.",
        "Searching in boston for red truck (car)... found 1 items, 1 are new.",
        "Searching in chicago for bike (sss)... found 1 items, 1 are new.",
        "Searching in chicago for red truck (car)... found 1 items, 1 are new.",
        "Searching in denver for bike (sss)... found 1 items, 1 are new.",
        "Searching in denver for red truck (car)... found 1 items, 1 are new.",
        "Search Complete"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(window.Text(IDC_SEARCH), "Search Now");
    for (int id : {IDC_RESULTS_FILE, IDC_LOAD, IDC_SAVE, IDC_CITIES, IDC_TERMS})
        EXPECT_TRUE(window.IsEnabled(id)) << id;

    // the locked controls were disabled before the first search and enabled after the last
    auto calls = window.Calls();
    auto firstSearch = std::find_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.find("Searching in") != std::string::npos;
    });
    auto disabled = std::find(calls.begin(), calls.end(), "Enable " + std::to_string(IDC_TERMS) + " off");
    EXPECT_LT(disabled - calls.begin(), firstSearch - calls.begin());

    auto shown = window.ListItems();
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown.front(),
              "2008-01-15 || t || http://denver.craigslist.org/search/car?query=red+truck&format=rss || NEW");
    EXPECT_EQ(state.newResultsFound, 6);
    EXPECT_EQ(state.unsavedResults, 1);
}

TEST_F(SearchRun, CountsKnownItemsAndShowsNewOnesNewestOnTop) {
    auto items = NumberedItems("http://boston.craigslist.org/", 25);
    for (int i = 0; i < 22; ++i)
        ASSERT_TRUE(AppendLoadedResult(state, window, "2008-01-10 || old || " + items[i].link));
    std::rotate(items.begin(), items.begin() + 22, items.end());  // the new ones lead the feed
    LoopbackServer server(Answer(HttpOk(CraigslistFeed(items))));
    dialer.Route("boston.craigslist.org", server.Port());

    SearchToEnd("boston", "bike");
    EXPECT_TRUE(Shows("Searching in boston for bike (sss)... found 25 items, 3 are new."));
    auto shown = window.ListItems();
    ASSERT_EQ(shown.size(), 25u);
    EXPECT_EQ(shown[0], "2008-01-15 || title 25 || http://boston.craigslist.org/25.html || NEW");
    EXPECT_EQ(shown[2], "2008-01-15 || title 23 || http://boston.craigslist.org/23.html || NEW");
    EXPECT_EQ(state.newResultsFound, 3);
}

// Every window call from the search thread waits for the window's thread: a pair must not
// wait once per new entry and once per status call, whatever its feed holds.
TEST_F(SearchRun, APairWaitsForTheWindowAFewTimesOnly) {
    LoopbackServer server(Answer(HttpOk(CraigslistFeed(NumberedItems("http://boston.craigslist.org/", 25)))));
    dialer.Route("boston.craigslist.org", server.Port());
    const int before = window.WindowWaitsExcept(std::this_thread::get_id());
    SearchToEnd("boston", "bike\r\ncar\r\ntruck");
    EXPECT_EQ(state.results.Count(), 25);
    // three pairs: the status line, the progress, the merge with its closing status; then
    // the end of the run (progress, caption, five controls, its status line)
    EXPECT_LE(window.WindowWaitsExcept(std::this_thread::get_id()) - before, 3 * 3 + 8);
}

TEST_F(SearchRun, SameLinkInOneFeedAndInTwoCitiesIsAddedOnce) {
    std::vector<Item> feed = {{"a", "http://x/1.html"}, {"a again", "http://x/1.html"},
                              {"b", "http://x/2.html"}};
    LoopbackServer server(Answer(HttpOk(CraigslistFeed(feed))));
    dialer.Route("boston.craigslist.org", server.Port());
    dialer.Route("chicago.craigslist.org", server.Port());

    SearchToEnd("boston\r\nchicago", "bike");
    EXPECT_TRUE(Shows("Searching in boston for bike (sss)... found 3 items, 2 are new."));
    EXPECT_TRUE(Shows("Searching in chicago for bike (sss)... found 3 items, 0 are new."));
    EXPECT_EQ(state.results.Count(), 2);
    EXPECT_EQ(state.newResultsFound, 2);
}

TEST_F(SearchRun, SectionsThatDoNotFitTheSiteAreSkippedSilently) {
    LoopbackServer server(Answer(HttpNotFound()));
    for (const char* host : {"boston.craigslist.org", "toronto.kijiji.ca"})
        dialer.Route(host, server.Port());

    SearchToEnd("boston\r\ntoronto.kijiji.ca\r\nToronto.Kijiji.ca", "100027,cars\r\ncar,truck\r\nbike");
    std::vector<std::string> searched;
    for (const auto& line : StatusLines())
        if (line.rfind("Searching in", 0) == 0) searched.push_back(line);
    std::vector<std::string> expected = {
        "Searching in boston for truck (car)... no matches.",
        "Searching in boston for bike (sss)... no matches.",
        "Searching in toronto.kijiji.ca for cars (100027)... no matches.",
        "Searching in toronto.kijiji.ca for bike (sss)... no matches.",
        // an upper-case host counts as Craigslist for skipping, but is asked as Kijiji
        "Searching in Toronto.Kijiji.ca for truck (car)... no matches.",
        "Searching in Toronto.Kijiji.ca for bike (sss)... no matches."};
    EXPECT_EQ(searched, expected);
    EXPECT_EQ(ProgressSteps(), (std::vector<int>{0, 2, 3, 4, 6, 8, 9, 9}));
    EXPECT_EQ(server.ConnectionCount(), 6u);
}

TEST_F(SearchRun, KillDuringAFetchLetsItFinishThenStopsAtTheNextPair) {
    LoopbackServer server(Slow(HttpOk(CraigslistFeed({{"t", "http://x/1.html"}})), 400ms));
    dialer.Route("boston.craigslist.org", server.Port());
    dialer.Route("chicago.craigslist.org", server.Port());
    state.fetchLimits = {1};  // the server counts the requests of one fetch at a time

    Search("boston\r\nchicago", "bike");
    ASSERT_TRUE(WaitFor([&] { return server.ConnectionCount() == 1; }));
    PressSearchButton(state, window);
    EXPECT_EQ(state.searchState, SearchAbortRequested);
    PressSearchButton(state, window);  // a second press changes nothing
    EXPECT_EQ(state.searchState, SearchAbortRequested);
    EXPECT_EQ(window.Text(IDC_SEARCH), "Kill Search");
    ASSERT_TRUE(WaitUntilIdle());

    auto lines = StatusLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Searching in boston for bike (sss)... found 1 items, 1 are new.");
    EXPECT_EQ(lines[lines.size() - 2], "Searching in chicago for bike (sss)...");
    EXPECT_EQ(lines.back(), "Search aborted.");
    EXPECT_FALSE(Shows("Search Complete"));
    EXPECT_EQ(window.ProgressPosition(), 0);
    EXPECT_EQ(TaskbarSteps(), (std::vector<std::string>{"0/2", "1/2", "none"}));
    EXPECT_EQ(window.Text(IDC_SEARCH), "Search Now");
    EXPECT_TRUE(window.IsEnabled(IDC_SAVE));
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(state.results.Count(), 1);
}

TEST_F(SearchRun, KillDuringTheLastPairCompletesNormally) {
    LoopbackServer server(Slow(HttpOk(CraigslistFeed({})), 300ms));
    dialer.Route("boston.craigslist.org", server.Port());
    Search("boston", "bike");
    ASSERT_TRUE(WaitFor([&] { return server.ConnectionCount() == 1; }));
    PressSearchButton(state, window);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(StatusLines().back(), "Search Complete");
    EXPECT_EQ(window.ProgressPosition(), 1);
    // an abort request that arrives after the run has ended leaves it idle
    RequestSearchAbort(state);
    EXPECT_EQ(state.searchState, SearchIdle);
}

TEST_F(SearchRun, EmptyAnswerIsFetchedOnceMore) {
    LoopbackServer flaky(InTurn({Answer(""), Answer(HttpOk(CraigslistFeed({{"t", "http://x/1"}})))}));
    LoopbackServer dead(Answer(""));
    dialer.Route("boston.craigslist.org", flaky.Port());
    dialer.Route("chicago.craigslist.org", dead.Port());

    SearchToEnd("boston\r\nchicago\r\nnowhere", "bike");
    auto lines = StatusLines();
    std::vector<std::string> expected = {
        "About to search 3 cities for 1 terms.",
        "Searching in boston for bike (sss)...",
        "HTTP Error -- retrying... found 1 items, 1 are new.",
        "Searching in chicago for bike (sss)...",
        "HTTP Error -- retrying... no matches.",
        "Searching in nowhere for bike (sss)...",  // a host that cannot be reached
        "HTTP Error -- retrying... no matches.",
        "Search Complete"};
    EXPECT_EQ(lines, expected);
    // a pair whose retry came back empty as well failed; one that recovered did not
    EXPECT_EQ(state.tally.pairs, 3);
    EXPECT_EQ(state.tally.itemsFound, 1);
    EXPECT_EQ(state.tally.failedFetches, 2);
    EXPECT_EQ(flaky.ConnectionCount(), 2u);
    EXPECT_EQ(dead.ConnectionCount(), 2u);
    auto dialed = dialer.Dialed();
    EXPECT_EQ(std::count(dialed.begin(), dialed.end(), "nowhere.craigslist.org"), 2);
}

TEST_F(SearchRun, KillDuringTheRetryPauseSkipsTheRetry) {
    state.retryPause = 5s;
    state.fetchLimits = {1};  // the server counts the requests of one fetch at a time
    LoopbackServer dead(Answer(""));
    dialer.Route("boston.craigslist.org", dead.Port());
    Search("boston", "bike\r\ncar,truck");
    ASSERT_TRUE(WaitFor([&] { return window.Text(IDC_STATUS3) == "HTTP Error -- retrying..."; }));
    auto pressed = std::chrono::steady_clock::now();
    PressSearchButton(state, window);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 2s);
    EXPECT_EQ(dead.ConnectionCount(), 1u);
    auto lines = StatusLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "HTTP Error -- retrying... no matches.");
    EXPECT_EQ(lines[lines.size() - 2], "Searching in boston for truck (car)...");
    EXPECT_EQ(lines.back(), "Search aborted.");
}

// Fetched ahead, a run shows exactly what a run one fetch at a time shows, whatever order
// the answers come back in.
TEST_F(SearchRun, FetchingAheadShowsWhatOneAtATimeShows) {
    std::mt19937 random(12);
    std::map<std::string, Script> feeds;
    std::string cities;
    for (int c = 0; c < 6; ++c) {
        const std::string city = "city" + std::to_string(c);
        cities += city + "\r\n";
        for (const char* term : {"bike", "car", "desk"}) {
            // a few links are shared between feeds, so the NEW tags depend on the order
            std::vector<Item> items = NumberedItems("http://" + city + "/" + term + "/", 3);
            items.push_back({"shared", "http://shared/" + std::to_string(random() % 4)});
            const std::string path = "/search/sss?query=" + std::string(term) + "&format=rss";
            feeds[city + ".craigslist.org" + path] =
                random() % 5 == 0 ? Answer("")
                                  : Slow(HttpOk(CraigslistFeed(items)),
                                         std::chrono::milliseconds(random() % 60));
        }
    }
    LoopbackServer server([&](const Request& request) {
        auto found = feeds.find(request.host + request.path);
        return found == feeds.end() ? Answer(HttpNotFound()) : found->second;
    });
    for (int c = 0; c < 6; ++c) dialer.Route("city" + std::to_string(c) + ".craigslist.org", server.Port());

    state.fetchLimits = {1};
    SearchToEnd(cities, "bike\r\ncar\r\ndesk");
    const std::vector<std::string> oneAtATimeLines = StatusLines();
    const std::vector<std::string> oneAtATimeList = window.ListItems();

    ResetResults(state, window);
    window.ClearCalls();
    state.fetchLimits = {};
    SearchToEnd(cities, "bike\r\ncar\r\ndesk");
    EXPECT_EQ(StatusLines(), oneAtATimeLines);
    EXPECT_EQ(window.ListItems(), oneAtATimeList);
}

TEST_F(SearchRun, FeedAddressesAreFetchedOncePerRunOrOncePerTerm) {
    const std::string all = "<rss version=\"2.0\"><channel><title>all</title>"
                            "<item><title>Red Bikes</title><link>/ad/1</link></item>"
                            "<item><title>Oak desk</title><link>/ad/2</link></item>"
                            "</channel></rss>";
    const std::string found = "<rss version=\"2.0\"><channel><title>s</title>"
                              "<item><title>whatever the site found</title><link>/ad/3</link></item>"
                              "</channel></rss>";
    LoopbackServer server(ByPath({{"/All.rss", Answer(HttpOk(all))},
                                  {"/s?q=bike", Answer(HttpOk(found))},
                                  {"/s?q=desk", Answer(HttpOk(found))}}));
    dialer.Route("feeds.test", server.Port());

    SearchToEnd("http://feeds.test/All.rss\r\nHTTP://feeds.test/s?q={term}", "bike\r\ncta,desk");
    const std::vector<std::string> expected = {
        "About to search 2 cities for 2 terms.",
        "Searching in http://feeds.test/All.rss for bike (sss)... found 1 items, 1 are new.",
        "Searching in http://feeds.test/All.rss for desk (cta)... found 1 items, 1 are new.",
        "Searching in HTTP://feeds.test/s?q={term} for bike (sss)... found 1 items, 1 are new.",
        "Searching in HTTP://feeds.test/s?q={term} for desk (cta)... found 1 items, 0 are new.",
        "Search Complete"};
    EXPECT_EQ(StatusLines(), expected);
    // the address without a slot was asked once, as written; the other once per term
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const std::string& r) { return r.rfind("GET /All.rss ", 0) == 0; }),
              1);
    EXPECT_TRUE(FindResultByLink(state, "http://feeds.test/ad/1"));
    EXPECT_TRUE(FindResultByLink(state, "http://feeds.test/ad/3"));
}

TEST_F(SearchRun, OverlongListsAreCutWithOneLineSaying) {
    std::string cities;
    for (int i = 0; i < MaxCities + 3; ++i) cities += "city" + std::to_string(i) + "\r\n";
    std::string terms;
    for (int i = 0; i < MaxTerms + 1; ++i) terms += "100027,t" + std::to_string(i) + "\r\n";
    // Kijiji categories on Craigslist cities: every pair is skipped, nothing is fetched
    SearchToEnd(cities, terms);
    EXPECT_TRUE(Shows("Only the first 2500 cities are searched."));
    EXPECT_TRUE(Shows("Only the first 250 terms are searched."));
    EXPECT_TRUE(Shows("About to search 2500 cities for 250 terms."));
    EXPECT_EQ(window.ProgressMaximum(), 625000);  // past the 16-bit range
    EXPECT_EQ(window.ProgressPosition(), 625000);
    EXPECT_EQ(state.cities.size(), 2500u);
    EXPECT_TRUE(dialer.Dialed().empty());
}

TEST_F(SearchRun, FullListAndLongFeedAreReportedOnce) {
    for (int i = 0; i < MaxResults - 1; ++i)
        ASSERT_TRUE(AppendLoadedResult(state, window, "2008-01-10 || old || http://old/" + std::to_string(i)));
    LoopbackServer longFeed(Answer(HttpOk(CraigslistFeed(NumberedItems("http://a/", MaxFeedItems + 2)))));
    LoopbackServer other(Answer(HttpOk(CraigslistFeed(NumberedItems("http://b/", 3)))));
    dialer.Route("boston.craigslist.org", longFeed.Port());
    dialer.Route("chicago.craigslist.org", other.Port());

    SearchToEnd("boston\r\nchicago", "bike\r\ncar,truck");
    auto lines = StatusLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Only the first 500 items of a feed are read."), 1);
    const std::string full = "The results list is full (10,000 entries): new results are no longer added.";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), full), 1);
    EXPECT_TRUE(Shows("Searching in boston for bike (sss)... found 500 items, 1 are new."));
    EXPECT_TRUE(Shows("Searching in chicago for bike (sss)... found 3 items, 0 are new."));
    EXPECT_EQ(state.results.Count(), MaxResults);
    EXPECT_EQ(state.newResultsFound, 1);
    EXPECT_EQ(lines.back(), "Search Complete");
}

}  // namespace
}  // namespace kestrap

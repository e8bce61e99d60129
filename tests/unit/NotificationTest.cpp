// When new ads are told in the notification area, and with what text: window searches
// through the fake window, scheduled runs by their result.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "SearchFixture.h"
#include "app/Notification.h"
#include "app/ScheduledRun.h"
#include "app/State.h"

namespace kestrap {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

std::string Feed(int items) {
    std::string feed = "<?xml version=\"1.0\"?><rdf:RDF><channel><title>f</title></channel>";
    for (int i = 1; i <= items; ++i)
        feed += "<item><title>t" + std::to_string(i) + "</title><link>http://x/" +
                std::to_string(i) + ".html</link><dc:date>2008-01-15T10:00:00-05:00</dc:date>"
                "</item>";
    return feed + "</rdf:RDF>";
}

using WindowNotification = SearchTest;

TEST_F(WindowNotification, NewAdsAreToldOnlyWhenTheRunEndsBehindOtherWindows) {
    std::atomic<int> items{3};
    LoopbackServer server([&](const Request&) { return Answer(HttpOk(Feed(items))); });
    dialer.Route("boston.craigslist.org", server.Port());
    const struct {
        const char* name;
        int items;          // in the feed; the list keeps what earlier runs found
        bool inFront;
        const char* resultsFile;  // as typed into the box
        Strings told;
    } cases[] = {
        {"behind, new ads", 3, false, " cars ", {"3 new ads in cars.html"}},
        {"behind, nothing new", 3, false, "cars", {}},
        {"in front, new ads", 5, true, "cars", {}},
        {"behind, no name typed", 6, false, "", {"1 new ads in kestrap.html"}},
        {"behind, a name with its ending", 8, false, "Old Cars.HTM",
         {"2 new ads in Old Cars.HTM"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        items = c.items;
        window.SetInFront(c.inFront);
        window.SetText(IDC_RESULTS_FILE, c.resultsFile);
        const size_t before = window.Notifications().size();
        SearchToEnd("boston", "bike");
        const Strings all = window.Notifications();
        EXPECT_EQ(Strings(all.begin() + static_cast<long>(before), all.end()), c.told);
    }
}

TEST_F(WindowNotification, AKilledRunTellsNothing) {
    LoopbackServer server(Answer(HttpOk(Feed(2))));
    dialer.Route("boston.craigslist.org", server.Port());
    LoopbackServer silent(Script{{ScriptStep::Pause, "", 2s}});
    dialer.Route("chicago.craigslist.org", silent.Port());
    state.fetchLimits = {1};
    state.stopGrace = 50ms;
    window.SetInFront(false);
    Search("boston\r\nchicago", "bike");
    ASSERT_TRUE(WaitFor([&] { return silent.ConnectionCount() == 1; }));
    PressSearchButton(state, window);
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(Shows("Search aborted."));
    EXPECT_EQ(state.results.Count(), 2);
    EXPECT_EQ(window.Notifications(), Strings{});
}

TEST(ScheduledRunNotification, OnlyNewAdsThatWereSavedAndNotQuiet) {
    ScheduledRunResult saved;
    saved.exitCode = 0;
    saved.resultsFile = "cars.html";
    saved.newAds = 3;
    saved.savedPath = "C:\\kestrap\\cars.html";
    ScheduledRunResult none = saved;
    none.newAds = 0;
    none.savedPath.clear();
    ScheduledRunResult failedSave = saved;
    failedSave.exitCode = 1;
    failedSave.savedPath.clear();
    const struct {
        const char* name;
        const ScheduledRunResult& result;
        bool quiet;
        const char* told;
    } cases[] = {
        {"saved", saved, false, "3 new ads in cars.html"},
        {"saved, /quiet", saved, true, ""},
        {"nothing new", none, false, ""},
        {"save failed", failedSave, false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScheduledRunNotification(c.result, c.quiet), c.told) << c.name;
}

}  // namespace
}  // namespace kestrap

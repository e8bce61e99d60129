// The scheduled run: a search without a window against a loopback feed server, in a program
// folder of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "FeedFixtures.h"
#include "LoopbackServer.h"
#include "StoreFixture.h"
#include "app/Notification.h"
#include "app/ScheduledRun.h"
#include "app/State.h"
#include "platform/ProgramLock.h"

namespace kestrap {
namespace {

using namespace std::chrono_literals;

class ScheduledRunTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        dialer.Route("toronto.craigslist.org", server.Port());
    }

    // one run as WinMain makes it: fresh state, no window
    ScheduledRunResult Run(const TempFolder& folder, std::string name = "", bool open = false) {
        AppState state;
        state.programFolder = folder.Path();
        state.clock = &clock;
        state.http = QuickHttp(dialer);
        state.retryPause = 10ms;
        ScheduledRunOptions options{std::move(name), open, 200ms,
                                    [&](std::string_view path) { opened.emplace_back(path); }};
        return RunScheduledSearch(state, options);
    }

    std::atomic<int> feedItems{2};
    LoopbackServer server{
        [this](const Request&) { return Answer(fixtures::CraigslistFeed(feedItems, 10)); }};
    LoopbackDialer dialer;
    FixedClock clock{{2009, 1, 15, 14, 5, 9}};
    std::vector<std::string> opened;
};

TEST_F(ScheduledRunTest, SavesOnlyWhenNewAdsCameAndNewMarksAddUp) {
    temp.Write("cars.cit", "toronto\r\n");
    temp.Write("cars.trm", "# comment\r\nbike\r\n");
    temp.Write("kestrap.ini", "results: other.html\r\n");

    ScheduledRunResult first = Run(temp, " cars ");
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.logLine, "2009-01-15 14:05:09  cars.html  1 pairs, 2 items found, 2 new ads, "
                             "0 failed fetches\r\n");
    const std::string saved = temp.Read("cars.html");
    EXPECT_NE(saved.find(fixtures::CraigslistLink(2) + "\">" + fixtures::CraigslistTitle(2) +
                         "</a> <b>NEW</b>"),
              std::string::npos)
        << saved;
    EXPECT_EQ(temp.Read("cars.trm"), "# comment\r\nbike\r\n");
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(first.savedPath, temp.File("cars.html"));
    EXPECT_EQ(ScheduledRunNotification(first, false), "2 new ads in cars.html");

    // nothing new: not a byte written, although the clock would stamp the file anew
    clock.Set({2009, 1, 15, 15, 5, 9});
    ScheduledRunResult second = Run(temp, "cars.html");
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_NE(second.logLine.find("2 items found, 0 new ads"), std::string::npos);
    EXPECT_EQ(temp.Read("cars.html"), saved);
    EXPECT_EQ(second.savedPath, "");
    EXPECT_EQ(ScheduledRunNotification(second, false), "");

    feedItems = 3;
    ScheduledRunResult third = Run(temp, "cars.html", true);
    EXPECT_EQ(third.exitCode, 0);
    EXPECT_NE(third.logLine.find("  cars.html  1 pairs, 3 items found, 1 new ads"),
              std::string::npos);
    const std::string grown = temp.Read("cars.html");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_NE(grown.find(fixtures::CraigslistLink(n) + "\">" + fixtures::CraigslistTitle(n) +
                             "</a> <b>NEW</b>"),
                  std::string::npos)
            << n;
    }
    EXPECT_EQ(opened, std::vector<std::string>{temp.File("cars.html")});

    EXPECT_EQ(temp.Read("kestrap.log"), first.logLine + second.logLine + third.logLine);
    EXPECT_EQ(temp.Read("kestrap.ini"), "results: other.html\r\n");
}

TEST_F(ScheduledRunTest, WithoutANameTakesTheSettingsFilesLastResultsFile) {
    temp.Write("kestrap.ini", "results: first.html\r\nresults: last.html\r\nresults:\r\n");
    temp.Write("clcities.txt", "toronto\r\n");  // the default lists serve every results file
    temp.Write("clsearch.txt", "bike\r\n");
    EXPECT_EQ(Run(temp).exitCode, 0);
    EXPECT_TRUE(temp.Exists("last.html"));
    EXPECT_EQ(temp.Read("last.cit"), "toronto\r\n");

    temp.Write("kestrap.ini", "");
    feedItems = 3;
    EXPECT_EQ(Run(temp).exitCode, 0);
    EXPECT_TRUE(temp.Exists("kestrap.html"));
}

// Every reason not to run: exit code 1, the log says why, nothing else is written and
// nothing is fetched.
TEST_F(ScheduledRunTest, RunsThatCannotRunWriteOnlyTheirLogLine) {
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;
        bool windowOpen;
        const char* problem;
    } cases[] = {
        {"no lists", {}, false, "no cities or no search terms"},
        {"comments only", {{"a.cit", "# toronto\r\n  \r\n"}, {"a.trm", "bike"}}, false,
         "no cities or no search terms"},
        {"no terms", {{"a.cit", "toronto"}, {"a.trm", ""}}, false, "no cities or no search terms"},
        {"window open", {{"a.cit", "toronto"}, {"a.trm", "bike"}}, true,
         "the window is open on this program folder"},
        // a folder where the results file should be: whatever it held would be lost
        {"results file unreadable", {{"a.cit", "toronto"}, {"a.trm", "bike"}, {"a.html/", ""}},
         false, "the results file or its lists could not be read whole"},
        // a page of the user's own: a save would replace it
        {"foreign results file",
         {{"a.cit", "toronto"}, {"a.trm", "bike"}, {"a.html", "<h1>Notes</h1>\r\n<li><a href=\"http://x/\">x</a></li>\r\n"}},
         false, "the results file or its lists could not be read whole"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (const auto& [name, text] : c.files) {
            if (name.back() == '/')
                std::filesystem::create_directory(folder.File(name));
            else
                folder.Write(name, text);
        }
        const std::size_t before = server.ConnectionCount();
        ProgramLock window;
        if (c.windowOpen) window = TakeWindowLock(folder.Path(), 0ms);

        ScheduledRunResult result = Run(folder, "a");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.logLine,
                  "2009-01-15 14:05:09  a.html  could not run: " + std::string(c.problem) + "\r\n");
        EXPECT_EQ(folder.Read("kestrap.log"), result.logLine);
        EXPECT_EQ(server.ConnectionCount(), before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                                std::filesystem::directory_iterator()),
                  static_cast<long>(c.files.size()) + 1);
    }
}

TEST_F(ScheduledRunTest, AFailedSaveStillTellsWhatWasFound) {
    temp.Write("clcities.txt", "toronto");
    temp.Write("clsearch.txt", "bike");
    std::filesystem::create_directory(temp.File("a.cit"));  // no place for the city list
    ScheduledRunResult result = Run(temp, "a");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.logLine, "2009-01-15 14:05:09  a.html  1 pairs, 2 items found, 2 new ads, "
                              "0 failed fetches; could not save the results file or its lists\r\n");
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(result.savedPath, "");
    EXPECT_EQ(ScheduledRunNotification(result, false), "");
}

}  // namespace
}  // namespace kestrap

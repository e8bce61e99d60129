// The results list: entry fields, the link index against a plain scan, capacity, and the
// operations that touch the list box.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "FakeWindow.h"
#include "StoreFixture.h"
#include "app/Commands.h"
#include "app/FileSteps.h"
#include "app/ResultsListBox.h"
#include "app/State.h"
#include "common/Text.h"
#include "search/Prune.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

namespace kestrap {
namespace {

TEST(ResultField, SplitsAtBarsAndStripsOnlySpaces) {
    std::string entry = "2008-01-15 || Red bike, like new || http://a/1.html || NEW";
    EXPECT_EQ(ResultField(entry, 1), "2008-01-15");
    EXPECT_EQ(ResultField(entry, 2), "Red bike, like new");
    EXPECT_EQ(ResultField(entry, 3), "http://a/1.html");
    EXPECT_EQ(ResultField(entry, 4), "NEW");
    EXPECT_EQ(ResultField(entry, 5), "");
    EXPECT_EQ(ResultField("d ||\ttitle\t|| l", 2), "\ttitle\t");
    EXPECT_EQ(ResultField("d |||| l", 2), "");
    EXPECT_TRUE(IsTaggedNew(entry));
    EXPECT_FALSE(IsTaggedNew("d || t || l || new"));
    EXPECT_FALSE(IsTaggedNew("d || t || l"));
}

TEST(ResultField, BarsInsideAFieldAreBrokenUpWhenAnEntryIsMade) {
    std::string entry = "2008-01-15 || a || b || http://a/1.html || NEW";
    EXPECT_EQ(ResultField(entry, 3), "b");
    AppState state;
    FakeWindow window;
    ASSERT_TRUE(AddNewResult(state, window, "2008-01-15", "a || b|||", "http://a/1.html"));
    EXPECT_EQ(state.results.Entries()[0], "2008-01-15 || a | | b| | | || http://a/1.html || NEW");
    EXPECT_TRUE(FindResultByLink(state, "http://a/1.html"));
    EXPECT_FALSE(FindResultByLink(state, "b"));
}

TEST(AddNewResult, TagsRaisesFlagsAndShowsOnTop) {
    AppState state;
    FakeWindow window;
    window.ListAppend("loaded");
    ASSERT_TRUE(AddNewResult(state, window, "2008-01-15", "Red bike", "http://a/1.html"));
    ASSERT_TRUE(AddNewResult(state, window, "2008-01-16", "Blue bike", "http://a/2.html"));
    EXPECT_EQ(state.unsavedResults, 1);
    EXPECT_EQ(state.newResultsFound, 2);
    auto entries = state.results.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], "2008-01-15 || Red bike || http://a/1.html || NEW");
    auto shown = window.ListItems();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], "2008-01-16 || Blue bike || http://a/2.html || NEW");
    EXPECT_EQ(shown[2], "loaded");

    // the list box holds at most 511 bytes of a line; the list keeps it all
    ASSERT_TRUE(AddNewResult(state, window, "2008-01-17", std::string(600, 'x'), "http://a/3.html"));
    EXPECT_EQ(window.ListItems().at(0).size(), 511u);
    EXPECT_EQ(state.results.Entries().at(2).size(), 10 + 4 + 600 + 4 + 15 + 7u);
}

// Case and tabs count; surrounding blanks of a feed's link do not (else the same ad would
// come back as new at every search).
TEST(FindResultByLink, ComparesCaseSensitivelyIgnoringSurroundingBlanks) {
    AppState state;
    FakeWindow window;
    ASSERT_TRUE(AppendLoadedResult(state, window, "2008-01-15 || t ||  http://a/1.html  "));
    EXPECT_TRUE(FindResultByLink(state, "http://a/1.html"));
    EXPECT_FALSE(FindResultByLink(state, "HTTP://a/1.html"));
    EXPECT_TRUE(FindResultByLink(state, " http://a/1.html  "));
    EXPECT_FALSE(FindResultByLink(state, "\thttp://a/1.html"));
    EXPECT_EQ(state.unsavedResults, 0);
    EXPECT_EQ(window.ListItems().back(), "2008-01-15 || t ||  http://a/1.html  ");
    ResetResults(state, window);
    EXPECT_FALSE(FindResultByLink(state, "http://a/1.html"));
    EXPECT_TRUE(window.ListItems().empty());
}

TEST(ResultsCapacity, AppendStopsAtTheLimitWithoutSideEffects) {
    AppState state;
    FakeWindow window;
    for (int i = 0; i < MaxResults; ++i)
        ASSERT_TRUE(AppendLoadedResult(state, window, "2008-01-15 || t || l" + std::to_string(i)));
    EXPECT_FALSE(AppendLoadedResult(state, window, "2008-01-15 || t || extra"));
    EXPECT_FALSE(AddNewResult(state, window, "2008-01-15", "t", "new"));
    EXPECT_EQ(state.results.Count(), MaxResults);
    EXPECT_EQ(window.ListItems().size(), static_cast<size_t>(MaxResults));
    EXPECT_EQ(state.newResultsFound, 0);
    EXPECT_EQ(state.unsavedResults, 0);
    EXPECT_FALSE(FindResultByLink(state, "new"));
    std::vector<std::string> tooMany(MaxResults + 5, "d || t || l");
    state.results.Replace(tooMany);
    EXPECT_EQ(state.results.Count(), MaxResults);
}

// Whatever a run adds, what Save writes is read back whole at the next start.
TEST(ResultsCapacity, AppendStopsBeforeTheSavedFileWouldPassWhatALoadReads) {
    class Noon final : public Clock {
    public:
        LocalTime Now() const override { return {2026, 3, 9, 12, 0, 0}; }
    } clock;
    AppState state;
    FakeWindow window;
    const std::string title((size_t{1} << 20) - 100, 't');
    int added = 0;
    while (AddNewResult(state, window, "2026-03-09", title, "http://a.test/" + std::to_string(added))) ++added;
    EXPECT_EQ(added, 63);
    EXPECT_FALSE(AddNewResult(state, window, "2026-03-09", "small", "http://a.test/small"));

    const std::string file = ResultsFileText(state.results, clock);
    EXPECT_LE(file.size(), MaxResultsFileBytes);
    ResultsList loaded;
    EXPECT_TRUE(ReadResultsFileEntries(file, [&](std::string_view e) { return loaded.Append(e); }).Whole());
    EXPECT_EQ(loaded.Count(), added);

    ResetResults(state, window);
    EXPECT_TRUE(AddNewResult(state, window, "2026-03-09", "small", "http://a.test/small"));
}

TEST(SortResultsNewestFirst, DescendingByBytesPrefixBelow) {
    AppState state;
    FakeWindow window;
    for (const char* entry : {"2008-01-15 || a || 1", "2009-02-01 || b || 2",
                              "2008-01-15 || a || 1 || NEW", "2008-01-15 || \xE9 || 3"})
        ASSERT_TRUE(AppendLoadedResult(state, window, entry));
    SortResultsNewestFirst(state);
    std::vector<std::string> expected = {"2009-02-01 || b || 2", "2008-01-15 || \xE9 || 3",
                                         "2008-01-15 || a || 1 || NEW", "2008-01-15 || a || 1"};
    EXPECT_EQ(state.results.Entries(), expected);
    EXPECT_EQ(window.ListItems().front(), "2008-01-15 || a || 1");  // list box untouched
    EXPECT_TRUE(FindResultByLink(state, "3"));
}

TEST(ClearResults, EmptiesListAndTellsButKeepsFlags) {
    AppState state;
    FakeWindow window;
    ASSERT_TRUE(AddNewResult(state, window, "2008-01-15", "t", "http://a/1"));
    ClearResults(state, window);
    EXPECT_EQ(state.results.Count(), 0);
    EXPECT_TRUE(window.ListItems().empty());
    EXPECT_FALSE(FindResultByLink(state, "http://a/1"));
    EXPECT_EQ(state.newResultsFound, 1);
    EXPECT_EQ(state.unsavedResults, 1);
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text,
              "List cleared. You can save your fresh results after your next search.");
    EXPECT_EQ(window.Asks()[0].caption, "List cleared");
    EXPECT_EQ(window.Asks()[0].flags, BoxOk | BoxIconInformation);
}

TEST(OpenResultLink, OpensOnlyWebAddressesAndSaysWhyNotOtherwise) {
    struct Case {
        std::string link;
        bool opened;
    };
    const std::vector<Case> cases = {
        {"http://a/1.html", true},
        {"HTTPS://a/3", true},
        {"hTTp://a:8080", true},
        {"ftp://a/2", false},
        {"http\\..\\..\\windows\\system32\\calc.exe", false},
        {"javascript:alert(1)", false},
        {"C:\\Windows\\System32\\calc.exe", false},
        {"\\\\host\\share\\x.exe", false},
        {"http://", false},
        {"http:///etc/passwd", false},
        {"", false},
    };
    FakeWindow window;
    OpenResultLink(window);  // nothing selected: nothing opened, nothing said
    EXPECT_TRUE(window.Asks().empty());
    for (const Case& test : cases) window.ListAppend("2008-01-15 || t || " + test.link + " || NEW");
    std::vector<std::string> expected;
    size_t refused = 0;
    for (size_t line = 0; line < cases.size(); ++line) {
        window.SelectListItem(static_cast<int>(line));
        OpenResultLink(window);
        if (cases[line].opened) expected.push_back(cases[line].link);
        else ++refused;
        EXPECT_EQ(window.Asks().size(), refused) << cases[line].link;
    }
    EXPECT_EQ(window.Opened(), expected);
    EXPECT_EQ(window.Asks().back().text,
              "The link of this entry is not a web address and was not opened.");
    EXPECT_EQ(window.Asks().back().flags, BoxOk | BoxIconWarning);
}

// The index must answer exactly as a scan of the entries would, whatever happens to the list:
// searches, loads, clears, prunes, sorts, with links that differ only by blanks or case and
// titles that shift the link field. Enough distinct links that the index has to grow.
bool ScanForLink(const std::vector<std::string>& entries, std::string_view link) {
    for (const auto& entry : entries)
        if (ResultField(entry, 3) == StripBlanks(link)) return true;
    return false;
}

using ResultsIndexTest = StoreTest;

TEST_F(ResultsIndexTest, AgreesWithScanOnRandomOperations) {
    std::mt19937 random(20080115);
    std::vector<std::string> links = {"http://a/1", " http://a/1", "http://a/1 ", "HTTP://a/1",
                                      "", " ", "b", "http://a/2 || NEW", "x||y"};
    const size_t oddLinks = links.size();
    for (int n = 0; n < 400; ++n) links.push_back("http://a/n" + std::to_string(n));
    const std::vector<std::string> titles = {"t", "", "a || b", "||", "c ||"};
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    // the clock says 01-15-2009, so pruning cuts at 2008-11-15: some of these go, some stay
    const std::vector<std::string> dates = {"2008-10-01", "2008-11-14", "2008-11-15", "2009-01-15"};

    size_t largest = 0;
    for (int step = 0; step < 3000; ++step) {
        const unsigned roll = random() % 200;
        if (roll == 0) {
            ClearResults(state, window);
        } else if (roll == 1) {
            ResetResults(state, window);
        } else if (roll < 5) {
            ASSERT_TRUE(SaveResultsFile(state, state.programFolder + "index.html"));
            LoadResultsFile(state, window, "index.html");
        } else if (roll < 8) {
            PruneOldResults(state, window);
        } else if (roll < 12) {
            SortResultsNewestFirst(state);
        } else if (roll < 16) {
            auto kept = state.results.Entries();
            if (!kept.empty()) kept.erase(kept.begin() + random() % kept.size());
            state.results.Replace(kept);
        } else if (roll < 30) {
            AppendLoadedResult(state, window, pick(dates) + " || " + pick(titles) + " || " + pick(links));
        } else {
            AddNewResult(state, window, pick(dates), pick(titles), pick(links));
        }
        const auto entries = state.results.Entries();
        largest = std::max(largest, entries.size());
        for (size_t i = 0; i < oddLinks; ++i)
            ASSERT_EQ(FindResultByLink(state, links[i]), ScanForLink(entries, links[i]))
                << "step " << step << " link '" << links[i] << "'";
        for (int i = 0; i < 8; ++i) {
            const std::string& link = pick(links);
            ASSERT_EQ(FindResultByLink(state, link), ScanForLink(entries, link))
                << "step " << step << " link '" << link << "'";
        }
        for (const auto& entry : entries) ASSERT_TRUE(FindResultByLink(state, ResultField(entry, 3)));
    }
    EXPECT_GT(largest, 200u);  // the index has grown several times over
}

}  // namespace
}  // namespace kestrap

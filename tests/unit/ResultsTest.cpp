// The results list: entry fields, the link index against a plain scan, capacity, and the
// operations that touch the list box.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "FakeWindow.h"
#include "StoreFixture.h"
#include "app/Commands.h"
#include "app/FileSteps.h"
#include "app/ResultsListBox.h"
#include "app/State.h"
#include "common/Text.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

namespace kestrap {
namespace {

TEST(EntryText, JoinsTheFieldsAndBreaksUpBarsInsideThem) {
    struct Case {
        ResultEntry entry;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{"2008-01-15", "Red bike, like new", "http://a/1.html", true},
         "2008-01-15 || Red bike, like new || http://a/1.html || NEW"},
        {{"2008-01-15", "a || b|||", "http://a/1.html", false}, "2008-01-15 || a | | b| | | || http://a/1.html"},
        {{"2008-01-15", "|x|", "l", false}, "2008-01-15 || |x| || l"},
        {{"", "", "", false}, " ||  || "},
    };
    for (const Case& test : cases) EXPECT_EQ(EntryText(test.entry), test.text) << test.text;
}

TEST(EntryLink, StripsSpacesOnlyAndBreaksUpBars) {
    EXPECT_EQ(EntryLink("  http://a/1  "), "http://a/1");
    EXPECT_EQ(EntryLink("\thttp://a/1"), "\thttp://a/1");
    EXPECT_EQ(EntryLink("http://x/3||4"), "http://x/3| |4");
    EXPECT_EQ(EntryLink(EntryLink("a|||b ")), "a| | |b");
}

// pruning and the file's headings read the first ten bytes of the text, as they always did
TEST(EntryTextDate, IsTheFirstTenBytesOfTheText) {
    EXPECT_EQ(EntryTextDate({"2008-01-15", "t", "l", false}), "2008-01-15");
    EXPECT_EQ(EntryTextDate({"2008-01-15 and more", "t", "l", false}), "2008-01-15");
    EXPECT_EQ(EntryTextDate({"-00-00", "title", "l", false}), "-00-00 || ");
    EXPECT_EQ(EntryTextDate({"||||||||", "t", "l", false}), "| | | | | ");
    EXPECT_EQ(EntryTextDate({"", "", "", false}), " ||  || ");
}

TEST(AddNewResult, RaisesFlagsShowsOnTopAndKeepsTheTitleAsRead) {
    AppState state;
    FakeWindow window;
    ASSERT_TRUE(AppendLoadedResult(state, window, OldEntry("2008-01-14", "loaded", "http://a/0")));
    ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-01-15", "a || b|||", "http://a/1.html")));
    ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-01-16", "Blue bike", "http://a/2.html")));
    EXPECT_EQ(state.unsavedResults, 1);
    EXPECT_EQ(state.newResultsFound, 2);
    const auto entries = state.results.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].title, "a || b|||");
    const std::vector<std::string> shown = {"2008-01-16 || Blue bike || http://a/2.html || NEW",
                                            "2008-01-15 || a | | b| | | || http://a/1.html || NEW",
                                            "2008-01-14 || loaded || http://a/0"};
    EXPECT_EQ(window.ListItems(), shown);
    EXPECT_TRUE(FindResultByLink(state, "http://a/1.html"));
    EXPECT_FALSE(FindResultByLink(state, "b"));

    // the list box holds at most 511 bytes of a line; the list keeps it all
    ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-01-17", std::string(600, 'x'), "http://a/3.html")));
    EXPECT_EQ(window.ListItems().at(0), EntryText(state.results.Entries().at(3)).substr(0, 511));
    EXPECT_EQ(state.results.Entries().at(3).title.size(), 600u);
}

// Case and tabs count; surrounding blanks of a feed's link do not (else the same ad would
// come back as new at every search).
TEST(FindResultByLink, ComparesCaseSensitivelyIgnoringSurroundingBlanks) {
    AppState state;
    FakeWindow window;
    ASSERT_TRUE(AppendLoadedResult(state, window, OldEntry("2008-01-15", "t", "  http://a/1.html  ")));
    EXPECT_TRUE(FindResultByLink(state, "http://a/1.html"));
    EXPECT_FALSE(FindResultByLink(state, "HTTP://a/1.html"));
    EXPECT_TRUE(FindResultByLink(state, " http://a/1.html  "));
    EXPECT_FALSE(FindResultByLink(state, "\thttp://a/1.html"));
    EXPECT_EQ(state.unsavedResults, 0);
    EXPECT_EQ(window.ListItems().back(), "2008-01-15 || t || http://a/1.html");
    ResetResults(state, window);
    EXPECT_FALSE(FindResultByLink(state, "http://a/1.html"));
    EXPECT_TRUE(window.ListItems().empty());
}

TEST(ResultsCapacity, AppendStopsAtTheLimitWithoutSideEffects) {
    AppState state;
    FakeWindow window;
    for (int i = 0; i < MaxResults; ++i)
        ASSERT_TRUE(AppendLoadedResult(state, window, OldEntry("2008-01-15", "t", "l" + std::to_string(i))));
    EXPECT_FALSE(AppendLoadedResult(state, window, OldEntry("2008-01-15", "t", "extra")));
    EXPECT_FALSE(AddNewResult(state, window, NewEntry("2008-01-15", "t", "new")));
    EXPECT_EQ(state.results.Count(), MaxResults);
    EXPECT_EQ(window.ListItems().size(), static_cast<size_t>(MaxResults));
    EXPECT_EQ(state.newResultsFound, 0);
    EXPECT_EQ(state.unsavedResults, 0);
    EXPECT_FALSE(FindResultByLink(state, "new"));
    std::vector<ResultEntry> tooMany(MaxResults + 5, OldEntry("d", "t", "l"));
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
    while (AddNewResult(state, window, NewEntry("2026-03-09", title, "http://a.test/" + std::to_string(added)))) ++added;
    EXPECT_EQ(added, 63);
    EXPECT_FALSE(AddNewResult(state, window, NewEntry("2026-03-09", "small", "http://a.test/small")));

    const std::string file = ResultsFileText(state.results, clock);
    EXPECT_LE(file.size(), MaxResultsFileBytes);
    ResultsList loaded;
    EXPECT_TRUE(ReadResultsFileEntries(file, [&](const ResultEntry& e) { return loaded.Add(e); }).Whole());
    EXPECT_EQ(loaded.Count(), added);

    ResetResults(state, window);
    EXPECT_TRUE(AddNewResult(state, window, NewEntry("2026-03-09", "small", "http://a.test/small")));
}

// by the whole text, as the list box shows it: a short date sorts by the separator after it
TEST(SortResultsNewestFirst, DescendingByTextBytesPrefixBelow) {
    AppState state;
    FakeWindow window;
    for (const ResultEntry& entry : {OldEntry("2008-01-15", "a", "1"), OldEntry("2009-02-01", "b", "2"),
                                     NewEntry("2008-01-15", "a", "1"), OldEntry("2008-01-15", "\xE9", "3"),
                                     OldEntry("2008-01-1", "z", "4"), OldEntry("2008-01-15", "a|", "5")})
        ASSERT_TRUE(AppendLoadedResult(state, window, entry));
    const std::vector<std::string> shown = window.ListItems();
    SortResultsNewestFirst(state);
    const std::vector<std::string> expected = {"2009-02-01 || b || 2", "2008-01-15 || \xE9 || 3",
                                               "2008-01-15 || a| || 5", "2008-01-15 || a || 1 || NEW",
                                               "2008-01-15 || a || 1", "2008-01-1 || z || 4"};
    EXPECT_EQ(EntryTexts(state.results.Entries()), expected);
    EXPECT_EQ(window.ListItems(), shown);  // list box untouched
    EXPECT_TRUE(FindResultByLink(state, "3"));
}

TEST(ClearResults, EmptiesListAndTellsButKeepsFlags) {
    AppState state;
    FakeWindow window;
    ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-01-15", "t", "http://a/1")));
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
    AppState state;
    FakeWindow window;
    OpenResultLink(state, window);  // nothing selected: nothing opened, nothing said
    EXPECT_TRUE(window.Asks().empty());
    for (const Case& test : cases) AppendLoadedResult(state, window, NewEntry("2008-01-15", "t", test.link));
    std::vector<std::string> expected;
    size_t refused = 0;
    for (size_t line = 0; line < cases.size(); ++line) {
        window.SelectListItem(static_cast<int>(line));
        OpenResultLink(state, window);
        if (cases[line].opened) expected.push_back(cases[line].link);
        else ++refused;
        EXPECT_EQ(window.Asks().size(), refused) << cases[line].link;
    }
    EXPECT_EQ(window.Opened(), expected);
    EXPECT_EQ(window.Asks().back().text,
              "The link of this entry is not a web address and was not opened.");
    EXPECT_EQ(window.Asks().back().flags, BoxOk | BoxIconWarning);
}

// Each row opens the link of the entry it shows, however long the title (the box holds a cut
// text), whatever the list's order: a search shows its finds on top, Save sorts the list
// under the box, pruning and loading refill the box.
using ResultRows = StoreTest;

TEST_F(ResultRows, EachRowOpensItsOwnEntrysLink) {
    const std::string longLink = "http://a.example/ad/7712345678.html";
    ASSERT_TRUE(AppendLoadedResult(state, window, OldEntry("2009-01-10", "loaded", "http://a.example/ad/1")));
    ASSERT_TRUE(AppendLoadedResult(state, window, OldEntry("2001-01-01", "old", "http://a.example/ad/2")));
    ASSERT_TRUE(AddNewResult(state, window, NewEntry("2009-01-12", std::string(600, 'T'), longLink)));
    ASSERT_TRUE(AddNewResult(state, window, NewEntry("2009-01-11", "short", "http://a.example/ad/3")));
    EXPECT_EQ(window.ListItems().at(1).find(longLink), std::string::npos);
    const auto expectRows = [&](const std::vector<std::string>& links, const char* after) {
        ASSERT_EQ(window.ListItems().size(), links.size()) << after;
        for (size_t row = 0; row < links.size(); ++row) {
            window.SelectListItem(static_cast<int>(row));
            OpenResultLink(state, window);
            ASSERT_FALSE(window.Opened().empty());
            EXPECT_EQ(window.Opened().back(), links[row]) << after << ", row " << row;
        }
    };
    expectRows({"http://a.example/ad/3", longLink, "http://a.example/ad/1", "http://a.example/ad/2"}, "a search");
    SortResultsNewestFirst(state);
    expectRows({"http://a.example/ad/3", longLink, "http://a.example/ad/1", "http://a.example/ad/2"}, "a sort");
    PruneOldResults(state, window);
    expectRows({longLink, "http://a.example/ad/3", "http://a.example/ad/1"}, "pruning");
    ASSERT_TRUE(SaveResultsFile(state, temp.File("rows.html")));
    LoadResultsFile(state, window, "rows.html");
    expectRows({longLink, "http://a.example/ad/3", "http://a.example/ad/1"}, "a load");
    EXPECT_EQ(window.Asks().size(), 1u);  // pruning's report; no link was refused
}

// The index must answer exactly as a scan of the entries would, and the rows must follow the
// box, whatever happens to the list: searches, loads, clears, prunes, sorts, with links that
// differ only by blanks or case and titles that hold bars. Enough distinct links that the
// index has to grow.
bool ScanForLink(const std::vector<ResultEntry>& entries, std::string_view link) {
    for (const auto& entry : entries)
        if (entry.link == EntryLink(link)) return true;
    return false;
}

// every row of the box shows the text of the entry the list says it shows
void ExpectRowsMatchTheBox(const AppState& state, const FakeWindow& window, int step) {
    const std::vector<std::string> shown = window.ListItems();
    for (size_t row = 0; row < shown.size(); ++row) {
        const std::optional<ResultEntry> entry = state.results.EntryAtRow(static_cast<int>(row));
        ASSERT_TRUE(entry) << "step " << step << " row " << row;
        ASSERT_EQ(shown[row], EntryText(*entry).substr(0, shown[row].size())) << "step " << step << " row " << row;
    }
    ASSERT_FALSE(state.results.EntryAtRow(static_cast<int>(shown.size()))) << "step " << step;
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
            RefillResultsBox(state, window);
        } else if (roll < 30) {
            AppendLoadedResult(state, window, OldEntry(pick(dates), pick(titles), pick(links)));
        } else {
            AddNewResult(state, window, NewEntry(pick(dates), pick(titles), pick(links)));
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
        for (const auto& entry : entries) ASSERT_TRUE(FindResultByLink(state, entry.link));
        ExpectRowsMatchTheBox(state, window, step);
    }
    EXPECT_GT(largest, 200u);  // the index has grown several times over
}

}  // namespace
}  // namespace kestrap

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "StoreFixture.h"
#include "app/ControlIds.h"
#include "app/FileSteps.h"
#include "app/Commands.h"
#include "app/ResultsListBox.h"
#include "common/WebAddress.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

namespace kestrap {
namespace {

using ResultsFileTest = StoreTest;

constexpr std::string_view Heading = "<h3>Kestrap build for 01-15-2009 at 14:05:09</h3>\r\n";

TEST_F(ResultsFileTest, GroupsByDateNewestFirstWithExactBytes) {
    EXPECT_EQ(ResultsFileText(state.results, clock), std::string(Heading) + "<ul>\r\n</ul>\r\n");

    state.results.Add(NewEntry("2008-03-05", "Red bike", "http://a/1.html"));
    state.results.Add(OldEntry("2008-03-05", "Sofa &amp; chair", "http://a/2.html"));
    state.results.Add(OldEntry("2008-03-04", "", "http://a/3.html"));
    // bars are written broken up, as the entry's text shows them
    state.results.Add(OldEntry("2008-03-04", " a || b ", "http://a/4||5"));
    EXPECT_EQ(ResultsFileText(state.results, clock),
              std::string(Heading) +
                  "<h3>March 5, 2008</h3>\r\n"
                  "<ul>\r\n"
                  "<li>2008-03-05 <a href=\"http://a/1.html\">Red bike</a> <b>NEW</b></li>\r\n"
                  "<li>2008-03-05 <a href=\"http://a/2.html\">Sofa &amp; chair</a></li>\r\n"
                  "</ul>\r\n"
                  "<h3>March 4, 2008</h3>\r\n"
                  "<ul>\r\n"
                  "<li>2008-03-04 <a href=\"http://a/3.html\"></a></li>\r\n"
                  "<li>2008-03-04 <a href=\"http://a/4| |5\">a | | b</a></li>\r\n"
                  "</ul>\r\n");
}

TEST_F(ResultsFileTest, SavedEntriesLoadBackInOrderWithoutNewTagsAndWithEveryByte) {
    std::string title("a\x1a" "b\0c\xa5\xff", 7);  // Ctrl-Z is title text here
    state.results.Add(NewEntry("2008-03-05", title, "http://a/1"));
    state.results.Add(OldEntry("2008-03-05", "two\r\nlines", "http://a/2"));
    state.results.Add(OldEntry("2008-03-04", "last", "http://a/3"));
    ASSERT_TRUE(SaveResultsFile(state, temp.File("my.results.html")));
    temp.Write("my.trm", "bike\r\n");

    AppState loaded;
    loaded.programFolder = temp.Path();
    LoadResultsFile(loaded, window, "my.results.html");
    std::vector<ResultEntry> expected = {OldEntry("2008-03-05", title, "http://a/1"),
                                         OldEntry("2008-03-05", "two  lines", "http://a/2"),
                                         OldEntry("2008-03-04", "last", "http://a/3")};
    EXPECT_EQ(loaded.results.Entries(), expected);
    EXPECT_EQ(window.ListItems(), EntryTexts(expected));
    EXPECT_EQ(window.Text(IDC_TERMS), "bike\r\n");
}

// a scheduled run keeps what the file marks NEW; only the mark the writer puts last counts
TEST_F(ResultsFileTest, NewMarksAreKeptOnlyWhenAsked) {
    const std::string file =
        "<li>2008-03-05 <a href=\"http://a/1\">one</a> <b>NEW</b></li>\r\n"
        "<li>2008-03-05 <a href=\"http://a/2\">two</a> <b>NEW</b>  \r\n"
        "<li>2008-03-05 <a href=\"http://a/3\">three <b>NEW</b></a></li>\r\n"
        "<li>2008-03-05 <a href=\"http://a/4\">four</a> <b>NEW</b> sold</li>\r\n"
        "<li>2008-03-05 <a href=\"http://a/5\">five</a> <B>NEW</B></li>\r\n";
    std::vector<ResultEntry> kept, dropped;
    ReadResultsFileEntries(file, [&](const ResultEntry& e) { return kept.push_back(e), true; },
                           NewMarks::Keep);
    ReadResultsFileEntries(file, [&](const ResultEntry& e) { return dropped.push_back(e), true; });
    const std::vector<ResultEntry> expected = {
        NewEntry("2008-03-05", "one", "http://a/1"), NewEntry("2008-03-05", "two", "http://a/2"),
        OldEntry("2008-03-05", "three", "http://a/3"), OldEntry("2008-03-05", "four", "http://a/4"),
        OldEntry("2008-03-05", "five", "http://a/5")};
    EXPECT_EQ(kept, expected);
    ASSERT_EQ(dropped.size(), expected.size());
    for (const ResultEntry& entry : dropped) EXPECT_FALSE(entry.isNew) << EntryText(entry);

    // through the load, into the list and back out with the mark
    temp.Write("marks.html", file);
    LoadResultsFile(state, window, "marks.html", NewMarks::Keep);
    EXPECT_EQ(state.results.Entries(), expected);
    EXPECT_EQ(state.newResultsFound, 0);
}

TEST_F(ResultsFileTest, MissingFileIsReportedEmptiesTheListAndStillLoadsItsLists) {
    state.results.Add(OldEntry("2008-01-01", "stale", "http://stale"));
    temp.Write("gone.cit", "boston\r\n");
    LoadResultsFile(state, window, "   ");
    EXPECT_EQ(state.results.Count(), 1);
    LoadResultsFile(state, window, "gone.html");
    EXPECT_EQ(state.results.Count(), 0);
    EXPECT_EQ(window.Text(IDC_STATUS3), "Error: Could not load gone.html");
    EXPECT_EQ(window.Text(IDC_CITIES), "boston\r\n");
}

TEST_F(ResultsFileTest, ReaderTakesFieldsByItsMarkers) {
    temp.Write("odd.html",
               "<h3>no item here</h3>\r\n"
               "<li>2008-01-02 <a href=\"http://a/1\">Bike <b>cheap</b></a></li>\r\n"
               "<li>2008-01-03 <a href=\"http://a/\"q\">quoted</a></li>\r\n"
               "<li>2008-01-04 <a href=\"  http://a/3  \">  spaced  </a></li><li>second</li>\r\n"
               "before <li>2008-01-05 <a href=\"http://a/5\">no end tag\r\n"
               "<li>short</li>\r\n"
               "<LI>2008-01-06 upper case is no item</LI>\r\n");
    LoadResultsFile(state, window, "odd.html");
    std::vector<ResultEntry> expected = {
        OldEntry("2008-01-02", "Bike", "http://a/1"),   OldEntry("2008-01-03", "quoted", "http://a/%22q"),
        OldEntry("2008-01-04", "spaced", "http://a/3"), OldEntry("2008-01-05", "no end tag", "http://a/5"),
        OldEntry("short", "", ""),
    };
    EXPECT_EQ(state.results.Entries(), expected);
}

TEST_F(ResultsFileTest, AtMostTheListsCapacityIsLoadedAndOneLineReportsTheRest) {
    std::string file;
    for (int i = 0; i < MaxResults + 25; ++i) {
        file += "<li>2008-01-01 <a href=\"http://a/" + std::to_string(i) + "\">t</a></li>\r\n";
    }
    temp.Write("big.html", file);
    LoadResultsFile(state, window, "big.html");
    EXPECT_EQ(state.results.Count(), MaxResults);
    EXPECT_EQ(window.Text(IDC_STATUS3),
              "25 entries of big.html were left out: the list holds at most 10,000.");
    EXPECT_EQ(window.Text(IDC_STATUS2), "");
}

TEST_F(ResultsFileTest, DamagedFilesLoadWhatTheyCan) {
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 200000; ++i) noise.push_back(static_cast<char>(random()));
    temp.Write("noise.html", noise + "\r\n<li>2008-01-01 <a href=\"http://a/1");
    LoadResultsFile(state, window, "noise.html");
    std::vector<ResultEntry> entries = state.results.Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back(), OldEntry("2008-01-01", "", "http://a/1"));
}

// A file the program did not write whole is not replaced unasked, and a "No" keeps it.
TEST_F(ResultsFileTest, AForeignOrDamagedFileCountsAsPartlyReadAndSaveAsksFirst) {
    const std::string own = std::string(Heading) + "<h3>January 1, 2008</h3>\r\n<ul>\r\n"
                            "<li>2008-01-01 <a href=\"http://a/1\">one</a></li>\r\n</ul>\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : own) utf16 += std::string{c, '\0'};
    struct Case {
        const char* name;
        std::string bytes;
        bool whole;
    } cases[] = {
        {"own", own, true},
        {"empty", "", true},
        {"own-empty", std::string(Heading) + "<ul>\r\n</ul>\r\n", true},
        {"notes", "<html><body><h1>My notes</h1><ul>\r\n<li><a href=\"http://a/x\">bike shop</a></li>\r\n"
                  "<li>call Tom</li>\r\n</ul></body></html>\r\n", false},
        {"utf16", utf16, false},
        {"broken-lines", std::string(Heading) + "<ul>\r\n<li>2008-01-01 <a href=\"http://a/1\">one\r\n"
                         "long</a></li>\r\n</ul>\r\n", false},
        {"no-entry", "just some text\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppState fresh;
        fresh.programFolder = temp.Path();
        fresh.clock = &clock;
        FakeWindow box;
        temp.Write(std::string(c.name) + ".html", c.bytes);
        box.TypeResultsFileName(c.name);
        LoadCommand(fresh, box);
        ASSERT_TRUE(AddNewResult(fresh, box, NewEntry("2009-01-15", "found", "http://a/new")));
        box.QueueAnswer(AnswerNo);
        SaveCommand(fresh, box);
        EXPECT_EQ(box.Asks().size(), c.whole ? 0u : 1u);
        if (!c.whole) {
            EXPECT_EQ(temp.Read(std::string(c.name) + ".html"), c.bytes);
        }
    }
}

TEST_F(ResultsFileTest, LinksWithQuotesBracketsOrBarsKeepTheirAdThroughLoadsAndSaves) {
    temp.Write("odd.html", std::string(Heading) +
                               "<li>2008-01-01 <a href=\"http://a/x>y\">angle</a></li>\r\n"
                               "<li>2008-01-01 <a href=\"http://a/\"q\">quote</a></li>\r\n"
                               "<li>2008-01-01 <a href=\"http://a/old| |bars\">old bars</a></li>\r\n");
    const std::string feedLink = HeldLink("http://a/new||bars", true);
    EXPECT_EQ(feedLink, "http://a/new%7C%7Cbars");
    std::vector<ResultEntry> first;
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        LoadResultsFile(state, window, "odd.html");
        if (cycle == 0) {
            ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-01-02", "new bars", feedLink)));
        }
        SortResultsNewestFirst(state);
        const std::vector<ResultEntry> entries = state.results.Entries();
        ASSERT_EQ(entries.size(), 4u);
        EXPECT_EQ(entries[3].title, "angle");
        EXPECT_EQ(entries[3].link, "http://a/x%3Ey");
        EXPECT_EQ(entries[1].title, "quote");
        EXPECT_EQ(entries[1].link, "http://a/%22q");
        if (cycle == 1) first = entries;
        if (cycle == 2) {
            EXPECT_EQ(entries, first);
        }
        EXPECT_TRUE(FindResultByLink(state, feedLink));
        EXPECT_TRUE(FindResultByLink(state, HeldLink("http://a/old||bars", true)));
        ASSERT_TRUE(SaveResultsFile(state, temp.File("odd.html")));
    }
}

}  // namespace
}  // namespace kestrap

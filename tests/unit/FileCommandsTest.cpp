#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "StoreFixture.h"
#include "app/Commands.h"
#include "app/ControlIds.h"
#include "app/ResultsListBox.h"
#include "store/ResultEntry.h"

namespace kestrap {
namespace {

constexpr std::string_view OneItem =
    "<h3>Kestrap build for 01-01-2008 at 10:00:00</h3>\r\n<li>2008-01-01 <a href=\"http://a\">t</a></li>\r\n";

class FileCommandsTest : public StoreTest {
protected:
    // a search has found something: Save may go ahead
    void FindSomething() {
        ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-03-04", "older", "http://a/1")));
        ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-03-05", "newer", "http://a/2")));
        window.SetText(IDC_CITIES, "boston\r\n");
        window.SetText(IDC_TERMS, "bike\r\n");
    }
    std::vector<std::string> Items() const { return window.ComboItems(); }
};

TEST_F(FileCommandsTest, ResultsFileNamePrefersANonBlankSelectedItem) {
    window.TypeResultsFileName("  typed.html  ");
    EXPECT_EQ(ResultsFileName(window), "typed.html");
    window.ComboSelect(window.ComboAdd("  picked.html "));
    EXPECT_EQ(ResultsFileName(window), "picked.html");
    window.ComboSelect(window.ComboAdd("   "));
    window.SetText(IDC_RESULTS_FILE, " edit.html");
    EXPECT_EQ(ResultsFileName(window), "edit.html");
}

TEST_F(FileCommandsTest, LoadCompletesATypedNameAndRemembersIt) {
    temp.Write("foo.html", OneItem);
    temp.Write("Foo.HTM", OneItem);
    state.recentFiles = "old.html";
    state.unsavedResults = 1;
    window.TypeResultsFileName("foo");
    LoadCommand(state, window);
    EXPECT_EQ(Items(), std::vector<std::string>{"foo.html"});
    EXPECT_EQ(window.ComboSelected(), 0);
    EXPECT_EQ(state.recentFiles, "foo.html,old.html");
    EXPECT_EQ(state.unsavedResults, 0);
    EXPECT_EQ(state.results.Count(), 1);

    window.TypeResultsFileName("Foo.HTM");
    LoadCommand(state, window);
    EXPECT_EQ(Items().size(), 1u);
    EXPECT_EQ(state.recentFiles, "Foo.HTM,foo.html,old.html");
    EXPECT_EQ(window.Text(IDC_STATUS3), "");
}

TEST_F(FileCommandsTest, RecentPickLoadsTheItemUnchanged) {
    temp.Write("old", OneItem);
    state.unsavedResults = 1;
    window.ComboSelect(window.ComboAdd(" old "));
    RecentPickCommand(state, window);
    EXPECT_EQ(state.results.Count(), 1);
    EXPECT_EQ(state.recentFiles, "");
    EXPECT_EQ(state.unsavedResults, 0);
}

TEST_F(FileCommandsTest, NothingHappensWithoutANameOrDuringASearch) {
    LoadCommand(state, window);
    FindSomething();
    state.searchState = SearchRunning;
    window.ClearCalls();
    window.TypeResultsFileName("foo");
    LoadCommand(state, window);
    SaveCommand(state, window);
    EXPECT_TRUE(window.Calls().empty());
    EXPECT_EQ(state.recentFiles, "");
    EXPECT_FALSE(temp.Exists("foo.html"));
}

TEST_F(FileCommandsTest, OverlongNamesAreRefused) {
    window.TypeResultsFileName(std::string(195, 'n'));  // 200 with ".html"
    LoadCommand(state, window);
    FindSomething();
    SaveCommand(state, window);
    ASSERT_EQ(window.Asks().size(), 2u);
    EXPECT_EQ(window.Asks()[0].caption, "File name too long");
    EXPECT_EQ(window.Asks()[1].caption, "File name too long");
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(state.unsavedResults, 1);
    EXPECT_TRUE(window.Opened().empty());
}

TEST_F(FileCommandsTest, SaveBeforeASearchFoundAnythingIsRefused) {
    state.results.Add(OldEntry("2008-01-01", "loaded", "http://a"));
    SaveCommand(state, window);
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text, "You haven't found anything to save!");
    EXPECT_EQ(window.Asks()[0].caption, "Search first");
    EXPECT_EQ(window.Asks()[0].flags, 0x10u);
    EXPECT_FALSE(temp.Exists("kestrap.html"));
}

TEST_F(FileCommandsTest, SaveWritesListsResultsAndSettingsThenOpensTheFile) {
    FindSomething();
    window.TypeResultsFileName("my.results");
    SaveCommand(state, window);
    EXPECT_EQ(temp.Read("my.cit"), "boston\r\n");
    EXPECT_EQ(temp.Read("my.trm"), "bike\r\n");
    std::string file = temp.Read("my.results.html");
    EXPECT_LT(file.find("http://a/2"), file.find("http://a/1"));  // newest first in the file
    EXPECT_EQ(window.ListItems()[0], EntryText(NewEntry("2008-03-05", "newer", "http://a/2")));
    EXPECT_EQ(window.ListItems()[1], EntryText(NewEntry("2008-03-04", "older", "http://a/1")));
    EXPECT_NE(temp.Read("kestrap.ini").find("results: my.results.html\r\n"), std::string::npos);
    EXPECT_EQ(state.recentFiles, "my.results.html,");
    EXPECT_EQ(state.unsavedResults, 0);
    EXPECT_EQ(window.Opened(), std::vector<std::string>{temp.File("my.results.html")});
}

TEST_F(FileCommandsTest, SaveWithoutANameUsesTheDefault) {
    FindSomething();
    SaveCommand(state, window);
    EXPECT_EQ(temp.Read("kestrap.cit"), "boston\r\n");
    EXPECT_EQ(window.ComboItem(window.ComboSelected()), "kestrap.html");
    EXPECT_EQ(window.Opened(), std::vector<std::string>{temp.File("kestrap.html")});
}

TEST_F(FileCommandsTest, AFailedWriteIsReportedKeepsResultsUnsavedAndOpensNothing) {
    FindSomething();
    std::filesystem::create_directory(temp.File("blocked.html"));
    std::filesystem::create_directory(temp.File("blocked.trm"));
    window.TypeResultsFileName("blocked.html");
    SaveCommand(state, window);
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].caption, "Save failed");
    EXPECT_NE(window.Asks()[0].text.find(temp.File("blocked.html")), std::string::npos);
    EXPECT_NE(window.Asks()[0].text.find(temp.File("blocked.trm")), std::string::npos);
    EXPECT_EQ(temp.Read("blocked.cit"), "boston\r\n");
    EXPECT_EQ(state.unsavedResults, 1);
    EXPECT_TRUE(window.Opened().empty());
}

TEST_F(FileCommandsTest, ReplacingAFileThatWasNotReadWholeNeedsAYes) {
    std::string file;
    for (int n = 0; n <= MaxResults; ++n)
        file += "<li>2008-01-01 <a href=\"http://a/" + std::to_string(n) + "\">t</a></li>\r\n";
    temp.Write("big.html", file);
    window.TypeResultsFileName("big");
    LoadCommand(state, window);
    ASSERT_EQ(state.results.Count(), MaxResults);
    ++state.newResultsFound;  // as if a search had found something before the list filled

    window.QueueAnswer(AnswerNo);
    SaveCommand(state, window);
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].caption, "Replace results file?");
    EXPECT_EQ(window.Asks()[0].flags, 0x134u);  // yes/no, warning, "No" the default
    EXPECT_EQ(temp.Read("big.html"), file);
    EXPECT_FALSE(temp.Exists("big.cit"));
    EXPECT_TRUE(window.Opened().empty());

    // a different name replaces nothing unread
    window.TypeResultsFileName("other");
    SaveCommand(state, window);
    EXPECT_EQ(window.Asks().size(), 1u);
    EXPECT_TRUE(temp.Exists("other.html"));

    window.TypeResultsFileName("big.html");
    window.QueueAnswer(AnswerYes);
    SaveCommand(state, window);
    EXPECT_EQ(window.Asks().size(), 2u);
    EXPECT_NE(temp.Read("big.html"), file);
    // once replaced, the file holds the list: no more questions
    SaveCommand(state, window);
    EXPECT_EQ(window.Asks().size(), 2u);
}

TEST_F(FileCommandsTest, AHiddenResultsFileIsNotReplacedUnasked) {
    temp.Write(".old.html", OneItem);
    window.TypeResultsFileName(".old.html");
    LoadCommand(state, window);
    EXPECT_EQ(state.results.Count(), 0);
    FindSomething();
    window.QueueAnswer(AnswerNo);
    SaveCommand(state, window);
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].caption, "Replace results file?");
    EXPECT_EQ(temp.Read(".old.html"), OneItem);
}

TEST_F(FileCommandsTest, AMissingResultsFileIsReplacedWithoutAsking) {
    FindSomething();
    window.TypeResultsFileName("gone");
    LoadCommand(state, window);
    ASSERT_TRUE(AddNewResult(state, window, NewEntry("2008-03-06", "new", "http://a/3")));
    SaveCommand(state, window);
    EXPECT_TRUE(window.Asks().empty());
    EXPECT_TRUE(temp.Exists("gone.html"));
}

}  // namespace
}  // namespace kestrap

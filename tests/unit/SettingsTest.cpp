#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "StoreFixture.h"
#include "app/ControlIds.h"
#include "store/Settings.h"

namespace kestrap {
namespace {

class SettingsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        window.QueueAnswer(AnswerNo);  // the Start-menu question, where it comes
    }
    void LoadWith(std::string_view ini) {
        temp.Write("kestrap.ini", ini);
        LoadSettings(state, window);
    }
    std::vector<std::string> Items() const { return window.ComboItems(); }
    std::string Selected() { return window.ComboItem(window.ComboSelected()); }
};

const std::string_view StartMenuText =
    "Would you like to add Kestrap to your start menu? Select 'yes' to do so, 'no' not to, or "
    "'cancel' to ask again later.";

TEST_F(SettingsTest, WithoutAFileTheDefaultResultsFileIsLoadedAndTheQuestionAsked) {
    LoadSettings(state, window);
    EXPECT_EQ(Items(), std::vector<std::string>{"kestrap.html"});
    EXPECT_EQ(Selected(), "kestrap.html");
    EXPECT_EQ(window.Text(IDC_STATUS3), "Error: Could not load kestrap.html");
    EXPECT_EQ(window.Text(IDC_TERMS), "Enter search terms");
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text, StartMenuText);
    EXPECT_EQ(window.Asks()[0].caption, "Start Menu?");
    EXPECT_EQ(window.Asks()[0].flags, 0x23u);
    EXPECT_EQ(state.startMenuState, "done");
    EXPECT_TRUE(window.RestoredSizes().empty());
    EXPECT_TRUE(window.Shortcuts().empty());
}

TEST_F(SettingsTest, RecentNamesAreLowerCasedAndTakenOnce) {
    LoadWith("recent: a.html,B.html,a.html\r\nstartmenu: done\r\n");
    EXPECT_EQ(state.recentFiles, "a.html,b.html");
    EXPECT_EQ(Items(), (std::vector<std::string>{"a.html", "b.html", "kestrap.html"}));
}

TEST_F(SettingsTest, ATrailingCommaGivesAnEmptyName) {
    LoadWith("recent: x.html,\r\nstartmenu: done\r\n");
    EXPECT_EQ(state.recentFiles, "x.html,");
    EXPECT_EQ(Items(), (std::vector<std::string>{"x.html", "", "kestrap.html"}));
}

TEST_F(SettingsTest, AtMost48RecentNamesAndNoOverlongOnes) {
    std::string recent = std::string(200, 'z') + ".html";
    for (int i = 0; i < 60; ++i) recent += ",f" + std::to_string(i) + ".html";
    LoadWith("recent: " + recent + "\r\nstartmenu: done\r\n");
    std::vector<std::string> items = Items();
    ASSERT_EQ(items.size(), 49u);  // 48 recent names and the default
    EXPECT_EQ(items.front(), "f0.html");
    EXPECT_EQ(items[47], "f47.html");
}

TEST_F(SettingsTest, ResultsLineSelectsAndLoadsItsFileKeepingItsCase) {
    temp.Write("My.html", "<li>2008-01-01 <a href=\"http://a\">t</a></li>\r\n");
    temp.Write("My.trm", "bike\r\n");
    LoadWith("lastrun: 01-01-2009 10:00:00\r\nrecent: my.html\r\nresults: My.html\r\nstartmenu: done\r\n");
    EXPECT_EQ(Items(), (std::vector<std::string>{"my.html", "My.html"}));
    EXPECT_EQ(Selected(), "My.html");
    EXPECT_EQ(state.results.Count(), 1);
    EXPECT_EQ(window.Text(IDC_TERMS), "bike\r\n");
}

TEST_F(SettingsTest, KeysAreExactExceptForCaseAndValuesMayHoldColons) {
    LoadWith(" recent: ignored.html\r\nRESULTS: C:\\x.html\r\nStartMenu: Done\r\nnocolon\r\n");
    EXPECT_EQ(Items(), std::vector<std::string>{"C:\\x.html"});
    EXPECT_EQ(window.Text(IDC_STATUS3), "Error: Could not load C:\\x.html");
    EXPECT_EQ(state.startMenuState, "done");
    EXPECT_TRUE(window.Asks().empty());
}

TEST_F(SettingsTest, AnOverlongResultsNameFallsBackToTheDefault) {
    LoadWith("results: " + std::string(196, 'r') + ".html\r\nstartmenu: done\r\n");
    EXPECT_EQ(Items(), std::vector<std::string>{"kestrap.html"});
    EXPECT_EQ(Selected(), "kestrap.html");
}

TEST_F(SettingsTest, YesWritesTheShortcutAndCancelAsksAgainLater) {
    FakeWindow yes;
    yes.QueueAnswer(AnswerYes);
    LoadSettings(state, yes);
    ASSERT_EQ(yes.Shortcuts().size(), 1u);
    FakeWindow::ShortcutCall call = yes.Shortcuts()[0];
    EXPECT_EQ(call.folderCsidl, 2);
    EXPECT_EQ(call.linkName, "Orvane Kestrap.lnk");
    EXPECT_EQ(call.target, temp.Path() + "kestrap.exe");
    EXPECT_EQ(call.workingFolder, temp.Path());
    EXPECT_EQ(call.description, "Run the Orvane Kestrap");
    EXPECT_EQ(state.startMenuState, "done");

    AppState later;
    later.programFolder = temp.Path();
    temp.Write("kestrap.ini", "startmenu: later\r\n");
    FakeWindow cancel;
    cancel.QueueAnswer(AnswerCancel);
    LoadSettings(later, cancel);
    EXPECT_EQ(cancel.Asks().size(), 1u);
    EXPECT_TRUE(cancel.Shortcuts().empty());
    EXPECT_EQ(later.startMenuState, "later");
}

TEST_F(SettingsTest, SizeIsRestoredOnlyWhenBothAreKnownAndSane) {
    LoadWith("startmenu: done\r\ndialogx: 305.5\r\ndialogy:  217\r\n");
    ASSERT_EQ(window.RestoredSizes().size(), 1u);
    EXPECT_EQ(window.RestoredSizes()[0].width, 306);
    EXPECT_EQ(window.RestoredSizes()[0].height, 217);

    for (std::string_view ini : {"dialogx: 300\r\n", "dialogx: 300\r\ndialogy: tall\r\n",
                                 "dialogx: -300\r\ndialogy: 200\r\n",
                                 "dialogx: 1e300\r\ndialogy: 200\r\n"}) {
        AppState fresh;
        fresh.programFolder = temp.Path();
        FakeWindow other;
        temp.Write("kestrap.ini", std::string(ini) + "startmenu: done\r\n");
        LoadSettings(fresh, other);
        EXPECT_TRUE(other.RestoredSizes().empty()) << ini;
    }
}

TEST_F(SettingsTest, SaveWritesTheLinesInOrder) {
    state.recentFiles = "b.html,a.html,";
    state.startMenuState = "later";
    state.dialogWidth = 300;
    state.dialogHeight = 200;
    window.ComboSelect(window.ComboAdd(" b.html "));
    ASSERT_TRUE(SaveSettings(state, window));
    EXPECT_EQ(temp.Read("kestrap.ini"),
              "lastrun: 01-15-2009 14:05:09\r\n"
              "recent: b.html,a.html,\r\n"
              "results: b.html\r\n"
              "startmenu: later\r\n"
              "dialogx: 305\r\n"
              "dialogy: 217\r\n");
}

TEST_F(SettingsTest, SaveWithoutNameOrSizeWritesTheDefaultAndNoSize) {
    state.dialogWidth = 300;
    ASSERT_TRUE(SaveSettings(state, window));
    EXPECT_EQ(temp.Read("kestrap.ini"),
              "lastrun: 01-15-2009 14:05:09\r\n"
              "recent: \r\n"
              "results: kestrap.html\r\n"
              "startmenu: \r\n"
              "dialogx: 305\r\n");
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndKeepsTheOldFile) {
    temp.Write("kestrap.ini", "startmenu: done\r\n");
    std::filesystem::permissions(temp.File("kestrap.ini"),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(SaveSettings(state, window));
    EXPECT_EQ(temp.Read("kestrap.ini"), "startmenu: done\r\n");
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].caption, "Settings not saved");
    EXPECT_NE(window.Asks()[0].text.find(temp.File("kestrap.ini")), std::string::npos);
    std::filesystem::permissions(temp.File("kestrap.ini"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST_F(SettingsTest, SavedSettingsLoadBack) {
    state.recentFiles = "two.html,one.html";
    state.startMenuState = "done";
    state.dialogWidth = 300;
    state.dialogHeight = 200;
    window.ComboSelect(window.ComboAdd("one.html"));
    ASSERT_TRUE(SaveSettings(state, window));

    AppState next;
    next.programFolder = temp.Path();
    FakeWindow again;
    LoadSettings(next, again);
    EXPECT_EQ(next.recentFiles, "two.html,one.html");
    EXPECT_EQ(again.ComboItem(again.ComboSelected()), "one.html");
    EXPECT_TRUE(again.Asks().empty());
    ASSERT_EQ(again.RestoredSizes().size(), 1u);
    EXPECT_EQ(again.RestoredSizes()[0].width, 305);
    EXPECT_EQ(again.RestoredSizes()[0].height, 217);
}

TEST_F(SettingsTest, SelectRecentNameComparesStrippedFromTheLast) {
    window.ComboAdd("a.html");
    window.ComboAdd(" a.html ");
    EXPECT_EQ(SelectRecentName(window, "a.html"), 1);
    EXPECT_EQ(window.ComboSelected(), 1);
    EXPECT_EQ(SelectRecentName(window, "A.html"), 2);  // case matters: added
    EXPECT_EQ(Items().size(), 3u);
}

TEST_F(SettingsTest, SelectRecentNameEndsForOddNames) {
    EXPECT_EQ(SelectRecentName(window, " blank.html "), 0);
    EXPECT_EQ(window.ComboSelected(), 0);
    EXPECT_EQ(SelectRecentName(window, std::string(200, 'n')), -1);
    EXPECT_EQ(Items().size(), 1u);
    EXPECT_EQ(SelectRecentName(window, std::string(199, 'n')), 1);
}

}  // namespace
}  // namespace kestrap

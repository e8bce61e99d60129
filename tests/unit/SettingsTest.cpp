#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "StoreFixture.h"
#include "app/ControlIds.h"
#include "app/SettingsSteps.h"
#include "platform/SystemError.h"

namespace kestrap {
namespace {

class SettingsTest : public StoreTest {
protected:
    void LoadWith(std::string_view ini) {
        temp.Write("kestrap.ini", ini);
        LoadSettings(state, window);
    }
    std::vector<std::string> Items() const { return window.ComboItems(); }
    std::string Selected() { return window.ComboItem(window.ComboSelected()); }
};

TEST_F(SettingsTest, WithoutAFileTheDefaultIsLoadedAndTheQuestionAsked) {
    window.QueueAnswer(AnswerYes);
    LoadSettings(state, window);
    EXPECT_EQ(Items(), std::vector<std::string>{"kestrap.html"});
    EXPECT_EQ(Selected(), "kestrap.html");
    EXPECT_EQ(window.Text(IDC_STATUS3), "Error: Could not load kestrap.html");
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text,
              "Would you like to add Kestrap to your start menu? Select 'yes' to do so, 'no' not "
              "to, or 'cancel' to ask again later.");
    EXPECT_EQ(window.Asks()[0].caption, "Start Menu?");
    EXPECT_EQ(window.Asks()[0].flags, 0x23u);
    ASSERT_EQ(window.Shortcuts().size(), 1u);
    FakeWindow::ShortcutCall call = window.Shortcuts()[0];
    EXPECT_EQ(call.folderCsidl, 2);
    EXPECT_EQ(call.linkName, "Orvane Kestrap.lnk");
    EXPECT_EQ(call.target, temp.Path() + "kestrap.exe");
    EXPECT_EQ(call.workingFolder, temp.Path());
    EXPECT_EQ(call.description, "Run the Orvane Kestrap");
    EXPECT_EQ(state.startMenuState, "done");
    EXPECT_TRUE(window.RestoredSizes().empty());
}

TEST_F(SettingsTest, AShortcutThatCouldNotBeWrittenSaysWhy) {
    window.QueueAnswer(AnswerYes);
    window.SetShortcutError(5);
    LoadSettings(state, window);
    ASSERT_EQ(window.Asks().size(), 2u);
    EXPECT_EQ(window.Asks()[1].caption, "Shortcut not added");
    EXPECT_EQ(window.Asks()[1].text,
              "Kestrap could not add its shortcut to the Start menu (" + SystemMessage(5) + ").");
    EXPECT_EQ(state.startMenuState, "done");
}

TEST_F(SettingsTest, CancelAsksAgainAtTheNextStartAndDoneInAnyCaseNever) {
    LoadWith("startmenu: later\r\n");
    EXPECT_EQ(window.Asks().size(), 1u);
    EXPECT_TRUE(window.Shortcuts().empty());
    EXPECT_EQ(state.startMenuState, "later");
    LoadWith("StartMenu: Done\r\n");
    EXPECT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(state.startMenuState, "done");
}

TEST_F(SettingsTest, RecentNamesAreLowerCasedTakenOnceAndBounded) {
    LoadWith("recent: a.html,B.html,a.html,\r\nstartmenu: done\r\n");
    EXPECT_EQ(state.recentFiles, "a.html,b.html,");
    EXPECT_EQ(Items(), (std::vector<std::string>{"a.html", "b.html", "", "kestrap.html"}));

    AppState next;
    next.programFolder = temp.Path();
    FakeWindow other;
    std::string recent = std::string(200, 'z') + ".html";  // too long for the drop-down
    for (int i = 0; i < 60; ++i) recent += ",f" + std::to_string(i) + ".html";
    temp.Write("kestrap.ini", "recent: " + recent + "\r\nstartmenu: done\r\n");
    LoadSettings(next, other);
    std::vector<std::string> items = other.ComboItems();
    ASSERT_EQ(items.size(), 49u);  // 48 recent names and the default
    EXPECT_EQ(items.front(), "f0.html");
    EXPECT_EQ(items[47], "f47.html");
}

TEST_F(SettingsTest, ResultsLineKeepsItsCaseAndLoadsItsFile) {
    temp.Write("My.html", "<li>2008-01-01 <a href=\"http://a\">t</a></li>\r\n");
    temp.Write("My.trm", "bike\r\n");
    LoadWith("lastrun: 01-01-2009 10:00:00\r\nrecent: my.html\r\nresults: My.html\r\nstartmenu: done\r\n");
    EXPECT_EQ(Items(), (std::vector<std::string>{"my.html", "My.html"}));
    EXPECT_EQ(Selected(), "My.html");
    EXPECT_EQ(state.results.Count(), 1);
    EXPECT_EQ(window.Text(IDC_TERMS), "bike\r\n");
}

TEST_F(SettingsTest, KeysAreNotStrippedAndValuesMayHoldColons) {
    LoadWith(" recent: ignored.html\r\nRESULTS: C:\\x.html\r\nnocolon\r\nstartmenu: done\r\n");
    EXPECT_EQ(Items(), std::vector<std::string>{"C:\\x.html"});
    EXPECT_EQ(window.Text(IDC_STATUS3), "Error: Could not load C:\\x.html");
}

TEST_F(SettingsTest, SizeIsRestoredOnlyWhenBothAreKnownAndSane) {
    LoadWith("startmenu: done\r\ndialogx: 305.5\r\ndialogy:  217\r\n");
    ASSERT_EQ(window.RestoredSizes().size(), 1u);
    EXPECT_EQ(window.RestoredSizes()[0].width, 306);
    EXPECT_EQ(window.RestoredSizes()[0].height, 217);
    for (std::string_view ini : {"dialogx: 300\r\n", "dialogx: 300\r\ndialogy: tall\r\n",
                                 "dialogx: -300\r\ndialogy: 200\r\n", "dialogx: 1e300\r\ndialogy: 200\r\n"}) {
        AppState fresh;
        fresh.programFolder = temp.Path();
        FakeWindow other;
        temp.Write("kestrap.ini", std::string(ini) + "startmenu: done\r\n");
        LoadSettings(fresh, other);
        EXPECT_TRUE(other.RestoredSizes().empty()) << ini;
    }
}

TEST_F(SettingsTest, SaveWritesTheLinesInOrderAndTheyLoadBack) {
    state.recentFiles = "b.html,a.html";
    state.startMenuState = "done";
    state.dialogWidth = 300;
    state.dialogHeight = 200;
    window.ComboSelect(window.ComboAdd(" b.html "));
    ASSERT_TRUE(SaveSettings(state, window));
    EXPECT_EQ(temp.Read("kestrap.ini"),
              "lastrun: 01-15-2009 14:05:09\r\nrecent: b.html,a.html\r\nresults: b.html\r\n"
              "startmenu: done\r\ndialogx: 305\r\ndialogy: 217\r\n");

    AppState next;
    next.programFolder = temp.Path();
    FakeWindow again;
    LoadSettings(next, again);
    EXPECT_EQ(next.recentFiles, "b.html,a.html");
    EXPECT_EQ(again.ComboItem(again.ComboSelected()), "b.html");
    EXPECT_TRUE(again.Asks().empty());
    ASSERT_EQ(again.RestoredSizes().size(), 1u);
    EXPECT_EQ(again.RestoredSizes()[0].width, 305);

    state.dialogHeight = 0;
    window.ComboSelect(-1);
    ASSERT_TRUE(SaveSettings(state, window));
    EXPECT_NE(temp.Read("kestrap.ini").find("results: kestrap.html\r\nstartmenu: done\r\ndialogx: 305\r\n"),
              std::string::npos);
    EXPECT_EQ(temp.Read("kestrap.ini").find("dialogy"), std::string::npos);
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndKeepsTheOldFile) {
    std::filesystem::create_directory(temp.File("kestrap.ini"));
    EXPECT_FALSE(SaveSettings(state, window));
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].caption, "Settings not saved");
    EXPECT_NE(window.Asks()[0].text.find(temp.File("kestrap.ini")), std::string::npos);
}

TEST_F(SettingsTest, SelectRecentNameComparesStrippedFromTheLastAndAlwaysEnds) {
    window.ComboAdd("a.html");
    window.ComboAdd(" a.html ");
    EXPECT_EQ(SelectRecentName(window, "a.html"), 1);
    EXPECT_EQ(window.ComboSelected(), 1);
    EXPECT_EQ(SelectRecentName(window, "A.html"), 2);
    EXPECT_EQ(SelectRecentName(window, " blank.html "), 3);  // never equals a stripped item
    EXPECT_EQ(window.ComboSelected(), 3);
    EXPECT_EQ(SelectRecentName(window, std::string(200, 'n')), -1);
    EXPECT_EQ(Items().size(), 4u);
}

}  // namespace
}  // namespace kestrap

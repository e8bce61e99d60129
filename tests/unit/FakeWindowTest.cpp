// The fake must behave like the real controls where the logic relies on it.
#include <gtest/gtest.h>

#include "FakeWindow.h"
#include "TempFolder.h"
#include "app/ControlIds.h"

namespace kestrap {
namespace {

TEST(FakeWindow, ComboSelectionShowsItemAndTypingDropsIt) {
    FakeWindow window;
    EXPECT_EQ(window.ComboAdd("a.html"), 0);
    EXPECT_EQ(window.ComboAdd("b.html"), 1);
    window.ComboSelect(1);
    EXPECT_EQ(window.Text(IDC_RESULTS_FILE), "b.html");
    window.SetText(IDC_RESULTS_FILE, "c.html");  // a program's WM_SETTEXT keeps the selection
    EXPECT_EQ(window.ComboSelected(), 1);
    window.TypeResultsFileName("d.html");
    EXPECT_EQ(window.ComboSelected(), -1);
    window.ComboSelect(-1);
    EXPECT_EQ(window.Text(IDC_RESULTS_FILE), "");
}

TEST(FakeWindow, ListSelectionFollowsItsLineAndAnswersComeFromTheScript) {
    FakeWindow window;
    window.ListAppend("one");
    window.SelectListItem(0);
    window.ListInsertTop("zero");
    EXPECT_EQ(window.ListSelectedText(), "one");
    window.ListReset();
    EXPECT_EQ(window.ListSelectedText(), "");

    window.QueueAnswer(AnswerNo);
    EXPECT_EQ(window.Ask("q", "c", BoxYesNo), AnswerNo);
    EXPECT_EQ(window.Ask("q", "c", BoxYesNo), AnswerCancel);
    EXPECT_EQ(window.Ask("i", "c", BoxOk | BoxIconInformation), AnswerOk);
    ASSERT_EQ(window.Asks().size(), 3u);
    EXPECT_EQ(window.Asks()[2].flags, BoxOk | BoxIconInformation);
}

TEST(TempFolder, HasTrailingSeparatorAndIsRemoved) {
    std::string path;
    {
        TempFolder temp;
        path = temp.Path();
        ASSERT_FALSE(path.empty());
        EXPECT_TRUE(path.back() == '/' || path.back() == '\\');
        temp.Write("x.txt", "bytes");
        EXPECT_EQ(temp.Read("x.txt"), "bytes");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace kestrap

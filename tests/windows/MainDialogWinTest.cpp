#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MainWindowFixture_win.h"
#include "app/ContextHelp.h"
#include "app/ResultsListBox.h"
#include "store/ResultEntry.h"

namespace kestrap {
namespace {

void Command(HWND dialog, int id, int code) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), 0);
}

HWND HelpPopup() { return FindWindowA(HelpPopupClass, nullptr); }

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void SendHelp(HWND dialog, int id) {
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = id;
    info.hItemHandle = GetDlgItem(dialog, id);
    SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

// ----- dispatch

TEST_F(MainWindowTest, EnterEscapeAndUnknownCommandsDoNothing) {
    ShowWindow(dialog, SW_SHOW);
    for (int id : {int{IDOK}, int{IDCANCEL}, 1012, int{IDM_LIST_COUNT}, int{IDC_CITIES}}) Command(dialog, id, 0);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(fake.Calls().empty());
}

TEST_F(MainWindowTest, SearchButtonReactsToClicksAndAcceleratorOnly) {
    Command(dialog, IDC_SEARCH, BN_SETFOCUS);
    EXPECT_TRUE(fake.Asks().empty());
    Command(dialog, IDC_SEARCH, BN_CLICKED);  // the fake's city box is empty
    ASSERT_EQ(fake.Asks().size(), 1u);
    EXPECT_EQ(fake.Asks()[0].caption, "City Error");
    Command(dialog, IDC_SEARCH, 1);
    EXPECT_EQ(fake.Asks().size(), 2u);
}

TEST_F(MainWindowTest, DoubleClickOpensTheSelectedRowsLink) {
    ASSERT_TRUE(AppendLoadedResult(state, fake, {"2024-05-01", "Old bike", "http://x.test/1.html"}));
    ASSERT_TRUE(AddNewResult(state, fake, NewResultEntry("2024-05-02", std::string(600, 'T'),
                                                         "http://x.test/7712345678.html")));
    fake.SelectListItem(1);
    Command(dialog, IDC_RESULTS_LIST, LBN_SELCHANGE);
    EXPECT_TRUE(fake.Opened().empty());
    Command(dialog, IDC_RESULTS_LIST, LBN_DBLCLK);
    fake.SelectListItem(0);
    Command(dialog, IDC_RESULTS_LIST, LBN_DBLCLK);
    const std::vector<std::string> opened = {"http://x.test/1.html", "http://x.test/7712345678.html"};
    EXPECT_EQ(fake.Opened(), opened);
}

TEST_F(MainWindowTest, DeleteAllFromTheMenuClearsTheListUnlessASearchRuns) {
    state.results.Add({"2024-05-01", "a", "http://x.test/a"});
    state.searchState = SearchRunning;
    Command(dialog, IDM_DELETE_ALL, 0);
    EXPECT_EQ(state.results.Count(), 1);
    state.searchState = SearchIdle;
    Command(dialog, IDM_DELETE_ALL, 0);
    EXPECT_EQ(state.results.Count(), 0);
    ASSERT_EQ(fake.Asks().size(), 1u);
    EXPECT_EQ(fake.Asks()[0].caption, "List cleared");
}

TEST_F(MainWindowTest, CloseWithUnsavedResultsAsksAndStaysOpenOnNo) {
    ShowWindow(dialog, SW_SHOW);
    state.unsavedResults = 1;
    fake.QueueAnswer(AnswerNo);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    ASSERT_EQ(fake.Asks().size(), 1u);
    EXPECT_EQ(fake.Asks()[0].caption, "Really exit?");
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(temp.Exists("kestrap.ini")) << "a refused close writes nothing";
}

TEST_F(MainWindowTest, CloseWithoutUnsavedResultsWritesSettingsAndEnds) {
    ShowWindow(dialog, SW_SHOW);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_TRUE(fake.Asks().empty());
    EXPECT_TRUE(temp.Exists("kestrap.ini"));
    EXPECT_FALSE(IsWindowVisible(dialog));
}

// Logoff and shutdown: the close's question and the close's settings file.
TEST_F(MainWindowTest, TheEndOfTheSessionAsksLikeACloseAndSavesTheSettings) {
    struct Case {
        bool unsaved;
        int answer;
        LRESULT mayEnd;
    } cases[] = {{true, AnswerNo, FALSE}, {true, AnswerYes, TRUE}, {false, 0, TRUE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ShowWindow(dialog, SW_SHOW);
        std::filesystem::remove(temp.File("kestrap.ini"));
        const size_t asked = fake.Asks().size();
        state.unsavedResults = c.unsaved ? 1 : 0;
        if (c.unsaved) fake.QueueAnswer(c.answer);
        EXPECT_EQ(SendMessageA(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), c.mayEnd);
        ASSERT_EQ(fake.Asks().size(), asked + (c.unsaved ? 1 : 0));
        if (c.unsaved) {
            EXPECT_EQ(fake.Asks().back().caption, "Really exit?");
        }
        EXPECT_EQ(temp.Exists("kestrap.ini"), c.mayEnd == TRUE);
    }
    std::filesystem::remove(temp.File("kestrap.ini"));
    SendMessageA(dialog, WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(temp.Exists("kestrap.ini")) << "a session end called off changes nothing";
    SendMessageA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(temp.Exists("kestrap.ini"));
}

// ----- context help

TEST_F(MainWindowTest, HelpForTheProgressBarShowsItsText) {
    ShowWindow(dialog, SW_SHOW);
    SendHelp(dialog, IDC_PROGRESS);
    HWND popup = HelpPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(TextOf(popup), "This progress bar indicates how far into the search you are.");
    DestroyWindow(popup);
}

TEST_F(MainWindowTest, HelpForStatusLinesAndLabelsShowsNothing) {
    ShowWindow(dialog, SW_SHOW);
    for (int id : {int{IDC_STATUS1}, int{IDC_STATUS3}, int{IDC_RESULTS_FILE_LABEL}, int{IDC_CITIES_LABEL}, 0}) {
        SendHelp(dialog, id);
        EXPECT_EQ(HelpPopup(), nullptr) << id;
    }
}

// F1 as a user presses it: the key reaches the focused box through the dialog's own
// message handling, which turns it into help for that box.
TEST_F(MainWindowTest, F1InTheTermsBoxShowsTheTermsHelp) {
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    SetFocus(Item(IDC_TERMS));
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
    const DWORD start = GetTickCount();
    MSG message;
    while (!FindWindowA(HelpPopupClass, nullptr) && GetTickCount() - start < 2000) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (IsDialogMessageA(dialog, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
    HWND popup = FindWindowA(HelpPopupClass, nullptr);
    ASSERT_NE(popup, nullptr);
    char text[1024] = {};
    GetWindowTextA(popup, text, sizeof text);
    EXPECT_EQ(std::string(text).rfind("This is the list of terms to search for", 0), 0u) << text;
    DestroyWindow(popup);
}

class HelpPopupTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        ShowWindow(dialog, SW_SHOW);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
        work = monitor.rcWork;
    }
    RECT work{};
};

TEST_F(HelpPopupTest, TopCentreSitsAtThePointWithTheWholeText) {
    const POINT at{(work.left + work.right) / 2, (work.top + work.bottom) / 3};
    HWND popup = ShowHelpPopup(dialog, "Short help.", at);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(IsWindowVisible(popup));
    RECT r{};
    GetWindowRect(popup, &r);
    EXPECT_EQ(r.top, at.y);
    EXPECT_NEAR((r.left + r.right) / 2, at.x, 1);
    EXPECT_EQ(TextOf(popup), "Short help.");
    DestroyWindow(popup);
}

TEST_F(HelpPopupTest, StaysOnTheScreenNearItsEdge) {
    HWND popup = ShowHelpPopup(dialog, "Help near the corner of the screen, long enough to be wide.",
                               {work.right - 2, work.bottom - 2});
    ASSERT_NE(popup, nullptr);
    RECT r{};
    GetWindowRect(popup, &r);
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);
    EXPECT_GE(r.left, work.left);
    DestroyWindow(popup);
}

TEST_F(HelpPopupTest, ClosedByAKeyAClickOrTheLossOfFocus) {
    for (UINT closing : {UINT{WM_KEYDOWN}, UINT{WM_LBUTTONDOWN}, UINT{WM_KILLFOCUS}}) {
        HWND popup = ShowHelpPopup(dialog, "Help.", {200, 200});
        ASSERT_NE(popup, nullptr);
        SendMessageA(popup, closing, 0, 0);
        Pump();
        EXPECT_FALSE(IsWindow(popup)) << closing;
    }
}

// ----- results-list menu

struct MenuLine {
    UINT id = 0;
    UINT state = 0;
    UINT type = 0;
    std::string text;
};

MenuLine LineOf(HMENU menu, int position) {
    MenuLine line;
    char text[128] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    line.id = info.wID;
    line.state = info.fState;
    line.type = info.fType;
    line.text = text;
    return line;
}

TEST(ResultsMenu, FilledListOffersBothDeletesAfterASeparator) {
    HMENU menu = BuildResultsMenu(1234, false);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(LineOf(menu, 0).text, "List contains 1,234 items.");
    EXPECT_TRUE(LineOf(menu, 1).type & MFT_SEPARATOR);
    EXPECT_EQ(LineOf(menu, 2).id, static_cast<UINT>(IDM_DELETE_ALL));
    EXPECT_EQ(LineOf(menu, 2).text, "Delete entire list");
    EXPECT_EQ(LineOf(menu, 3).id, static_cast<UINT>(IDM_DELETE_OLD));
    EXPECT_EQ(LineOf(menu, 3).text, "Delete entries over 2 months old");
    for (int position : {2, 3})
        EXPECT_FALSE(GetMenuState(menu, position, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
    DestroyMenu(menu);
}

TEST(ResultsMenu, EmptyListShowsOnlyTheDisabledCount) {
    HMENU menu = BuildResultsMenu(0, false);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(LineOf(menu, 0).id, static_cast<UINT>(IDM_LIST_COUNT));
    EXPECT_EQ(LineOf(menu, 0).text, "List contains 0 items.");
    EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_DISABLED);
    DestroyMenu(menu);
}

TEST(ResultsMenu, DeletesAreGreyedWhileASearchRuns) {
    HMENU menu = BuildResultsMenu(1, true);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(LineOf(menu, 0).text, "List contains 1 items.");
    for (int position : {2, 3})
        EXPECT_TRUE(GetMenuState(menu, position, MF_BYPOSITION) & MF_GRAYED);
    DestroyMenu(menu);
}

TEST(ResultsMenu, OpensAtThePointerInsideTheListElseBelowItsMiddle) {
    const RECT list{10, 20, 111, 80};
    const POINT inside = ResultsMenuPoint({50, 30}, list);
    EXPECT_EQ(inside.x, 50);
    EXPECT_EQ(inside.y, 30);
    const POINT outside = ResultsMenuPoint({500, 500}, list);
    EXPECT_EQ(outside.x, 60);  // 111 - 50.5, the half going to the even neighbour
    EXPECT_EQ(outside.y, 80);
    const POINT onBottomEdge = ResultsMenuPoint({50, 80}, list);  // the bottom edge is outside
    EXPECT_EQ(onBottomEdge.y, 80);
    EXPECT_EQ(onBottomEdge.x, 60);
}

}  // namespace
}  // namespace kestrap

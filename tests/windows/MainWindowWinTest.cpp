#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "MainWindowFixture_win.h"

namespace kestrap {
namespace {

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    GetObjectA(handle ? static_cast<HGDIOBJ>(handle) : GetStockObject(SYSTEM_FONT), sizeof font,
               &font);
    return font;
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

std::string RowText(HWND list, int row) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
    return text;
}

// ----- construction

TEST_F(MainWindowTest, BuiltHiddenWithTitleFrameAndHelpButton) {
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(TextOf(dialog), "Orvane Kestrap");
    const LONG_PTR style = StyleOf(dialog);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    const SIZE client = ClientSizeInDialogUnits(dialog);
    EXPECT_EQ(client.cx, 315);
    EXPECT_EQ(client.cy, 234);
    EXPECT_EQ(shell.mainWindow, dialog);
}

TEST_F(MainWindowTest, FourteenControlsInTabOrderWithTheStatusAreaFilled) {
    const std::vector<int> order{IDC_RESULTS_FILE_LABEL, IDC_RESULTS_FILE, IDC_LOAD, IDC_SAVE,
                                 IDC_SEARCH, IDC_RESULTS_LIST, IDC_CITIES_LABEL, IDC_CITIES,
                                 IDC_TERMS_LABEL, IDC_TERMS, IDC_STATUS1, IDC_STATUS2,
                                 IDC_STATUS3, IDC_PROGRESS};
    std::vector<int> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(found, order);

    EXPECT_EQ(TextOf(Item(IDC_STATUS1)), "Tool by Orvane (www.orvane.net), Version 1.04");
    EXPECT_NE(TextOf(Item(IDC_STATUS2)).find('@'), std::string::npos);
    EXPECT_EQ(TextOf(Item(IDC_STATUS3)), "Enjoy!");
    EXPECT_EQ(ClassOf(Item(IDC_PROGRESS)), "msctls_progress32");
}

TEST_F(MainWindowTest, SearchButtonAloneIsBold) {
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const LOGFONTA search = FontOf(Item(IDC_SEARCH));
    EXPECT_EQ(search.lfWeight, 700);
    EXPECT_EQ(search.lfHeight, -(pixelsPerInch * 8) / 72);
    EXPECT_STREQ(search.lfFaceName, "MS Sans Serif");
    // and the face that is really drawn is bold, not a regular face standing in for it
    HDC dc = GetDC(Item(IDC_SEARCH));
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Item(IDC_SEARCH), WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(Item(IDC_SEARCH), dc);
    EXPECT_GE(metrics.tmWeight, 700) << face;
    EXPECT_LT(FontOf(Item(IDC_LOAD)).lfWeight, 700);
    EXPECT_LT(FontOf(Item(IDC_STATUS1)).lfWeight, 700);
}

TEST_F(MainWindowTest, StatusLinesAreGreyOnTheDialogBackground) {
    HDC dc = CreateCompatibleDC(nullptr);
    for (int id : {IDC_STATUS1, IDC_STATUS2, IDC_STATUS3}) {
        SetTextColor(dc, RGB(0, 0, 0));
        const LRESULT brush = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(Item(id)));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE))) << id;
        EXPECT_EQ(GetTextColor(dc), RGB(128, 128, 128)) << id;
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE)) << id;
    }
    SetTextColor(dc, RGB(0, 0, 0));
    SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(Item(IDC_CITIES_LABEL)));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0)) << "field labels keep the normal colour";
    DeleteDC(dc);
}

TEST_F(MainWindowTest, ResultsListIsSubclassedAndStillWorks) {
    EXPECT_EQ(GetWindowLongPtrA(Item(IDC_RESULTS_LIST), GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(ResultsListProc));
    ASSERT_NE(shell.listOriginalProc, nullptr);
    real.ListAppend("a line");
    EXPECT_EQ(SendMessageA(Item(IDC_RESULTS_LIST), LB_GETCOUNT, 0, 0), 1);
}

// ----- layout

TEST_F(MainWindowTest, LayoutIsCapturedDuringConstruction) {
    EXPECT_TRUE(state.layoutCaptured);
    EXPECT_EQ(shell.layout.originClientWidth, 315);
    EXPECT_EQ(shell.layout.originClientHeight, 234);
    const RECT outer = Outer();
    EXPECT_EQ(shell.layout.minTrackWidth, outer.right - outer.left);
    EXPECT_EQ(shell.layout.minTrackHeight, outer.bottom - outer.top);
    MINMAXINFO info{};  // the frame cannot be dragged below the built size
    SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, outer.right - outer.left);
    EXPECT_EQ(info.ptMinTrackSize.y, outer.bottom - outer.top);
}

TEST_F(MainWindowTest, GrowingTheClientMovesAndStretchesByTheAnchors) {
    const Rect listBefore = Units(IDC_RESULTS_LIST);
    ResizeClient(355, 254);
    EXPECT_EQ(state.dialogWidth, 355);
    EXPECT_EQ(state.dialogHeight, 254);

    const Rect list = Units(IDC_RESULTS_LIST);
    EXPECT_EQ(list.x, 5);
    EXPECT_EQ(list.y, 25);
    EXPECT_EQ(list.w, 345);
    EXPECT_NEAR(list.h, listBefore.h + 20, 1);  // trimmed to whole lines again
    const Rect search = Units(IDC_SEARCH);
    EXPECT_EQ(search.x, 295);
    EXPECT_EQ(search.y, 5);
    const Rect cities = Units(IDC_CITIES);
    EXPECT_EQ(cities.x, 5);
    EXPECT_EQ(cities.y, 125);
    EXPECT_EQ(cities.w, 180);
    EXPECT_EQ(cities.h, 78);
    const Rect terms = Units(IDC_TERMS);
    EXPECT_EQ(terms.x, 190);
    EXPECT_EQ(terms.y, 125);
    EXPECT_EQ(terms.w, 160);
    EXPECT_EQ(terms.h, 78);
    const Rect progress = Units(IDC_PROGRESS);
    EXPECT_EQ(progress.x, 5);
    EXPECT_EQ(progress.y, 240);
    EXPECT_EQ(progress.w, 345);
    EXPECT_EQ(Units(IDC_STATUS1).y, 210);
    EXPECT_EQ(Units(IDC_STATUS3).y, 230);
    EXPECT_EQ(Units(IDC_LOAD).x, 140);
    EXPECT_EQ(Units(IDC_RESULTS_FILE).x, 50);
}

TEST_F(MainWindowTest, ResizingBackReturnsEveryControlToItsPixels) {
    // one resize first: the list box trims itself to whole lines of its font whenever it
    // is sized, which it did at creation with another font, so its built height never
    // comes back
    const RECT outer = Outer();
    ResizeClient(330, 250);
    SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    std::map<int, RECT> before;
    for (int id = IDC_RESULTS_FILE_LABEL; id <= IDC_STATUS3; ++id)
        if (Item(id)) GetWindowRect(Item(id), &before[id]);
    for (auto [w, h] : {std::pair{401, 333}, {317, 235}, {523, 281}, {362, 499}, {316, 236}})
        ResizeClient(w, h);
    SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    for (const auto& [id, rect] : before) {
        RECT now{};
        GetWindowRect(Item(id), &now);
        EXPECT_EQ(now.left, rect.left) << id;
        EXPECT_EQ(now.top, rect.top) << id;
        EXPECT_EQ(now.right, rect.right) << id;
        EXPECT_EQ(now.bottom, rect.bottom) << id;
    }
}

TEST_F(MainWindowTest, ComboKeepsItsDropDownHeightThroughResizes) {
    RECT before{}, after{};
    SendMessageA(Item(IDC_RESULTS_FILE), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&before));
    ResizeClient(420, 300);
    ResizeClient(315, 234);
    SendMessageA(Item(IDC_RESULTS_FILE), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_GT(after.bottom - after.top, DialogUnitsToPixelsY(dialog, 100));
}

TEST_F(MainWindowTest, MinimisingKeepsTheRecordedSize) {
    ResizeClient(360, 250);
    const Rect list = Units(IDC_RESULTS_LIST);
    ShowWindow(dialog, SW_SHOW);
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));
    EXPECT_EQ(state.dialogWidth, 360);
    EXPECT_EQ(state.dialogHeight, 250);
    EXPECT_EQ(Units(IDC_RESULTS_LIST).w, list.w);
}

// ----- the Window seam on real controls

TEST_F(MainWindowTest, SeamReadsAndWritesTextsAndEnabling) {
    real.SetText(IDC_STATUS3, "Searching in x for y (all)...");
    EXPECT_EQ(real.Text(IDC_STATUS3), "Searching in x for y (all)...");
    real.SetText(IDC_CITIES, "toronto\r\nottawa");
    EXPECT_EQ(real.Text(IDC_CITIES), "toronto\r\nottawa");
    const std::string high = "caf\xE9 \x80";  // bytes of the ANSI code page pass unchanged
    real.SetText(IDC_TERMS, high);
    EXPECT_EQ(real.Text(IDC_TERMS), high);
    real.Enable(IDC_LOAD, false);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_LOAD)));
    real.Enable(IDC_LOAD, true);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_LOAD)));
    EXPECT_EQ(real.Text(1012), "") << "an id without a control";
}

TEST_F(MainWindowTest, SeamListInsertsAtTopAppendsAndGivesTheSelectedRow) {
    const HWND list = Item(IDC_RESULTS_LIST);
    real.ListAppend("b");
    real.ListInsertTop("a");
    real.ListAppend("c");
    EXPECT_EQ(real.ListSelectedIndex(), -1) << "nothing selected";
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    EXPECT_EQ(real.ListSelectedIndex(), 0);
    EXPECT_EQ(RowText(list, 0), "a");
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    EXPECT_EQ(real.ListSelectedIndex(), 2);
    EXPECT_EQ(RowText(list, 2), "c");
    // a search's find goes on top: the selection stays on its line, as the list's rows do
    real.ListInsertTop("new");
    EXPECT_EQ(real.ListSelectedIndex(), 3);
    EXPECT_EQ(RowText(list, 3), "c");
    real.ListReset();
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(real.ListSelectedIndex(), -1);
}

// A worker's grouped calls are made by the window's own thread while the worker waits, and
// on the window's thread they are made at once.
TEST_F(MainWindowTest, SeamRunsGroupedCallsOnTheWindowThread) {
    const DWORD windowThread = GetCurrentThreadId();
    DWORD ranOn = 0;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        real.RunOnWindowThread([&] {
            ranOn = GetCurrentThreadId();
            real.ListInsertTop("b");
            real.ListInsertTop("a");
        });
        done = true;
    });
    const DWORD deadline = GetTickCount() + 10000;
    while (!done && GetTickCount() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    worker.join();
    EXPECT_EQ(ranOn, windowThread);
    EXPECT_EQ(SendMessageA(Item(IDC_RESULTS_LIST), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(RowText(Item(IDC_RESULTS_LIST), 0), "a");

    bool ranHere = false;
    real.RunOnWindowThread([&] { ranHere = GetCurrentThreadId() == windowThread; });
    EXPECT_TRUE(ranHere);
}

TEST_F(MainWindowTest, SeamComboSortsSelectsAndShowsTheSelection) {
    EXPECT_EQ(real.ComboCount(), 0);
    EXPECT_EQ(real.ComboSelected(), -1);
    real.ComboAdd("m.html");
    const int first = real.ComboAdd("a.html");
    EXPECT_EQ(first, 0) << "the list sorts itself";
    EXPECT_EQ(real.ComboCount(), 2);
    EXPECT_EQ(real.ComboItem(1), "m.html");
    EXPECT_EQ(real.ComboItem(5), "");
    real.ComboSelect(1);
    EXPECT_EQ(real.ComboSelected(), 1);
    EXPECT_EQ(real.Text(IDC_RESULTS_FILE), "m.html");
}

TEST_F(MainWindowTest, RestoredSizeRoundTripsWithoutDrift) {
    real.RestoreSize(380 + 5, 260 + 17);
    EXPECT_EQ(state.dialogWidth, 380);
    EXPECT_EQ(state.dialogHeight, 260);
    for (int run = 0; run < 3; ++run) real.RestoreSize(state.dialogWidth + 5, state.dialogHeight + 17);
    EXPECT_EQ(state.dialogWidth, 380);
    EXPECT_EQ(state.dialogHeight, 260);
    EXPECT_EQ(Units(IDC_SEARCH).x, 320) << "controls laid out for the restored size";
}

TEST_F(MainWindowTest, RestoredSizeNeverGoesBelowTheBuiltSize) {
    const RECT built = Outer();
    real.RestoreSize(10, 10);
    const RECT now = Outer();
    EXPECT_EQ(now.right - now.left, built.right - built.left);
    EXPECT_EQ(now.bottom - now.top, built.bottom - built.top);
    real.RestoreSize(-50, 1 << 30);  // a damaged settings file
    EXPECT_GE(Outer().right - Outer().left, built.right - built.left);
}

}  // namespace
}  // namespace kestrap

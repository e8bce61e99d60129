#pragma once
// The real main window, built modeless and hidden for a test. The program's logic talks to
// a FakeWindow (message boxes answered from a script); `real` is the Win32 seam on the
// same window. Skips the test when no window can be made (no display).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "FakeWindow.h"
#include "TempFolder.h"
#include "app/MainWindow.h"
#include "app/State.h"
#include "app/Win32Window.h"

namespace kestrap {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        ASSERT_FALSE(temp.Path().empty());
        state.programFolder = temp.Path();
        shell.state = &state;
        shell.window = &fake;
        dialogTemplate = MainWindowTemplate();
        dialog = CreateDialogIndirectParamA(
            GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
            nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&shell));
        if (!dialog) GTEST_SKIP() << "no window could be made: no display";
    }

    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
        shell.searchFont.Reset();
        Pump();
    }

    // lets posted messages arrive
    static void Pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    Rect Units(int id) const { return ControlRectInDialogUnits(dialog, Item(id)); }

    RECT Outer() const {
        RECT r{};
        GetWindowRect(dialog, &r);
        return r;
    }

    // gives the client area an exact size in dialog units
    void ResizeClient(int widthUnits, int heightUnits) {
        RECT outer = Outer(), client{};
        GetClientRect(dialog, &client);
        const int frameX = (outer.right - outer.left) - client.right;
        const int frameY = (outer.bottom - outer.top) - client.bottom;
        SetWindowPos(dialog, nullptr, 0, 0, DialogUnitsToPixelsX(dialog, widthUnits) + frameX,
                     DialogUnitsToPixelsY(dialog, heightUnits) + frameY, SWP_NOMOVE | SWP_NOZORDER);
    }

    TempFolder temp;
    AppState state;
    FakeWindow fake;
    MainWindowShell shell;
    Win32Window real{shell};
    std::vector<WORD> dialogTemplate;
    HWND dialog = nullptr;
};

}  // namespace kestrap

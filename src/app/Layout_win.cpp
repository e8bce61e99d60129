#include <windows.h>

#include "app/MainWindow.h"
#include "app/State.h"

namespace kestrap {
namespace {

// pixels that 1024 dialog units take in each direction, for exact conversions
SIZE PixelsPer1024(HWND dialog) {
    RECT r{0, 0, 1024, 1024};
    MapDialogRect(dialog, &r);
    return {r.right, r.bottom};
}

LayoutRecord* RecordOf(WindowLayout& layout, int id) {
    const int index = id - IDC_RESULTS_FILE_LABEL;
    if (index < 0 || index >= static_cast<int>(layout.controls.size())) return nullptr;
    return &layout.controls[index];
}

BOOL CALLBACK CaptureChild(HWND child, LPARAM parameter) {
    auto& shell = *reinterpret_cast<MainWindowShell*>(parameter);
    // the combo box's own edit field carries a control id too; the id names the control
    const int id = GetDlgCtrlID(child);
    LayoutRecord* record = RecordOf(shell.layout, id);
    HWND control = GetDlgItem(shell.mainWindow, id);
    if (record && control)
        CaptureControl(*record, ControlRectInDialogUnits(shell.mainWindow, control),
                       shell.layout.originClientWidth, shell.layout.originClientHeight);
    return TRUE;
}

struct PlacePass {
    MainWindowShell* shell;
    SIZE client;
};

BOOL CALLBACK PlaceChild(HWND child, LPARAM parameter) {
    auto& pass = *reinterpret_cast<PlacePass*>(parameter);
    MainWindowShell& shell = *pass.shell;
    const int id = GetDlgCtrlID(child);
    LayoutRecord* record = RecordOf(shell.layout, id);
    HWND control = GetDlgItem(shell.mainWindow, id);
    if (!record || !control) return TRUE;
    const Rect place = PlaceControl(*record, shell.layout.originClientWidth,
                                    shell.layout.originClientHeight, pass.client.cx, pass.client.cy);
    RECT pixels{place.x, place.y, place.w, place.h};  // each value converted on its own
    MapDialogRect(shell.mainWindow, &pixels);
    SetWindowPos(control, nullptr, pixels.left, pixels.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(control, nullptr, 0, 0, pixels.right, pixels.bottom, SWP_NOMOVE | SWP_NOZORDER);
    return TRUE;
}

}  // namespace

int DialogUnitsToPixelsX(HWND dialog, int units) {
    RECT r{units, 0, 0, 0};
    MapDialogRect(dialog, &r);
    return r.left;
}

int DialogUnitsToPixelsY(HWND dialog, int units) {
    RECT r{0, units, 0, 0};
    MapDialogRect(dialog, &r);
    return r.top;
}

SIZE ClientSizeInDialogUnits(HWND dialog) {
    RECT client{};
    GetClientRect(dialog, &client);
    const SIZE per1024 = PixelsPer1024(dialog);
    return {PixelsToDialogUnits(client.right, per1024.cx),
            PixelsToDialogUnits(client.bottom, per1024.cy)};
}

Rect ControlRectInDialogUnits(HWND dialog, HWND control) {
    // a combo box's window rectangle is its closed part; placing it at that height leaves
    // its drop-down list as it is
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const SIZE per1024 = PixelsPer1024(dialog);
    return {PixelsToDialogUnits(r.left, per1024.cx), PixelsToDialogUnits(r.top, per1024.cy),
            PixelsToDialogUnits(r.right - r.left, per1024.cx),
            PixelsToDialogUnits(r.bottom - r.top, per1024.cy)};
}

void CaptureLayout(MainWindowShell& shell) {
    HWND dialog = shell.mainWindow;
    const SIZE client = ClientSizeInDialogUnits(dialog);
    shell.layout.originClientWidth = client.cx;
    shell.layout.originClientHeight = client.cy;
    EnumChildWindows(dialog, CaptureChild, reinterpret_cast<LPARAM>(&shell));

    // the built size itself: taken through dialog units and back it can come out a pixel
    // larger, and the window would then jump on the first drag and never return to it
    RECT outer{};
    GetWindowRect(dialog, &outer);
    shell.layout.minTrackWidth = outer.right - outer.left;
    shell.layout.minTrackHeight = outer.bottom - outer.top;
}

void CaptureLayoutOnce(MainWindowShell& shell) {
    if (shell.state->layoutCaptured) return;
    CaptureLayout(shell);
    shell.state->layoutCaptured = true;
}

void ApplyLayout(MainWindowShell& shell) {
    HWND dialog = shell.mainWindow;
    const bool visible = IsWindowVisible(dialog) != FALSE;
    if (visible) SendMessageA(dialog, WM_SETREDRAW, FALSE, 0);
    PlacePass pass{&shell, ClientSizeInDialogUnits(dialog)};
    EnumChildWindows(dialog, PlaceChild, reinterpret_cast<LPARAM>(&pass));
    if (visible) SendMessageA(dialog, WM_SETREDRAW, TRUE, 0);
    // one repaint for the whole window, children included, instead of one per move
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace kestrap

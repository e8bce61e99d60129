#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/Commands.h"
#include "app/ContextHelp.h"
#include "app/HelpTexts.h"
#include "app/MainWindow.h"
#include "app/ResultsListBox.h"
#include "app/SearchRun.h"
#include "app/SettingsSteps.h"
#include "app/State.h"

namespace kestrap {
namespace {

constexpr COLORREF StatusTextColour = RGB(128, 128, 128);
constexpr int AcceleratorCode = 1;

void OnSize(MainWindowShell& shell, WPARAM kind) {
    // a minimised window has a client area of 0 by 0: neither a size worth keeping nor
    // one to lay the controls out for; the restore brings the next WM_SIZE
    if (kind == SIZE_MINIMIZED) return;
    CaptureLayoutOnce(shell);
    const SIZE client = ClientSizeInDialogUnits(shell.mainWindow);
    shell.state->dialogWidth = client.cx;
    shell.state->dialogHeight = client.cy;
    ApplyLayout(shell);
}

void OnMinMaxInfo(const MainWindowShell& shell, MINMAXINFO* info) {
    if (shell.layout.minTrackWidth <= 0 || shell.layout.minTrackHeight <= 0) return;
    info->ptMinTrackSize.x = shell.layout.minTrackWidth;
    info->ptMinTrackSize.y = shell.layout.minTrackHeight;
}

INT_PTR OnSysCommand(MainWindowShell& shell, HWND dialog, WPARAM command) {
    if ((command & 0xFFF0) != SC_CLOSE) return 0;
    if (!CloseCommand(*shell.state, *shell.window)) return 1;
    EndDialog(dialog, 0);
    return 0;
}

// Windows asks before it ends the session (logoff, shutdown): the same question as at a
// close, and while it is open Windows shows why the program holds the end up. The answer
// goes back as the message's result; a yes has saved the settings, as a close does.
INT_PTR OnQueryEndSession(MainWindowShell& shell, HWND dialog) {
    const bool unsaved = shell.state->unsavedResults == 1;
    if (unsaved) ShutdownBlockReasonCreate(dialog, L"Unsaved search results");
    const bool mayEnd = CloseCommand(*shell.state, *shell.window);
    if (unsaved) ShutdownBlockReasonDestroy(dialog);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, mayEnd ? TRUE : FALSE);
    return TRUE;
}

// The session ends with the process, without a close: the settings are saved here.
INT_PTR OnEndSession(MainWindowShell& shell, HWND dialog, WPARAM ending) {
    if (ending) SaveSettings(*shell.state, *shell.window);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return TRUE;
}

void OnHelp(const HELPINFO* info) {
    const std::string_view text = HelpText(info->iCtrlId);
    if (!text.empty()) ShowContextHelp(text);
}

void OnCommand(MainWindowShell& shell, int id, int code) {
    AppState& state = *shell.state;
    Window& window = *shell.window;
    const bool pressed = code == BN_CLICKED || code == AcceleratorCode;
    switch (id) {
    case IDC_RESULTS_FILE:
        if (code == CBN_SELENDOK) RecentPickCommand(state, window);
        return;
    case IDC_LOAD:
        if (pressed) LoadCommand(state, window);
        return;
    case IDC_SAVE:
        if (pressed) SaveCommand(state, window);
        return;
    case IDC_SEARCH:
        if (pressed) PressSearchButton(state, window);
        return;
    case IDC_RESULTS_LIST:
        if (code == LBN_DBLCLK) OpenResultLink(state, window);
        return;
    case IDM_DELETE_ALL:
        DeleteAllCommand(state, window);
        return;
    case IDM_DELETE_OLD:
        DeleteOldCommand(state, window);
        return;
    }
    // Enter (IDOK), Escape (IDCANCEL) and everything else: nothing
}

INT_PTR OnCtlColorStatic(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id < IDC_STATUS1 || id > IDC_STATUS3) return 0;
    SetTextColor(dc, StatusTextColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

// A long search may end while the user works elsewhere: the taskbar button says so until the
// window comes to the front.
void OnSearchEnded(HWND dialog) {
    if (GetForegroundWindow() == dialog) return;
    FLASHWINFO flash{sizeof(FLASHWINFO), dialog, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

void OnNotification(MainWindowShell& shell, HWND dialog, std::string* text) {
    const std::unique_ptr<std::string> owned(text);
    if (!owned || !shell.notification.Show(dialog, NotificationIconMessage, *owned)) return;
    SetTimer(dialog, NotificationTimer, static_cast<UINT>(NotificationIconTime.count()), nullptr);
}

void RemoveNotification(MainWindowShell& shell, HWND dialog) {
    if (!shell.notification.Shown()) return;
    KillTimer(dialog, NotificationTimer);
    shell.notification.Remove();
}

void OnNotificationIcon(MainWindowShell& shell, HWND dialog, LPARAM event) {
    if (NotificationIcon::IsClick(event)) {
        if (IsIconic(dialog)) ShowWindow(dialog, SW_RESTORE);
        SetForegroundWindow(dialog);
        RemoveNotification(shell, dialog);
    } else if (NotificationIcon::IsBalloonGone(event)) {
        RemoveNotification(shell, dialog);
    }
}

}  // namespace

void RunPostedTask(MainWindowShell& shell, std::function<void()>* task) {
    const std::unique_ptr<std::function<void()>> owned(task);
    const bool later = shell.openBoxes > 0 || !IsWindowVisible(shell.mainWindow);
    if (owned && *owned) {
        if (later) {
            shell.deferredTasks.push_back(std::move(*owned));
        } else {
            (*owned)();
        }
        return;
    }
    if (later) return;
    // each kept task in its turn: one may open a box, which keeps the rest waiting again
    std::vector<std::function<void()>> kept = std::move(shell.deferredTasks);
    shell.deferredTasks.clear();
    for (auto& next : kept) RunPostedTask(shell, new std::function<void()>(std::move(next)));
}

void RunGroupedCalls(HWND dialog, const std::function<void()>& calls) {
    // only the outermost group switches the painting off and on again
    static thread_local int depth = 0;
    HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
    if (depth > 0 || !list) {
        calls();
        return;
    }
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ++depth;
    calls();
    --depth;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    // switched back on, a list does not repaint what changed meanwhile by itself
    InvalidateRect(list, nullptr, TRUE);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        PrepareMainWindow(*reinterpret_cast<MainWindowShell*>(lParam), dialog);
        return TRUE;
    }
    MainWindowShell* shell = ShellOfWindow(dialog);
    if (!shell) return 0;  // messages of the creation, before the controls exist
    // a registered message: its number is known only at run time
    if (message == shell->taskbarButtonCreatedMessage && message != 0) {
        ForgetTaskbarButton(*shell);
        return 0;
    }

    switch (message) {
    case WM_SIZE:
        OnSize(*shell, wParam);
        return 0;
    case WM_GETMINMAXINFO:
        OnMinMaxInfo(*shell, reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_SYSCOMMAND:
        return OnSysCommand(*shell, dialog, wParam);
    case WM_QUERYENDSESSION:
        return OnQueryEndSession(*shell, dialog);
    case WM_ENDSESSION:
        return OnEndSession(*shell, dialog, wParam);
    case WM_HELP:
        OnHelp(reinterpret_cast<const HELPINFO*>(lParam));
        return 0;
    case WM_COMMAND:
        OnCommand(*shell, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case RunCallsMessage:
        RunGroupedCalls(dialog, *reinterpret_cast<const std::function<void()>*>(lParam));
        return TRUE;
    case WM_SHOWWINDOW:
        // shown only once this message is done: what waited for it runs after that
        if (wParam) PostMessageA(dialog, PostedTaskMessage, 0, 0);
        return 0;
    case PostedTaskMessage:
        RunPostedTask(*shell, reinterpret_cast<std::function<void()>*>(lParam));
        return TRUE;
    case TaskbarProgressMessage:
        ShowTaskbarProgress(*shell, static_cast<int>(wParam), static_cast<int>(lParam));
        return TRUE;
    case SearchEndedMessage:
        OnSearchEnded(dialog);
        return TRUE;
    case NotificationMessage:
        OnNotification(*shell, dialog, reinterpret_cast<std::string*>(lParam));
        return TRUE;
    case NotificationIconMessage:
        OnNotificationIcon(*shell, dialog, lParam);
        return TRUE;
    case WM_TIMER:
        if (wParam != NotificationTimer) return 0;
        RemoveNotification(*shell, dialog);
        return TRUE;
    case WM_ACTIVATE:
        // the user is back: what the icon had to tell is seen
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) RemoveNotification(*shell, dialog);
        return 0;
    case WM_DESTROY:
        RemoveNotification(*shell, dialog);
        return 0;
    }
    return 0;
}

}  // namespace kestrap

#pragma once
// The main window on the Win32 side: its construction, message handling, layout and the
// results-list menu. Everything the logic does to the window goes through the Window seam.
#include <windows.h>
#include <shobjidl.h>

#include <array>
#include <functional>
#include <thread>
#include <vector>

#include "app/ControlIds.h"
#include "app/Layout.h"
#include "app/NotificationIcon_win.h"
#include "platform/Owned_win.h"

namespace kestrap {

struct AppState;
class Window;

// Anchoring of every control, indexed by control id - IDC_RESULTS_FILE_LABEL, and the
// window's own record. All values are dialog units except the minimum track size.
struct WindowLayout {
    std::array<LayoutRecord, IDC_STATUS3 - IDC_RESULTS_FILE_LABEL + 1> controls{};
    int originClientWidth = 0;
    int originClientHeight = 0;
    int minTrackWidth = 0;   // pixels
    int minTrackHeight = 0;  // pixels
};

// What the Win32 side keeps beside the program's state. It outlives the window: worker
// threads may still use the seam after the window has ended, until they are joined.
struct MainWindowShell {
    AppState* state = nullptr;
    Window* window = nullptr;  // the seam the logic works through
    HWND mainWindow = nullptr;
    WNDPROC listOriginalProc = nullptr;
    OwnedFont searchFont;
    WindowLayout layout;
    // set by BuildMainWindow: load the settings, start the update check and set the icon
    // while the window is still hidden
    bool startProgram = false;
    // the taskbar button's progress: made at first use, made again once the button was
    // re-created (after Explorer restarted); missing on systems without ITaskbarList3
    ComPtr<ITaskbarList3> taskbar;
    bool taskbarMissing = false;
    UINT taskbarButtonCreatedMessage = 0;
    // Message boxes open on the window's thread. A task posted while one is open, or before
    // the window shows (the update offer, say), waits until the window is shown and no box
    // is open: one question at a time, never one box inside another, and never a box that
    // keeps the window from showing.
    int openBoxes = 0;
    std::vector<std::function<void()>> deferredTasks;
    // the update check at start, on a thread of its own
    std::jthread updateCheck;
    // new ads of a search that ended behind other windows; gone once the window is in front
    NotificationIcon notification;
};

// Runs a task posted to the window's thread (Win32Window::Post), or keeps it for later;
// takes the task over. Without a task, runs what was kept if its time has come.
void RunPostedTask(MainWindowShell& shell, std::function<void()>* task);

// The dialog template of the main window (hidden, controls in tab order).
std::vector<WORD> MainWindowTemplate();

// Runs the main window modally until it is closed; the bold font is deleted afterwards.
void BuildMainWindow(MainWindowShell& shell, HWND parent);
// Stops the update check, if it is still going, and waits for its thread.
void EndUpdateCheck(MainWindowShell& shell);

// Construction steps once the dialog's controls exist (from WM_INITDIALOG).
void PrepareMainWindow(MainWindowShell& shell, HWND dialog);
// The shell that a main window was built with; nullptr before WM_INITDIALOG.
MainWindowShell* ShellOfWindow(HWND dialog);

// Sent to the main window with a `const std::function<void()>*` as lParam: the window's
// thread makes those calls (Win32Window::RunOnWindowThread).
constexpr UINT RunCallsMessage = WM_APP + 1;
// Posted with a heap-allocated `std::function<void()>*` as lParam, which the window's thread
// runs and deletes (Win32Window::Post).
constexpr UINT PostedTaskMessage = WM_APP + 2;
// Posted when a search run has ended (Win32Window::NotifySearchEnded): the taskbar button
// flashes unless the window is in front.
constexpr UINT SearchEndedMessage = WM_APP + 3;

// Posted with the position as wParam and the maximum as lParam; a maximum of 0 takes the
// progress off the taskbar button (Win32Window::SetTaskbarProgress and ClearTaskbarProgress).
constexpr UINT TaskbarProgressMessage = WM_APP + 4;

// Posted with a heap-allocated `std::string*` as lParam: the text of a notification, which
// the window's thread shows and deletes (Win32Window::ShowNotification).
constexpr UINT NotificationMessage = WM_APP + 5;
// what the notification area tells of the window's icon and balloon
constexpr UINT NotificationIconMessage = WM_APP + 6;
// removes the notification icon when nobody came for it
constexpr UINT_PTR NotificationTimer = 1;

// The taskbar button's progress, on the window's thread only (COM lives there); under a
// system without it nothing shows and nothing fails. A maximum of 0 or less shows none.
void ShowTaskbarProgress(MainWindowShell& shell, int position, int maximum);
// "TaskbarButtonCreated": the next progress uses the new button.
void ForgetTaskbarButton(MainWindowShell& shell);

// Makes a group of window calls on the window's thread. The results list is not painted
// until the group is done: a search adds a feed's new entries, and a load a whole file, in
// one group, and each line would otherwise repaint the list and its scroll bar.
void RunGroupedCalls(HWND dialog, const std::function<void()>& calls);

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ResultsListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// Layout: capture once, apply on every size change.
void CaptureLayout(MainWindowShell& shell);
void CaptureLayoutOnce(MainWindowShell& shell);  // guarded by the state's layoutCaptured
void ApplyLayout(MainWindowShell& shell);
int DialogUnitsToPixelsX(HWND dialog, int units);
int DialogUnitsToPixelsY(HWND dialog, int units);
Rect ControlRectInDialogUnits(HWND dialog, HWND control);
SIZE ClientSizeInDialogUnits(HWND dialog);

// The results-list menu, built anew for every request.
HMENU BuildResultsMenu(int resultCount, bool searchRunning);
POINT ResultsMenuPoint(POINT cursor, const RECT& listRect);

}  // namespace kestrap

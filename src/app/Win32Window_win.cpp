#include "app/Win32Window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "app/MainWindow.h"
#include "desktop/Shortcut.h"
#include "platform/WidePaths_win.h"

namespace kestrap {
namespace {

// The settings keep the window as its client size plus 5 by 17 dialog units; taking those
// back off and adding the real frame keeps the size from drifting wherever the frame and
// caption measure something else.
constexpr int SavedFrameWidth = 5;
constexpr int SavedFrameHeight = 17;

}  // namespace

HWND Win32Window::Control(int id) const { return GetDlgItem(shell_.mainWindow, id); }

LRESULT Win32Window::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageA(shell_.mainWindow, id, message, wParam, lParam);
}

std::string Win32Window::Text(int control) {
    HWND window = Control(control);
    if (!window) return {};
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    const int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

void Win32Window::SetText(int control, std::string_view text) {
    SetDlgItemTextA(shell_.mainWindow, control, std::string(text).c_str());
}

void Win32Window::Enable(int control, bool enabled) { EnableWindow(Control(control), enabled); }

int Win32Window::Ask(std::string_view text, std::string_view caption, unsigned flags) {
    const bool windowThread = shell_.mainWindow != nullptr &&
                              GetWindowThreadProcessId(shell_.mainWindow, nullptr) ==
                                  GetCurrentThreadId();
    if (windowThread) ++shell_.openBoxes;
    // no owner: the main window stays usable while the box is open
    const int answer =
        MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(), flags);
    if (windowThread && --shell_.openBoxes == 0) {
        // what was posted while the box was open may run now
        RunPostedTask(shell_, nullptr);
    }
    return answer;
}

void Win32Window::Open(std::string_view fileOrUrl) {
    ShellExecuteW(nullptr, L"open", WidePath(fileOrUrl).c_str(), nullptr, nullptr,
                  SW_SHOWDEFAULT);
}

void Win32Window::RunOnWindowThread(const std::function<void()>& calls) {
    HWND window = shell_.mainWindow;
    if (!window) {
        calls();
        return;
    }
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        RunGroupedCalls(window, calls);
        return;
    }
    // one round trip to the window's thread; the calls made there go straight to the controls
    SendMessageA(window, RunCallsMessage, 0, reinterpret_cast<LPARAM>(&calls));
}

void Win32Window::Post(std::function<void()> task) {
    auto* posted = new std::function<void()>(std::move(task));
    // without a window to run it the task is dropped: the program is ending
    if (!shell_.mainWindow ||
        !PostMessageA(shell_.mainWindow, PostedTaskMessage, 0, reinterpret_cast<LPARAM>(posted)))
        delete posted;
}

void Win32Window::NotifySearchEnded() {
    if (shell_.mainWindow) PostMessageA(shell_.mainWindow, SearchEndedMessage, 0, 0);
}

bool Win32Window::IsInFront() {
    HWND window = shell_.mainWindow;
    return window && GetForegroundWindow() == window && !IsIconic(window);
}

void Win32Window::ShowNotification(std::string_view text) {
    auto* posted = new std::string(text);
    // the icon belongs to the window's thread, which gets its clicks
    if (!shell_.mainWindow ||
        !PostMessageA(shell_.mainWindow, NotificationMessage, 0, reinterpret_cast<LPARAM>(posted)))
        delete posted;
}

void Win32Window::ListInsertTop(std::string_view text) {
    Send(IDC_RESULTS_LIST, LB_INSERTSTRING, 0,
         reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

void Win32Window::ListAppend(std::string_view text) {
    Send(IDC_RESULTS_LIST, LB_INSERTSTRING, static_cast<WPARAM>(-1),
         reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

void Win32Window::ListReset() { Send(IDC_RESULTS_LIST, LB_RESETCONTENT, 0, 0); }

int Win32Window::ListSelectedIndex() {
    const LRESULT index = Send(IDC_RESULTS_LIST, LB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : static_cast<int>(index);
}

int Win32Window::ComboCount() {
    return static_cast<int>(std::max<LRESULT>(Send(IDC_RESULTS_FILE, CB_GETCOUNT, 0, 0), 0));
}

std::string Win32Window::ComboItem(int index) {
    const LRESULT length = Send(IDC_RESULTS_FILE, CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        Send(IDC_RESULTS_FILE, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

int Win32Window::ComboAdd(std::string_view text) {
    return static_cast<int>(Send(IDC_RESULTS_FILE, CB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(std::string(text).c_str())));
}

void Win32Window::ComboSelect(int index) { Send(IDC_RESULTS_FILE, CB_SETCURSEL, index, 0); }

int Win32Window::ComboSelected() {
    return static_cast<int>(Send(IDC_RESULTS_FILE, CB_GETCURSEL, 0, 0));
}

void Win32Window::SetProgressRange(int maximum) {
    Send(IDC_PROGRESS, PBM_SETRANGE32, 0, maximum);
}

void Win32Window::SetProgress(int position) { Send(IDC_PROGRESS, PBM_SETPOS, position, 0); }

// posted, so that a worker never waits for the window here and COM stays on its thread
void Win32Window::SetTaskbarProgress(int position, int maximum) {
    if (shell_.mainWindow)
        PostMessageA(shell_.mainWindow, TaskbarProgressMessage, static_cast<WPARAM>(position),
                     static_cast<LPARAM>(maximum));
}

void Win32Window::ClearTaskbarProgress() { SetTaskbarProgress(0, 0); }

void Win32Window::RestoreSize(int widthDialogUnits, int heightDialogUnits) {
    HWND dialog = shell_.mainWindow;
    if (!dialog) return;
    CaptureLayoutOnce(shell_);

    RECT outer{}, client{};
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    // a size from a damaged settings file must neither hide the controls nor
    // overflow the pixel arithmetic
    const int clientWidth = std::clamp(widthDialogUnits - SavedFrameWidth, 0, 0x7FFF);
    const int clientHeight = std::clamp(heightDialogUnits - SavedFrameHeight, 0, 0x7FFF);
    int width = DialogUnitsToPixelsX(dialog, clientWidth) + frameWidth;
    int height = DialogUnitsToPixelsY(dialog, clientHeight) + frameHeight;
    width = std::clamp(width, shell_.layout.minTrackWidth, std::max(shell_.layout.minTrackWidth,
                                                                    GetSystemMetrics(SM_CXMAXTRACK)));
    height = std::clamp(height, shell_.layout.minTrackHeight,
                        std::max(shell_.layout.minTrackHeight, GetSystemMetrics(SM_CYMAXTRACK)));
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    ApplyLayout(shell_);
}

SystemError Win32Window::CreateStartMenuShortcut(int folderCsidl, std::string_view linkName,
                                                 std::string_view target,
                                                 std::string_view workingFolder,
                                                 std::string_view description) {
    SystemError error = 0;
    kestrap::CreateStartMenuShortcut(folderCsidl, linkName, target, workingFolder, description,
                                     &error);
    return error;
}

}  // namespace kestrap

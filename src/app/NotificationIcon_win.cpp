#include "app/NotificationIcon_win.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "app/Notification.h"

namespace kestrap {
namespace {

constexpr UINT IconId = 1;
constexpr UINT_PTR LimitTimer = 1;
constexpr UINT WaitingIconMessage = WM_APP + 1;

// copies as much of `text` as fits, always ending in a zero
template <size_t N>
void CopyCut(char (&to)[N], std::string_view text) {
    const size_t length = std::min(text.size(), N - 1);
    text.copy(to, length);
    to[length] = '\0';
}

// The icon of the program (not the window's): small for the notification area, large for the
// balloon; both shared, never destroyed.
HICON ProgramIcon(int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "PROGRAM", IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

bool NotificationIcon::Show(HWND owner, UINT callbackMessage, std::string_view text) {
    if (shown_ && owner != owner_) Remove();
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = IconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = ProgramIcon(SM_CXSMICON, SM_CYSMICON);
    CopyCut(data.szTip, std::string(NotificationTitle) + ": " + std::string(text));
    CopyCut(data.szInfo, text);
    CopyCut(data.szInfoTitle, NotificationTitle);
    data.dwInfoFlags = NIIF_USER | NIIF_LARGE_ICON;
    data.hBalloonIcon = ProgramIcon(SM_CXICON, SM_CYICON);
    if (shown_) return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    if (!Shell_NotifyIconA(NIM_ADD, &data)) return false;
    owner_ = owner;
    shown_ = true;
    // version 3: balloon clicks and timeouts are told, and a click on the icon as NIN_SELECT
    data.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconA(NIM_SETVERSION, &data);
    return true;
}

void NotificationIcon::Remove() {
    if (!shown_) return;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner_;
    data.uID = IconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
    shown_ = false;
    owner_ = nullptr;
}

bool NotificationIcon::IsClick(LPARAM lParam) {
    const UINT event = LOWORD(lParam);
    return event == NIN_SELECT || event == NIN_KEYSELECT || event == NIN_BALLOONUSERCLICK;
}

bool NotificationIcon::IsBalloonGone(LPARAM lParam) {
    return LOWORD(lParam) == NIN_BALLOONTIMEOUT;
}

namespace {

struct Waiting {
    bool clicked = false;
};

LRESULT CALLBACK WaitingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* waiting = reinterpret_cast<Waiting*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WaitingIconMessage:
        if (waiting && NotificationIcon::IsClick(lParam)) {
            waiting->clicked = true;
            PostQuitMessage(0);
        }
        return 0;
    case WM_TIMER:
        if (wParam == LimitTimer) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool ShowNotificationUntilClicked(std::string_view text, std::chrono::milliseconds limit) {
    constexpr char ClassName[] = "KestrapNotification";
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WaitingWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass)) return false;
    Waiting waiting;
    HWND window = CreateWindowExA(0, ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, nullptr);
    if (!window) {
        UnregisterClassA(ClassName, instance);
        return false;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&waiting));
    {
        NotificationIcon icon;
        if (icon.Show(window, WaitingIconMessage, text) &&
            SetTimer(window, LimitTimer, static_cast<UINT>(limit.count()), nullptr)) {
            MSG message;
            while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
            KillTimer(window, LimitTimer);
        }
    }
    DestroyWindow(window);
    UnregisterClassA(ClassName, instance);
    return waiting.clicked;
}

}  // namespace kestrap

#include "NotificationArea.h"

#include "Target.h"

namespace kestrap::e2e {
namespace {

std::vector<HWND> VisibleTopLevelOfClass(const char* className) {
    struct Search {
        const char* className;
        std::vector<HWND> found;
    } search{className, {}};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (IsWindowVisible(window) && ClassName(window) == s->className)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

constexpr char CoverClass[] = "KestrapE2eCover";

DWORD WINAPI CoverThread(void* ready) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = CoverClass;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, CoverClass, "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 900, 700, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window) SetForegroundWindow(window);
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    if (window) DestroyWindow(window);
    return 0;
}

}  // namespace

std::vector<std::string> BalloonTexts() {
    std::vector<std::string> texts;
    for (HWND window : VisibleTopLevelOfClass("tooltips_class32")) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId()) texts.push_back(WindowText(window));
    }
    return texts;
}

std::vector<HWND> TrayIcons() {
    // Wine 8 keeps the tray in its X11 driver; later Wines moved it into explorer
    const struct {
        const char* tray;
        const char* icon;
    } kinds[] = {{"__winex11_standalone_tray", "__winex11_tray_icon"},
                 {"Shell_TrayWnd", "__wine_tray_icon"}};
    std::vector<HWND> icons;
    for (const auto& kind : kinds) {
        for (HWND tray : VisibleTopLevelOfClass(kind.tray)) {
            for (HWND icon = FindWindowExA(tray, nullptr, kind.icon, nullptr); icon;
                 icon = FindWindowExA(tray, icon, kind.icon, nullptr)) {
                if (IsWindowVisible(icon)) icons.push_back(icon);
            }
        }
    }
    return icons;
}

int ClickTrayIcons() {
    int clicked = 0;
    for (HWND icon : TrayIcons()) {
        const LPARAM at = MAKELPARAM(8, 8);
        PostMessageA(icon, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(icon, WM_LBUTTONUP, 0, at);
        ++clicked;
    }
    return clicked;
}

bool Cover::Show() {
    if (thread_) return true;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return false;
    thread_ = CreateThread(nullptr, 0, CoverThread, ready, 0, &threadId_);
    if (thread_) WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    return thread_ != nullptr;
}

void Cover::Remove() {
    if (!thread_) return;
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    thread_ = nullptr;
}

}  // namespace kestrap::e2e

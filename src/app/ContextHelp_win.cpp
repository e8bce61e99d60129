#include "app/ContextHelp.h"

#include <string>

#include "platform/Owned_win.h"

namespace kestrap {
namespace {

constexpr UINT TextPopupCommand = 0x000E;  // the help viewer's "display text popup"
constexpr COLORREF PopupBackground = RGB(255, 255, 224);
constexpr COLORREF PopupText = RGB(0, 0, 0);
constexpr int PointerOffset = 25;
constexpr int PopupMargin = 6;
constexpr int PopupMaxWidth = 320;  // at 96 pixels per inch

// the help viewer's popup parameters, with ANSI texts
struct TextPopupParams {
    int cbStruct;
    HINSTANCE hinst;
    UINT idString;
    const char* pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    const char* pszFont;
};

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// The viewer stays loaded once used: its popups live in its module.
HtmlHelpFunction FindHelpViewer() {
    HMODULE viewer = GetModuleHandleA("hhctrl.ocx");
    if (!viewer) viewer = LoadLibraryA("hhctrl.ocx");
    if (!viewer) return nullptr;
    return reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpA")));
}

std::string TextOf(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HFONT PopupFont(HWND popup) {
    auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(popup, GWLP_USERDATA));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void PaintPopup(HWND popup) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(popup, &paint);
    RECT area{};
    GetClientRect(popup, &area);
    FillRect(dc, &area, OwnedBrush(CreateSolidBrush(PopupBackground)).get());
    HGDIOBJ oldFont = SelectObject(dc, PopupFont(popup));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, PopupText);
    InflateRect(&area, -PopupMargin, -PopupMargin);
    const std::string text = TextOf(popup);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(popup, &paint);
}

LRESULT CALLBACK HelpPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintPopup(popup);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the whole popup
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        DestroyWindow(popup);
        return 0;
    case WM_KILLFOCUS:
        // not destroyed inside the focus change itself
        PostMessageA(popup, WM_CLOSE, 0, 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) PostMessageA(popup, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(popup, message, wParam, lParam);
}

bool RegisterPopupClass(HINSTANCE instance) {
    WNDCLASSA popupClass{};
    if (GetClassInfoA(instance, HelpPopupClass, &popupClass)) return true;
    popupClass.style = CS_SAVEBITS | CS_DROPSHADOW;
    popupClass.lpfnWndProc = HelpPopupProc;
    popupClass.hInstance = instance;
    popupClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    popupClass.lpszClassName = HelpPopupClass;
    return RegisterClassA(&popupClass) != 0;
}

// Size of the text wrapped to the popup's widest line, margins and border included.
SIZE PopupSize(HFONT font, std::string_view text) {
    HDC screen = GetDC(nullptr);
    const int maxWidth = MulDiv(PopupMaxWidth, GetDeviceCaps(screen, LOGPIXELSX), 96);
    HGDIOBJ oldFont = SelectObject(screen, font);
    RECT measure{0, 0, maxWidth, 0};
    DrawTextA(screen, text.data(), static_cast<int>(text.size()), &measure,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(screen, oldFont);
    ReleaseDC(nullptr, screen);
    const int frame = 2 * (PopupMargin + GetSystemMetrics(SM_CXBORDER));
    return {measure.right + frame, measure.bottom + frame};
}

POINT KeepOnScreen(POINT topLeft, SIZE size, POINT anchor) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST), &monitor))
        return topLeft;
    const RECT& work = monitor.rcWork;
    if (topLeft.x + size.cx > work.right) topLeft.x = work.right - size.cx;
    if (topLeft.y + size.cy > work.bottom) topLeft.y = work.bottom - size.cy;
    if (topLeft.x < work.left) topLeft.x = work.left;
    if (topLeft.y < work.top) topLeft.y = work.top;
    return topLeft;
}

}  // namespace

HWND ShowHelpPopup(HWND owner, std::string_view text, POINT at) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterPopupClass(instance)) return nullptr;
    // one popup at a time, as the help viewer does it
    if (HWND previous = FindWindowA(HelpPopupClass, nullptr)) DestroyWindow(previous);

    HFONT font = owner ? reinterpret_cast<HFONT>(SendMessageA(owner, WM_GETFONT, 0, 0)) : nullptr;
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const SIZE size = PopupSize(font, text);
    const POINT topLeft = KeepOnScreen({at.x - size.cx / 2, at.y}, size, at);

    const std::string title(text);
    HWND popup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, HelpPopupClass, title.c_str(),
                                 WS_POPUP | WS_BORDER, topLeft.x, topLeft.y, size.cx, size.cy,
                                 owner, nullptr, instance, nullptr);
    if (!popup) return nullptr;
    SetWindowLongPtrA(popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));
    ShowWindow(popup, SW_SHOW);
    SetFocus(popup);
    return popup;
}

void ShowContextHelp(std::string_view text) {
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND caller = WindowFromPoint(cursor);
    const std::string helpText(text);
    const POINT at{cursor.x + PointerOffset, cursor.y + PointerOffset};

    HWND shown = nullptr;
    if (HtmlHelpFunction viewer = FindHelpViewer()) {
        TextPopupParams params{};
        params.cbStruct = sizeof params;
        params.hinst = caller ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(caller, GWLP_HINSTANCE))
                              : nullptr;
        params.pszText = helpText.c_str();
        params.pt = at;
        params.clrForeground = PopupText;
        params.clrBackground = PopupBackground;
        params.rcMargins = {-1, -1, -1, -1};
        shown = viewer(caller, nullptr, TextPopupCommand, reinterpret_cast<DWORD_PTR>(&params));
    }
    // some viewers accept the request and show nothing; then the popup is ours
    if (!shown) ShowHelpPopup(GetActiveWindow(), text, at);
}

}  // namespace kestrap

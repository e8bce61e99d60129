#pragma once
// The notification area as Wine shows it without a desktop and without an X11 tray: a
// stand-alone tray window ("Wine System Tray", in explorer's process) holding one child
// window per icon, and each balloon a top-level tooltip of explorer's. A window of the
// driver's own can cover the program's.
#include <windows.h>

#include <string>
#include <vector>

namespace kestrap::e2e {

// texts of the visible balloons (tooltip windows of processes other than this one)
std::vector<std::string> BalloonTexts();
// the visible icons in the tray
std::vector<HWND> TrayIcons();
// a left click on each visible icon, as the mouse makes it; how many were clicked
int ClickTrayIcons();

// A visible window of the driver's, brought to the front, with a thread of its own that
// answers its messages; gone when this object ends.
class Cover {
public:
    Cover() = default;
    Cover(const Cover&) = delete;
    Cover& operator=(const Cover&) = delete;
    ~Cover() { Remove(); }
    bool Show();
    void Remove();

private:
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

}  // namespace kestrap::e2e

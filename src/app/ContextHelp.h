#pragma once
// Popup help for the main window's controls.
#include <windows.h>

#include <string_view>

namespace kestrap {

// Shows the text next to the mouse pointer: the help viewer's text popup, or where that
// shows nothing, a popup of our own.
void ShowContextHelp(std::string_view text);

// Our own popup: pale yellow, black text, its top centre at `at`, kept on the screen;
// closed by a click, a key or the loss of focus.
HWND ShowHelpPopup(HWND owner, std::string_view text, POINT at);

constexpr const char* HelpPopupClass = "KestrapHelpPopup";

}  // namespace kestrap

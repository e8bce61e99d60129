#include <windows.h>

#include <string>

#include "app/HelpTexts.h"
#include "app/MainWindow.h"
#include "app/State.h"

namespace kestrap {

HMENU BuildResultsMenu(int resultCount, bool searchRunning) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    const std::string countLine = ListCountMenuText(resultCount);
    // disabled, not greyed: an information line that reads like a normal item
    AppendMenuA(menu, MF_STRING | MF_DISABLED, IDM_LIST_COUNT, countLine.c_str());
    if (resultCount <= 0) return menu;
    // the list may not be changed under a running search, which appends to it
    const UINT deleteState = searchRunning ? MF_GRAYED : MF_ENABLED;
    AppendMenuA(menu, MF_SEPARATOR, 1, nullptr);
    AppendMenuA(menu, MF_STRING | deleteState, IDM_DELETE_ALL, "Delete entire list");
    AppendMenuA(menu, MF_STRING | deleteState, IDM_DELETE_OLD, "Delete entries over 2 months old");
    return menu;
}

// The pointer when it is over the list; otherwise (a keyboard request) the middle of the
// list's bottom edge.
POINT ResultsMenuPoint(POINT cursor, const RECT& listRect) {
    if (PtInRect(&listRect, cursor)) return cursor;
    return {MenuMiddleX(listRect.left, listRect.right), listRect.bottom};
}

LRESULT CALLBACK ResultsListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindowShell* shell = ShellOfWindow(GetParent(list));
    if (!shell || !shell->listOriginalProc) return DefWindowProcA(list, message, wParam, lParam);
    if (message != WM_CONTEXTMENU)
        return CallWindowProcA(shell->listOriginalProc, list, message, wParam, lParam);

    const AppState& state = *shell->state;
    HMENU menu = BuildResultsMenu(state.results.Count(), state.searchState.load() != SearchIdle);
    if (!menu) return 1;
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT listRect{};
    GetWindowRect(list, &listRect);
    const POINT at = ResultsMenuPoint(cursor, listRect);
    TrackPopupMenu(menu, 0, at.x, at.y, 0, shell->mainWindow, nullptr);
    DestroyMenu(menu);
    return 1;
}

}  // namespace kestrap

#pragma once
// The Window seam on the real main window. Safe from the search thread: it only sends
// messages, which Windows carries out on the window's own thread.
#include <windows.h>

#include "app/Window.h"

namespace kestrap {

struct MainWindowShell;

class Win32Window final : public Window {
public:
    explicit Win32Window(MainWindowShell& shell) : shell_(shell) {}

    std::string Text(int control) override;
    void SetText(int control, std::string_view text) override;
    void Enable(int control, bool enabled) override;
    int Ask(std::string_view text, std::string_view caption, unsigned flags) override;
    void Open(std::string_view fileOrUrl) override;
    void ListInsertTop(std::string_view text) override;
    void ListAppend(std::string_view text) override;
    void ListReset() override;
    int ListSelectedIndex() override;
    int ComboCount() override;
    std::string ComboItem(int index) override;
    int ComboAdd(std::string_view text) override;
    void ComboSelect(int index) override;
    int ComboSelected() override;
    void SetProgressRange(int maximum) override;
    void SetProgress(int position) override;
    void SetTaskbarProgress(int position, int maximum) override;
    void ClearTaskbarProgress() override;
    void RestoreSize(int widthDialogUnits, int heightDialogUnits) override;
    SystemError CreateStartMenuShortcut(int folderCsidl, std::string_view linkName,
                                 std::string_view target, std::string_view workingFolder,
                                 std::string_view description) override;
    void RunOnWindowThread(const std::function<void()>& calls) override;
    void Post(std::function<void()> task) override;
    void NotifySearchEnded() override;
    bool IsInFront() override;
    void ShowNotification(std::string_view text) override;

private:
    HWND Control(int id) const;
    LRESULT Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const;

    MainWindowShell& shell_;
};

}  // namespace kestrap

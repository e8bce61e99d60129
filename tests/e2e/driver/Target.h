#pragma once
// The program under test as the driver sees it: its process, its main window and the
// message boxes it opens. Every wait is a poll with a time-out.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Owned_win.h"

namespace kestrap::e2e {

// Texts of other processes come back as UTF-16; the program's own texts are ANSI.
std::string ToAnsi(const std::wstring& wide);
std::wstring ToWide(const std::string& ansi);
// A path as the program reads one: UTF-8, or ANSI where the bytes are not UTF-8.
std::wstring PathToWide(const std::string& path);

// SendMessageW with a time-out: a program that stops answering fails the command instead
// of hanging the driver. TakeUnanswered() tells whether a message timed out since last asked.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool TakeUnanswered();

std::string WindowText(HWND window);
std::string ClassName(HWND window);

class Target {
public:
    // Starts the program from its own folder with the arguments (ANSI, as typed after the
    // program's name), its output (and a crash report) going to outputPath; false when it
    // cannot be started.
    bool Start(const std::string& exePath, const std::string& outputPath,
               const std::string& arguments = "");
    bool Started() const { return process.valid(); }
    bool Alive() const;
    // Waits for the end of the process; false on time-out. exitCode gets its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
    void Kill();

    // Waits until the main window is visible; nullptr on time-out.
    HWND WaitForMainWindow(DWORD timeoutMs);
    HWND MainWindow() const { return mainWindow; }
    HWND Control(int id) const;

    // Visible top-level dialogs of the process other than the main window: its message boxes.
    std::vector<HWND> Boxes() const;
    HWND WaitForBox(const std::string& caption, DWORD timeoutMs) const;

private:
    HWND FindMainWindow() const;

    OwnedHandle process;
    DWORD processId = 0;
    HWND mainWindow = nullptr;
};

// Polls until done() holds or the time is up; returns the last answer of done().
template <typename Done>
bool PollUntil(DWORD timeoutMs, Done done) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

}  // namespace kestrap::e2e

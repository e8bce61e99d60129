#pragma once
// What the program's logic may do to its main window. The Win32 implementation talks to
// real controls; tests use a fake that records every call and answers message boxes from
// a script. Every method may be called from the search thread as well as the UI thread;
// message boxes and the shell are used from the window's own thread only.
#include <functional>
#include <string>
#include <string_view>

#include "platform/SystemError.h"

namespace kestrap {

// Message box flags and answers, with the values of MB_* and ID* of <windows.h>.
enum BoxFlags : unsigned {
    BoxOk = 0x0,
    BoxYesNoCancel = 0x3,
    BoxYesNo = 0x4,
    BoxIconError = 0x10,
    BoxIconQuestion = 0x20,
    BoxIconWarning = 0x30,
    BoxIconInformation = 0x40,
    BoxDefaultSecond = 0x100,
};
enum BoxAnswer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

class Window {
public:
    virtual ~Window() = default;

    // text of a control (status lines, edits, the combo box's edit field, buttons)
    virtual std::string Text(int control) = 0;
    virtual void SetText(int control, std::string_view text) = 0;
    virtual void Enable(int control, bool enabled) = 0;

    // a message box without owner window; returns the answer (AnswerYes, ...)
    virtual int Ask(std::string_view text, std::string_view caption, unsigned flags) = 0;
    // the shell's "open" verb on a file or URL
    virtual void Open(std::string_view fileOrUrl) = 0;

    // results list box
    virtual void ListInsertTop(std::string_view text) = 0;
    virtual void ListAppend(std::string_view text) = 0;
    virtual void ListReset() = 0;
    virtual int ListSelectedIndex() = 0;  // the selected row, from 0; -1 when none is

    // results-file combo box; item indexes count from 0, -1 means none
    virtual int ComboCount() = 0;
    virtual std::string ComboItem(int index) = 0;
    virtual int ComboAdd(std::string_view text) = 0;  // returns the new item's index
    virtual void ComboSelect(int index) = 0;           // also shows it in the edit field
    virtual int ComboSelected() = 0;

    // progress bar
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgress(int position) = 0;

    // the taskbar button's progress, mirroring the progress bar's during a search run
    virtual void SetTaskbarProgress(int position, int maximum) = 0;
    virtual void ClearTaskbarProgress() = 0;

    // restores the outer window size, in dialog units, and lays the controls out again
    virtual void RestoreSize(int widthDialogUnits, int heightDialogUnits) = 0;

    // writes a shell link into a special folder; 0 when it was written, else the system's
    // code for why not
    virtual SystemError CreateStartMenuShortcut(int folderCsidl, std::string_view linkName,
                                         std::string_view target, std::string_view workingFolder,
                                         std::string_view description) = 0;

    // Makes `calls` (calls of this window) in one go on the window's own thread: a worker
    // thread then waits for the window once, not once per call. `calls` must not wait for
    // the worker. Without a thread of its own a window simply makes them.
    virtual void RunOnWindowThread(const std::function<void()>& calls) { calls(); }

    // Hands `task` to the window's own thread and returns without waiting: a worker computes,
    // the window's thread decides (questions, the shell). `task` may outlive the caller.
    virtual void Post(std::function<void()> task) = 0;

    // A search run has ended: its last call, made once the run's state is idle again.
    virtual void NotifySearchEnded() = 0;

    // true while the window is the one in front and not minimised
    virtual bool IsInFront() = 0;
    // Tells `text` in the notification area's balloon, titled with the program's name; a
    // click on it brings the window to the front.
    virtual void ShowNotification(std::string_view text) = 0;
};

}  // namespace kestrap

#pragma once
// A window for tests: models every control's text and enabled state, the list box, the
// combo box and the progress bar, records every call in order and answers message boxes
// from a script. Safe to call from the search thread and the test thread at once.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/Window.h"

namespace kestrap {

class FakeWindow : public Window {
public:
    struct AskCall {
        std::string text;
        std::string caption;
        unsigned flags = 0;
    };
    struct ShortcutCall {
        int folderCsidl = 0;
        std::string linkName, target, workingFolder, description;
    };
    struct Size {
        int width = 0, height = 0;
    };

    // Window
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
    // recorded as "Taskbar 3/6" and "Taskbar none"
    void SetTaskbarProgress(int position, int maximum) override;
    void ClearTaskbarProgress() override;
    void RestoreSize(int widthDialogUnits, int heightDialogUnits) override;
    SystemError CreateStartMenuShortcut(int folderCsidl, std::string_view linkName,
                                 std::string_view target, std::string_view workingFolder,
                                 std::string_view description) override;
    // makes the calls at once, as a window without a thread of its own; counted as one wait
    void RunOnWindowThread(const std::function<void()>& calls) override;
    // runs the task at once on the calling thread, recorded as "Post"
    void Post(std::function<void()> task) override;
    void NotifySearchEnded() override;
    // in front unless SetInFront(false); a notification is recorded as "Notify TEXT"
    bool IsInFront() override;
    void ShowNotification(std::string_view text) override;
    void SetInFront(bool inFront);
    std::vector<std::string> Notifications() const;

    // Script: answers for the next message boxes, in order. With the queue empty an OK
    // box gets AnswerOk and any other box AnswerCancel, unless a default answer is set.
    void QueueAnswer(int answer);
    void SetDefaultAnswer(int answer);
    // the code the next shortcuts fail with; 0 (written) unless set
    void SetShortcutError(SystemError error);

    // What a user does: pick a list line (-1 for none), type into the combo's edit field
    // (which drops its list selection, unlike SetText).
    void SelectListItem(int index);
    void TypeResultsFileName(std::string_view text);

    // Benchmarks switch the call log off: a run would otherwise measure the log's growth.
    void KeepCallLog(bool keep);

    // What happened
    bool IsEnabled(int control) const;  // controls start enabled
    std::vector<std::string> Calls() const;  // e.g. "SetText 1013 Searching..."
    void ClearCalls();
    std::vector<AskCall> Asks() const;
    std::vector<std::string> Opened() const;
    std::vector<Size> RestoredSizes() const;
    std::vector<ShortcutCall> Shortcuts() const;
    std::vector<std::string> ListItems() const;
    int ListSelected() const;
    std::vector<std::string> ComboItems() const;
    int ProgressMaximum() const;
    int ProgressPosition() const;
    // Waits until every search run started (its button turned to "Kill Search") has said
    // it ended; false when `limit` passed first.
    bool WaitUntilSearchesEnded(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // How often threads other than `except` would have waited for a window on a thread of
    // its own: every group of calls once, every call outside a group once.
    int WindowWaitsExcept(std::thread::id except) const;

private:
    // lock held; the text is made only while the call log is kept
    template <typename Describe>
    void Record(const Describe& describe) {
        CountWait();
        if (keepCallLog_) calls_.push_back(describe());
    }
    void CountWait();               // lock held

    mutable std::mutex lock_;
    std::vector<std::string> calls_;
    std::map<int, std::string> texts_;
    std::map<int, bool> enabled_;
    std::deque<int> answers_;
    int defaultAnswer_ = 0;  // 0: by the box's buttons
    SystemError shortcutError_ = 0;
    std::vector<AskCall> asks_;
    std::vector<std::string> opened_;
    std::vector<Size> restoredSizes_;
    std::vector<ShortcutCall> shortcuts_;
    std::deque<std::string> listItems_;  // a search inserts every new entry on top
    int listSelected_ = -1;
    std::vector<std::string> comboItems_;
    int comboSelected_ = -1;
    int progressMaximum_ = 100;
    int progressPosition_ = 0;
    std::map<std::thread::id, int> waits_;
    bool keepCallLog_ = true;
    int searchesStarted_ = 0;
    int searchesEnded_ = 0;
    std::condition_variable ended_;
    bool inFront_ = true;
    std::vector<std::string> notifications_;
};

}  // namespace kestrap

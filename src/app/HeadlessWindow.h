#pragma once
// A window nobody sees, for a scheduled run: it keeps the controls' texts in memory, shows
// nothing and answers no questions. Safe from the search thread and the calling thread.
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "app/Window.h"

namespace kestrap {

class HeadlessWindow final : public Window {
public:
    // `open` carries out Open (the shell's "open" verb); an empty one opens nothing
    explicit HeadlessWindow(std::function<void(std::string_view)> open = {});

    std::string Text(int control) override;
    void SetText(int control, std::string_view text) override;
    void Enable(int, bool) override {}
    // nobody is there to answer: every box counts as closed unanswered
    int Ask(std::string_view, std::string_view, unsigned) override { return AnswerCancel; }
    void Open(std::string_view fileOrUrl) override;
    void ListInsertTop(std::string_view) override {}
    void ListAppend(std::string_view) override {}
    void ListReset() override {}
    int ListSelectedIndex() override { return -1; }
    int ComboCount() override { return 0; }
    std::string ComboItem(int) override { return {}; }
    int ComboAdd(std::string_view) override { return -1; }
    void ComboSelect(int) override {}
    int ComboSelected() override { return -1; }
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void SetTaskbarProgress(int, int) override {}
    void ClearTaskbarProgress() override {}
    void RestoreSize(int, int) override {}
    // no desktop to put a shortcut on
    SystemError CreateStartMenuShortcut(int, std::string_view, std::string_view,
                                        std::string_view, std::string_view) override;
    // without a thread of its own the window runs the task at once
    void Post(std::function<void()> task) override { task(); }
    void NotifySearchEnded() override;

    // Waits until a search run has said it ended (since the last wait).
    void WaitUntilSearchEnded();

private:
    std::function<void(std::string_view)> open_;
    std::mutex lock_;
    std::map<int, std::string> texts_;
    bool searchEnded_ = false;
    std::condition_variable ended_;
};

}  // namespace kestrap

#pragma once
// A window for benchmarks: keeps control texts (the status lines are read back) and counts
// list-box lines, nothing more. A recording fake would measure its own log instead.
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "app/ControlIds.h"
#include "app/Window.h"

namespace kestrap {

class BenchWindow : public Window {
public:
    std::string Text(int control) override {
        std::lock_guard guard(lock_);
        auto found = texts_.find(control);
        return found == texts_.end() ? std::string() : found->second;
    }
    void SetText(int control, std::string_view text) override {
        std::lock_guard guard(lock_);
        texts_[control].assign(text);
        // the bottom line: the lines above receive it again as later lines scroll it up
        if (control == IDC_STATUS3 && (text == "Search Complete" || text == "Search aborted.")) {
            ++runsEnded_;
            ended_.notify_all();
        }
    }
    // Blocks until `runs` search runs in all have posted their last status line.
    void WaitForRunsEnded(int runs) {
        std::unique_lock guard(lock_);
        ended_.wait(guard, [&] { return runsEnded_ >= runs; });
    }
    void Enable(int, bool) override {}
    int Ask(std::string_view, std::string_view, unsigned) override { return AnswerOk; }
    void Open(std::string_view) override {}
    void ListInsertTop(std::string_view) override { ++lines; }
    void ListAppend(std::string_view) override { ++lines; }
    void ListReset() override { lines = 0; }
    std::string ListSelectedText() override { return {}; }
    int ComboCount() override { return 0; }
    std::string ComboItem(int) override { return {}; }
    int ComboAdd(std::string_view) override { return 0; }
    void ComboSelect(int) override {}
    int ComboSelected() override { return -1; }
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void RestoreSize(int, int) override {}
    bool CreateStartMenuShortcut(int, std::string_view, std::string_view, std::string_view,
                                 std::string_view) override {
        return false;
    }

    std::atomic<int> lines{0};

private:
    std::mutex lock_;
    std::condition_variable ended_;
    int runsEnded_ = 0;
    std::map<int, std::string> texts_;
};

}  // namespace kestrap

#include "FakeWindow.h"

#include "app/ControlIds.h"

namespace kestrap {

namespace {

// how deep the calling thread is in groups of calls
thread_local int groupDepth = 0;

}  // namespace

void FakeWindow::RunOnWindowThread(const std::function<void()>& calls) {
    {
        std::lock_guard guard(lock_);
        CountWait();
    }
    ++groupDepth;
    calls();
    --groupDepth;
}

void FakeWindow::Post(std::function<void()> task) {
    {
        std::lock_guard guard(lock_);
        Record([&] { return std::string("Post"); });
    }
    task();
}

void FakeWindow::NotifySearchEnded() {
    std::lock_guard guard(lock_);
    ++searchesEnded_;
    ended_.notify_all();
}

bool FakeWindow::IsInFront() {
    std::lock_guard guard(lock_);
    return inFront_;
}

void FakeWindow::ShowNotification(std::string_view text) {
    std::lock_guard guard(lock_);
    Record([&] { return "Notify " + std::string(text); });
    notifications_.emplace_back(text);
}

void FakeWindow::SetInFront(bool inFront) {
    std::lock_guard guard(lock_);
    inFront_ = inFront;
}

std::vector<std::string> FakeWindow::Notifications() const {
    std::lock_guard guard(lock_);
    return notifications_;
}

bool FakeWindow::WaitUntilSearchesEnded(std::chrono::milliseconds limit) {
    std::unique_lock guard(lock_);
    return ended_.wait_for(guard, limit, [&] { return searchesEnded_ >= searchesStarted_; });
}

int FakeWindow::WindowWaitsExcept(std::thread::id except) const {
    std::lock_guard guard(lock_);
    int waits = 0;
    for (const auto& [thread, count] : waits_)
        if (thread != except) waits += count;
    return waits;
}

void FakeWindow::CountWait() {
    if (groupDepth == 0) ++waits_[std::this_thread::get_id()];
}

std::string FakeWindow::Text(int control) {
    std::lock_guard guard(lock_);
    CountWait();
    auto found = texts_.find(control);
    return found == texts_.end() ? std::string() : found->second;
}

void FakeWindow::SetText(int control, std::string_view text) {
    std::lock_guard guard(lock_);
    texts_[control] = std::string(text);
    if (control == IDC_SEARCH && text == "Kill Search") ++searchesStarted_;
    Record([&] { return "SetText " + std::to_string(control) + " " + std::string(text); });
}

void FakeWindow::Enable(int control, bool enabled) {
    std::lock_guard guard(lock_);
    enabled_[control] = enabled;
    Record([&] { return "Enable " + std::to_string(control) + (enabled ? " on" : " off"); });
}

int FakeWindow::Ask(std::string_view text, std::string_view caption, unsigned flags) {
    std::lock_guard guard(lock_);
    asks_.push_back({std::string(text), std::string(caption), flags});
    Record([&] { return "Ask " + std::string(caption) + ": " + std::string(text); });
    if (!answers_.empty()) {
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if (defaultAnswer_ != 0) return defaultAnswer_;
    return (flags & 0xF) == BoxOk ? AnswerOk : AnswerCancel;
}

void FakeWindow::Open(std::string_view fileOrUrl) {
    std::lock_guard guard(lock_);
    opened_.emplace_back(fileOrUrl);
    Record([&] { return "Open " + std::string(fileOrUrl); });
}

void FakeWindow::ListInsertTop(std::string_view text) {
    std::lock_guard guard(lock_);
    listItems_.emplace_front(text);
    // the selection stays on its line, which moves down by one
    if (listSelected_ >= 0) ++listSelected_;
    Record([&] { return "ListInsertTop " + std::string(text); });
}

void FakeWindow::ListAppend(std::string_view text) {
    std::lock_guard guard(lock_);
    listItems_.emplace_back(text);
    Record([&] { return "ListAppend " + std::string(text); });
}

void FakeWindow::ListReset() {
    std::lock_guard guard(lock_);
    listItems_.clear();
    listSelected_ = -1;
    Record([&] { return std::string("ListReset"); });
}

int FakeWindow::ListSelectedIndex() {
    std::lock_guard guard(lock_);
    Record([&] { return std::string("ListSelectedIndex"); });
    return listSelected_ >= 0 && listSelected_ < static_cast<int>(listItems_.size()) ? listSelected_ : -1;
}

int FakeWindow::ComboCount() {
    std::lock_guard guard(lock_);
    return static_cast<int>(comboItems_.size());
}

std::string FakeWindow::ComboItem(int index) {
    std::lock_guard guard(lock_);
    if (index < 0 || index >= static_cast<int>(comboItems_.size())) return {};
    return comboItems_[index];
}

int FakeWindow::ComboAdd(std::string_view text) {
    std::lock_guard guard(lock_);
    comboItems_.emplace_back(text);
    Record([&] { return "ComboAdd " + std::string(text); });
    return static_cast<int>(comboItems_.size()) - 1;
}

void FakeWindow::ComboSelect(int index) {
    std::lock_guard guard(lock_);
    Record([&] { return "ComboSelect " + std::to_string(index); });
    // like CB_SETCURSEL: an index outside the items clears the selection and the edit field
    if (index < 0 || index >= static_cast<int>(comboItems_.size())) {
        comboSelected_ = -1;
        texts_[IDC_RESULTS_FILE].clear();
        return;
    }
    comboSelected_ = index;
    texts_[IDC_RESULTS_FILE] = comboItems_[index];
}

int FakeWindow::ComboSelected() {
    std::lock_guard guard(lock_);
    return comboSelected_;
}

void FakeWindow::SetProgressRange(int maximum) {
    std::lock_guard guard(lock_);
    progressMaximum_ = maximum;
    Record([&] { return "SetProgressRange " + std::to_string(maximum); });
}

void FakeWindow::SetProgress(int position) {
    std::lock_guard guard(lock_);
    progressPosition_ = position;
    Record([&] { return "SetProgress " + std::to_string(position); });
}

void FakeWindow::SetTaskbarProgress(int position, int maximum) {
    std::lock_guard guard(lock_);
    Record([&] {
        return "Taskbar " + std::to_string(position) + "/" + std::to_string(maximum);
    });
}

void FakeWindow::ClearTaskbarProgress() {
    std::lock_guard guard(lock_);
    Record([&] { return std::string("Taskbar none"); });
}

void FakeWindow::RestoreSize(int widthDialogUnits, int heightDialogUnits) {
    std::lock_guard guard(lock_);
    restoredSizes_.push_back({widthDialogUnits, heightDialogUnits});
    Record([&] {
        return "RestoreSize " + std::to_string(widthDialogUnits) + " " +
               std::to_string(heightDialogUnits);
    });
}

SystemError FakeWindow::CreateStartMenuShortcut(int folderCsidl, std::string_view linkName,
                                                std::string_view target,
                                                std::string_view workingFolder,
                                                std::string_view description) {
    std::lock_guard guard(lock_);
    shortcuts_.push_back({folderCsidl, std::string(linkName), std::string(target),
                          std::string(workingFolder), std::string(description)});
    Record([&] {
        return "CreateStartMenuShortcut " + std::to_string(folderCsidl) + " " +
               std::string(linkName);
    });
    return shortcutError_;
}

void FakeWindow::QueueAnswer(int answer) {
    std::lock_guard guard(lock_);
    answers_.push_back(answer);
}

void FakeWindow::SetDefaultAnswer(int answer) {
    std::lock_guard guard(lock_);
    defaultAnswer_ = answer;
}

void FakeWindow::SetShortcutError(SystemError error) {
    std::lock_guard guard(lock_);
    shortcutError_ = error;
}

void FakeWindow::SelectListItem(int index) {
    std::lock_guard guard(lock_);
    listSelected_ = index < static_cast<int>(listItems_.size()) ? index : -1;
}

void FakeWindow::TypeResultsFileName(std::string_view text) {
    std::lock_guard guard(lock_);
    texts_[IDC_RESULTS_FILE] = std::string(text);
    comboSelected_ = -1;
}

bool FakeWindow::IsEnabled(int control) const {
    std::lock_guard guard(lock_);
    auto found = enabled_.find(control);
    return found == enabled_.end() || found->second;
}

std::vector<std::string> FakeWindow::Calls() const {
    std::lock_guard guard(lock_);
    return calls_;
}

void FakeWindow::ClearCalls() {
    std::lock_guard guard(lock_);
    calls_.clear();
}

std::vector<FakeWindow::AskCall> FakeWindow::Asks() const {
    std::lock_guard guard(lock_);
    return asks_;
}

std::vector<std::string> FakeWindow::Opened() const {
    std::lock_guard guard(lock_);
    return opened_;
}

std::vector<FakeWindow::Size> FakeWindow::RestoredSizes() const {
    std::lock_guard guard(lock_);
    return restoredSizes_;
}

std::vector<FakeWindow::ShortcutCall> FakeWindow::Shortcuts() const {
    std::lock_guard guard(lock_);
    return shortcuts_;
}

std::vector<std::string> FakeWindow::ListItems() const {
    std::lock_guard guard(lock_);
    return {listItems_.begin(), listItems_.end()};
}

int FakeWindow::ListSelected() const {
    std::lock_guard guard(lock_);
    return listSelected_;
}

std::vector<std::string> FakeWindow::ComboItems() const {
    std::lock_guard guard(lock_);
    return comboItems_;
}

int FakeWindow::ProgressMaximum() const {
    std::lock_guard guard(lock_);
    return progressMaximum_;
}

int FakeWindow::ProgressPosition() const {
    std::lock_guard guard(lock_);
    return progressPosition_;
}

void FakeWindow::KeepCallLog(bool keep) {
    std::lock_guard guard(lock_);
    keepCallLog_ = keep;
}


}  // namespace kestrap

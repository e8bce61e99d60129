#include "app/HeadlessWindow.h"

#include <utility>

namespace kestrap {

HeadlessWindow::HeadlessWindow(std::function<void(std::string_view)> open)
    : open_(std::move(open)) {}

std::string HeadlessWindow::Text(int control) {
    std::lock_guard guard(lock_);
    auto found = texts_.find(control);
    return found == texts_.end() ? std::string() : found->second;
}

void HeadlessWindow::SetText(int control, std::string_view text) {
    std::lock_guard guard(lock_);
    texts_[control] = std::string(text);
}

void HeadlessWindow::Open(std::string_view fileOrUrl) {
    if (open_) open_(fileOrUrl);
}

SystemError HeadlessWindow::CreateStartMenuShortcut(int, std::string_view, std::string_view,
                                                    std::string_view, std::string_view) {
    // Windows' ERROR_NOT_SUPPORTED: a run without a window makes no shortcut
    constexpr SystemError NotSupported = 50;
    return NotSupported;
}

void HeadlessWindow::NotifySearchEnded() {
    std::lock_guard guard(lock_);
    searchEnded_ = true;
    ended_.notify_all();
}

void HeadlessWindow::WaitUntilSearchEnded() {
    std::unique_lock guard(lock_);
    ended_.wait(guard, [&] { return searchEnded_; });
    searchEnded_ = false;
}

}  // namespace kestrap

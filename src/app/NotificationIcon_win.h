#pragma once
// The program's icon in the notification area with a balloon beside it (a toast on
// Windows 10 and 11). The icon tells its owner window of clicks through a message of the
// owner's choosing; nobody else removes it, so it is removed here, at the latest when this
// object ends.
#include <windows.h>

#include <chrono>
#include <string_view>

namespace kestrap {

// the longest an icon stays once its balloon was shown
constexpr std::chrono::milliseconds NotificationIconTime{std::chrono::seconds(60)};

class NotificationIcon {
public:
    NotificationIcon() = default;
    NotificationIcon(const NotificationIcon&) = delete;
    NotificationIcon& operator=(const NotificationIcon&) = delete;
    ~NotificationIcon() { Remove(); }

    // Shows the icon with `text` in its balloon, or gives a shown icon the new text; the
    // owner gets `callbackMessage` for what happens to them. False when the notification
    // area refused.
    bool Show(HWND owner, UINT callbackMessage, std::string_view text);
    void Remove();
    bool Shown() const { return shown_; }

    // what a callback message's lParam tells
    static bool IsClick(LPARAM lParam);         // on the icon or the balloon
    static bool IsBalloonGone(LPARAM lParam);   // timed out or closed by its button

private:
    HWND owner_ = nullptr;
    bool shown_ = false;
};

// Shows `text` with an icon of its own (owned by a message-only window) until the icon or
// the balloon is clicked, or `limit` has passed, then removes it. True when it was clicked.
bool ShowNotificationUntilClicked(std::string_view text, std::chrono::milliseconds limit);

}  // namespace kestrap

#pragma once
// When new ads are told in the notification area, and with what text. The Win32 side shows
// the balloon; these decide.
#include <string>
#include <string_view>

namespace kestrap {

struct AppState;
struct RunEnded;
struct ScheduledRunResult;
class Window;

// the balloon's title
constexpr std::string_view NotificationTitle = "Orvane Kestrap";

// "3 new ads in kestrap.html"
std::string NewAdsText(int newAds, std::string_view resultsFile);

// What a scheduled run shows once it has ended: the text for new ads that it saved; empty
// for nothing (no new ads, a run or save that failed, or /quiet).
std::string ScheduledRunNotification(const ScheduledRunResult& result, bool quiet);

// A window search has ended: new ads found while the user looked elsewhere (the window not
// in front, or minimised) are told; an aborted run was stopped by the user and tells nothing.
void NotifyNewAdsBehind(Window& window, const RunEnded& end);

}  // namespace kestrap

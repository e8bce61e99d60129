#pragma once
// The settings at start and after Save: the recent-files drop-down, the results file to
// open, the window size and the one-time Start-menu offer.
#include <string_view>

namespace kestrap {

struct AppState;
class Window;

void LoadSettings(AppState& state, Window& window);
// a failed write is reported in a message box
bool SaveSettings(AppState& state, Window& window);
int SelectRecentName(Window& window, std::string_view name);

}  // namespace kestrap

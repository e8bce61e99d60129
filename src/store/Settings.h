#pragma once
// The settings file kestrap.ini and the recent-files drop-down.
#include <string>
#include <string_view>

namespace kestrap {

struct AppState;
class Window;

void LoadSettings(AppState& state, Window& window);
// a failed write is reported in a message box
bool SaveSettings(AppState& state, Window& window);
int SelectRecentName(Window& window, std::string_view name);

}  // namespace kestrap

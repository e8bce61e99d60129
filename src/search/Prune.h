#pragma once
#include <string>
#include <string_view>

namespace kestrap {

struct AppState;
class Window;

// Today's date (MM-DD-YYYY) moved back two calendar months, written YYYY-MM-DD.
std::string PruneCutoff(std::string_view localDateText);
void PruneOldResults(AppState& state, Window& window);

}  // namespace kestrap

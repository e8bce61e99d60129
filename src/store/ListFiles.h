#pragma once
// The term and city list files that travel with each results file.
#include <string>
#include <string_view>

namespace kestrap {

struct AppState;
class Window;

std::string ListBaseName(std::string_view resultsFileName);
void LoadSearchLists(AppState& state, Window& window, std::string_view baseName);
// false when a file could not be written
bool SaveSearchLists(AppState& state, Window& window, std::string_view baseName);

}  // namespace kestrap

#pragma once
// The term and city list files that travel with each results file.
#include <string>
#include <string_view>
#include <vector>

namespace kestrap {

struct AppState;
class Window;

std::string ListBaseName(std::string_view resultsFileName);
// Fills the term box, then the city box, from the base name's files, else the defaults,
// else the placeholders.
void LoadSearchLists(AppState& state, Window& window, std::string_view baseName);
// Writes the city box, then the term box, exactly as they hold their text. False when a
// file could not be written; its path is then added to `failedFiles` when given.
bool SaveSearchLists(AppState& state, Window& window, std::string_view baseName,
                     std::vector<std::string>* failedFiles = nullptr);

}  // namespace kestrap

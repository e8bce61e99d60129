#pragma once
// The steps of Load and Save that fill the window from files and write files from it.
#include <string>
#include <string_view>
#include <vector>

namespace kestrap {

struct AppState;
class Window;

// Fills the list (and the list box) from the results file, then the term and city boxes
// from its list files.
void LoadResultsFile(AppState& state, Window& window, std::string_view name);
// Fills the term box, then the city box, from the base name's files, else the defaults,
// else the placeholders.
void LoadSearchLists(AppState& state, Window& window, std::string_view baseName);
// Writes the city box, then the term box, exactly as they hold their text. False when a
// file could not be written; its path is then added to `failedFiles` when given.
bool SaveSearchLists(AppState& state, Window& window, std::string_view baseName,
                     std::vector<std::string>* failedFiles = nullptr);
// false when the file could not be written; the old file is then unchanged
bool SaveResultsFile(AppState& state, const std::string& path);

}  // namespace kestrap

#pragma once
// The HTML results file: the program's store and the report the user reads.
#include <string>
#include <string_view>

namespace kestrap {

struct AppState;
class Window;

// The file's bytes for the current list, in list order.
std::string ResultsFileText(const AppState& state);
void LoadResultsFile(AppState& state, Window& window, std::string_view name);
// false when the file could not be written; the old file is then unchanged
bool SaveResultsFile(AppState& state, const std::string& path);

}  // namespace kestrap

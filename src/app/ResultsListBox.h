#pragma once
// The results list as the window shows it: each change of the list made together with the
// list box's.
#include <string_view>

namespace kestrap {

struct AppState;
class Window;

// true when an entry's stripped link equals the stripped `link` byte for byte
bool FindResultByLink(const AppState& state, std::string_view link);
// tags NEW, raises the flags, shows it at the top of the list box; false when the list is full
bool AddNewResult(AppState& state, Window& window, std::string_view date, std::string_view title,
                  std::string_view link);
void ResetResults(AppState& state, Window& window);
// appends an entry read from a file; false when the list is full
bool AppendLoadedResult(AppState& state, Window& window, std::string_view entry);
void SortResultsNewestFirst(AppState& state);
void ClearResults(AppState& state, Window& window);
void OpenResultLink(Window& window);

}  // namespace kestrap

#pragma once
// The results list as the window shows it: each change of the list made together with the
// list box's, so that the list knows the entry of every row. The rows change on the
// window's thread only (a worker groups its calls with RunOnWindowThread).
#include <string_view>

namespace kestrap {

struct AppState;
struct ResultEntry;
class Window;

// true when the list holds an entry for a feed's link (compared as EntryLink makes it)
bool FindResultByLink(const AppState& state, std::string_view link);
// A listed entry in a new first row of the list box, its text cut as the box holds it;
// nothing when the list does not hold it.
void ShowResultAtTop(AppState& state, Window& window, const ResultEntry& entry);
// Adds an entry a search found, raises the flags and shows it at the top of the list box;
// false when the list is full.
bool AddNewResult(AppState& state, Window& window, const ResultEntry& entry);
void ResetResults(AppState& state, Window& window);
// appends an entry read from a file to the list and the box; false when the list is full
bool AppendLoadedResult(AppState& state, Window& window, const ResultEntry& entry);
void SortResultsNewestFirst(AppState& state);
// the list box shows the whole list again, in list order
void RefillResultsBox(AppState& state, Window& window);
void ClearResults(AppState& state, Window& window);
// the link of the entry in the selected row, given to the shell when it is a web address
void OpenResultLink(const AppState& state, Window& window);

}  // namespace kestrap

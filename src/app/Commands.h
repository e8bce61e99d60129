#pragma once
// What the main window's commands do, free of Win32: the dialog procedure maps messages
// to these calls.
#include <string>

namespace kestrap {

struct AppState;
class Window;

// The results-file name: the selected drop-down item, else the edit text, stripped.
std::string ResultsFileName(Window& window);

void LoadCommand(AppState& state, Window& window);
void SaveCommand(AppState& state, Window& window);
void RecentPickCommand(AppState& state, Window& window);
void DeleteAllCommand(AppState& state, Window& window);  // refused while a search runs
void DeleteOldCommand(AppState& state, Window& window);  // refused while a search runs
// Removes the entries older than two months and reports how many went.
void PruneOldResults(AppState& state, Window& window);

// Close request: asks when results are unsaved; true when the window may close (the
// settings have then been written).
bool CloseCommand(AppState& state, Window& window);

}  // namespace kestrap

#pragma once
// The window's side of a search run: the Search button starts and kills it, and the run's
// events become the status lines, the progress bar, the taskbar button and the list box.
#include "run/SearchEngine.h"

namespace kestrap {

struct AppState;
class Window;

// The search options that the state holds.
SearchOptions SearchOptionsOf(const AppState& state);

// The Search button: starts a run when idle, requests an abort when running.
void PressSearchButton(AppState& state, Window& window);
void StartSearch(AppState& state, Window& window);
void RequestSearchAbort(AppState& state);
// Asks a run still going to stop and waits until its threads have ended (within the stop's
// grace time); for the end of the window.
void EndSearch(AppState& state);

}  // namespace kestrap

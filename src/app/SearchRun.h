#pragma once
// The search run: start and abort on the UI thread, RunSearch on a thread of its own.

namespace kestrap {

struct AppState;
class Window;

// The Search button: starts a run when idle, requests an abort when running.
void PressSearchButton(AppState& state, Window& window);
void StartSearch(AppState& state, Window& window);
void RequestSearchAbort(AppState& state);
void RunSearch(AppState& state, Window& window);  // the worker's body

}  // namespace kestrap

#pragma once
// The search run: start and abort on the UI thread, RunSearch on a thread of its own.
#include <string>
#include <string_view>

namespace kestrap {

struct AppState;
class Window;

void PostStatus(Window& window, std::string_view message);
void AppendStatus(Window& window, std::string_view text);

// The Search button: starts a run when idle, requests an abort when running.
void PressSearchButton(AppState& state, Window& window);
void StartSearch(AppState& state, Window& window);
void RequestSearchAbort(AppState& state);
void RunSearch(AppState& state, Window& window);  // the worker's body

// "section,term" or "term" split into its section and term
struct TermLine {
    std::string section;
    std::string term;
};
TermLine SplitTermLine(std::string_view line);

}  // namespace kestrap

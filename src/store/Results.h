#pragma once
// The results list: entry texts "date || title || link[ || NEW]" and their operations.
#include <string>
#include <string_view>
#include <vector>

namespace kestrap {

struct AppState;
class Window;

constexpr int MaxResults = 10000;

// Field n (from 1) of an entry split at "||", blanks stripped; empty beyond the last.
std::string_view ResultField(std::string_view entry, int n);
bool IsTaggedNew(std::string_view entry);
// A feed text as an entry field holds it: every "||" inside is broken up ("| |"), so that
// the field keeps its place when the entry is split.
std::string EntryFieldText(std::string_view text);
void AppendEntryField(std::string& entry, std::string_view text);

// The entries with an index by stripped link. It guards itself: the search thread appends
// while the UI thread may read the count; no caller holds its lock while calling the window.
class ResultsList;  // defined in store/ResultsList.h

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

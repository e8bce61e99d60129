#include "app/ResultsListBox.h"

#include <optional>
#include <string>

#include "app/State.h"
#include "app/Window.h"
#include "common/WebAddress.h"
#include "store/ResultEntry.h"

namespace kestrap {

namespace {

constexpr size_t ListBoxTextLimit = 511;

}  // namespace

// Feeds may wrap a link in blanks or put "||" inside it: looked up unchanged, such an ad
// would come back as new at every search.
bool FindResultByLink(const AppState& state, std::string_view link) {
    return state.results.ContainsLink(EntryLink(link));
}

void ShowResultAtTop(AppState& state, Window& window, const ResultEntry& entry) {
    if (!state.results.ShowAtTop(entry)) return;
    const std::string text = EntryText(entry);
    window.ListInsertTop(std::string_view(text).substr(0, ListBoxTextLimit));
}

bool AddNewResult(AppState& state, Window& window, const ResultEntry& entry) {
    if (!state.results.Add(entry)) return false;
    state.unsavedResults = 1;
    ++state.newResultsFound;
    ShowResultAtTop(state, window, entry);
    return true;
}

void ResetResults(AppState& state, Window& window) {
    state.results.Clear();
    window.ListReset();
}

bool AppendLoadedResult(AppState& state, Window& window, const ResultEntry& entry) {
    if (!state.results.AddAsLastRow(entry)) return false;
    window.ListAppend(EntryText(entry));
    return true;
}

void SortResultsNewestFirst(AppState& state) {
    state.results.SortDescending();
}

void RefillResultsBox(AppState& state, Window& window) {
    // in one go on the window's thread
    window.RunOnWindowThread([&] {
        window.ListReset();
        for (const ResultEntry& entry : state.results.Entries()) window.ListAppend(EntryText(entry));
        state.results.ShowInListOrder();
    });
}

void ClearResults(AppState& state, Window& window) {
    state.results.Clear();
    window.ListReset();
    window.Ask("List cleared. You can save your fresh results after your next search.",
               "List cleared", BoxOk | BoxIconInformation);
}

void OpenResultLink(const AppState& state, Window& window) {
    const int row = window.ListSelectedIndex();
    if (row < 0) return;
    const std::optional<ResultEntry> entry = state.results.EntryAtRow(row);
    if (!entry) return;
    if (IsWebAddress(entry->link)) {
        window.Open(entry->link);
        return;
    }
    // anything else would be run or opened as a file by the shell
    window.Ask("The link of this entry is not a web address and was not opened.",
               "Link not opened", BoxOk | BoxIconWarning);
}

}  // namespace kestrap

#include "app/ResultsListBox.h"

#include <string>

#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "search/FeedText.h"
#include "store/ResultEntry.h"

namespace kestrap {

namespace {

constexpr size_t ListBoxTextLimit = 511;

}  // namespace

// Feeds may wrap a link in blanks, while an entry's link field is always read stripped:
// compared unstripped, such an ad would come back as new at every search.
bool FindResultByLink(const AppState& state, std::string_view link) {
    return state.results.ContainsLink(StripBlanks(link));
}

bool AddNewResult(AppState& state, Window& window, std::string_view date, std::string_view title,
                  std::string_view link) {
    const std::string entry = NewEntryText(date, title, link);
    if (!state.results.Append(entry)) return false;
    state.unsavedResults = 1;
    ++state.newResultsFound;
    window.ListInsertTop(std::string_view(entry).substr(0, ListBoxTextLimit));
    return true;
}

void ResetResults(AppState& state, Window& window) {
    state.results.Clear();
    window.ListReset();
}

bool AppendLoadedResult(AppState& state, Window& window, std::string_view entry) {
    if (!state.results.Append(entry)) return false;
    window.ListAppend(entry);
    return true;
}

void SortResultsNewestFirst(AppState& state) {
    state.results.SortDescending();
}

void ClearResults(AppState& state, Window& window) {
    state.results.Clear();
    window.ListReset();
    window.Ask("List cleared. You can save your fresh results after your next search.",
               "List cleared", BoxOk | BoxIconInformation);
}

void OpenResultLink(Window& window) {
    std::string line = window.ListSelectedText();
    if (line.empty()) return;
    std::string_view link = ResultField(line, 3);
    if (IsWebAddress(link)) {
        window.Open(link);
        return;
    }
    // anything else would be run or opened as a file by the shell
    window.Ask("The link of this entry is not a web address and was not opened.",
               "Link not opened", BoxOk | BoxIconWarning);
}

}  // namespace kestrap

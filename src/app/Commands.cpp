#include "app/Commands.h"

#include <string>
#include <vector>

#include "app/ResultsListBox.h"
#include "app/SettingsSteps.h"
#include "app/State.h"
#include "app/Window.h"
#include "common/DateText.h"
#include "common/Text.h"
#include "store/Prune.h"
#include "store/ResultEntry.h"

namespace kestrap {

// The list's menu commands are greyed during a run; refusing them here as well keeps a
// late command from replacing the list under the worker's appends.
void DeleteAllCommand(AppState& state, Window& window) {
    if (state.searchState != SearchIdle) return;
    ClearResults(state, window);
}

void DeleteOldCommand(AppState& state, Window& window) {
    if (state.searchState != SearchIdle) return;
    PruneOldResults(state, window);
}

void PruneOldResults(AppState& state, Window& window) {
    std::string cutoff = PruneCutoff(LocalDateText(state.clock->Now()));
    std::vector<ResultEntry> entries = state.results.Entries();
    const int removed = RemoveEntriesBefore(entries, cutoff);
    if (removed == 0) {
        window.Ask("No items older than two months (" + cutoff + ") found.", "Not needed",
                   BoxOk | BoxIconInformation);
        return;
    }
    state.results.Replace(std::move(entries));
    SortResultsNewestFirst(state);
    RefillResultsBox(state, window);
    window.Ask("Found and cleared " + FormatPlain(removed) + " item(s) older than two months (" +
                   cutoff + ") found.",
               "List cleared", BoxOk | BoxIconInformation);
}

bool CloseCommand(AppState& state, Window& window) {
    if (state.unsavedResults == 1) {
        int answer = window.Ask(
            "You have unsaved results. Are you sure you want to exit without saving?",
            "Really exit?", BoxYesNo | BoxIconQuestion);
        if (answer != AnswerYes) return false;
    }
    // a settings file that cannot be written is reported there; it does not keep the
    // window open
    SaveSettings(state, window);
    return true;
}

}  // namespace kestrap

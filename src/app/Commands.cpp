#include "app/Commands.h"

#include "app/State.h"
#include "app/Window.h"
#include "search/Prune.h"
#include "store/Results.h"
#include "store/Settings.h"

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

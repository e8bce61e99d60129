#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/ControlIds.h"
#include "app/FileSteps.h"
#include "app/ResultsListBox.h"
#include "app/SettingsSteps.h"
#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "platform/Paths.h"
#include "store/ListFiles.h"
#include "store/ResultsFile.h"
#include "store/Settings.h"

namespace kestrap {
namespace {

// The drop-down holds item texts of at most this length.
constexpr size_t MaxResultsFileName = MaxRecentName;

// Typed names get ".html" unless they already end in ".html" or ".htm", in any case; a
// completed name is selected in the drop-down so that it shows what is used.
std::string CompleteResultsFileName(Window& window, std::string name) {
    std::string completed = ResultsFileNameWithEnding(name);
    if (completed != name && completed.size() <= MaxResultsFileName)
        SelectRecentName(window, completed);
    return completed;
}

bool RefuseLongName(Window& window, const std::string& name) {
    if (name.size() <= MaxResultsFileName) return false;
    window.Ask("The results file name is too long. Please use a name of at most 199 characters.",
               "File name too long", BoxOk | BoxIconError);
    return true;
}

// Replacing a results file of which the last load read only a part, or nothing, would drop
// the entries the list never got; that needs the user's yes.
bool MayReplace(const AppState& state, Window& window, const std::string& name,
                const std::string& path) {
    if (LowerCase(path) != state.partlyReadResultsFile) return true;
    return window.Ask("Kestrap could not read all of " + name +
                          " when it was loaded, so some of its entries are not in the list. "
                          "Saving replaces the file with the list as it is now, and those "
                          "entries are lost. Save anyway?",
                      "Replace results file?",
                      BoxYesNo | BoxIconWarning | BoxDefaultSecond) == AnswerYes;
}

std::string JoinedNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const auto& name : names) joined.append(joined.empty() ? "" : ", ").append(name);
    return joined;
}

}  // namespace

std::string ResultsFileName(Window& window) {
    int selected = window.ComboSelected();
    std::string name = selected >= 0 ? std::string(StripBlanks(window.ComboItem(selected)))
                                     : std::string();
    if (name.empty()) name = StripBlanks(window.Text(IDC_RESULTS_FILE));
    return name;
}

void LoadCommand(AppState& state, Window& window) {
    if (state.searchState != SearchIdle) return;
    std::string name = ResultsFileName(window);
    if (name.empty()) return;
    name = CompleteResultsFileName(window, std::move(name));
    if (RefuseLongName(window, name)) return;
    state.recentFiles = name + "," + state.recentFiles;
    state.unsavedResults = 0;
    LoadResultsFile(state, window, name);
}

void SaveCommand(AppState& state, Window& window) {
    if (state.searchState != SearchIdle) return;
    if (state.newResultsFound == 0) {
        window.Ask("You haven't found anything to save!", "Search first", BoxOk | BoxIconError);
        return;
    }
    std::string name = ResultsFileName(window);
    if (name.empty()) {
        name = DefaultResultsFile;
        SelectRecentName(window, name);
    }
    name = CompleteResultsFileName(window, std::move(name));
    if (RefuseLongName(window, name)) return;
    const std::string path = JoinPath(state.programFolder, name);
    if (!MayReplace(state, window, name, path)) return;
    // the question leaves the window usable: a search started meanwhile holds Save back
    if (state.searchState != SearchIdle) return;
    state.recentFiles = name + "," + state.recentFiles;

    std::vector<std::string> failed;
    SaveSearchLists(state, window, ListBaseName(name), &failed);
    SortResultsNewestFirst(state);
    SystemError error = 0;
    if (SaveResultsFile(state, path, &error)) {
        if (LowerCase(path) == state.partlyReadResultsFile) state.partlyReadResultsFile.clear();
    } else {
        failed.push_back(FailedFileText(path, error));
    }
    // the results may be on disk although a list file failed, but only a Save that wrote
    // everything counts as saved
    state.unsavedResults = failed.empty() ? 0 : 1;
    SaveSettings(state, window);
    if (!failed.empty()) {
        window.Ask("Kestrap could not write " + JoinedNames(failed) +
                       ". Your results are not saved completely. Please check that the folder "
                       "is writable and the files are not read-only.",
                   "Save failed", BoxOk | BoxIconError);
        return;
    }
    window.Open(path);
}

void RecentPickCommand(AppState& state, Window& window) {
    if (state.searchState != SearchIdle) return;
    int selected = window.ComboSelected();
    if (selected < 0) return;
    std::string name(StripBlanks(window.ComboItem(selected)));
    if (name.empty()) return;
    state.unsavedResults = 0;
    LoadResultsFile(state, window, name);
}

}  // namespace kestrap

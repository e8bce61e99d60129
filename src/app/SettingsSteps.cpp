#include "app/SettingsSteps.h"

#include <string>

#include "app/Commands.h"
#include "app/FileSteps.h"
#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"
#include "store/Settings.h"

namespace kestrap {
namespace {

constexpr int CsidlPrograms = 2;

void ShowRecentFiles(AppState& state, Window& window, std::string_view value) {
    state.recentFiles = RecentFilesOf(value);
    std::string_view names = state.recentFiles;
    for (;;) {
        size_t comma = names.find(',');
        window.ComboAdd(names.substr(0, comma));
        if (comma == std::string_view::npos) break;
        names.remove_prefix(comma + 1);
    }
}

void ApplySettingsLine(AppState& state, Window& window, std::string_view key,
                       std::string_view value) {
    if (key == "recent") {
        ShowRecentFiles(state, window, value);
    } else if (key == "dialogx") {
        state.dialogWidth = DialogUnitsOf(value);
    } else if (key == "dialogy") {
        state.dialogHeight = DialogUnitsOf(value);
    } else if (key == "startmenu") {
        state.startMenuState = LowerCase(value);
    } else if (key == "results") {
        // a name the drop-down cannot hold is not taken: Save would then write elsewhere
        if (value.empty() || value.size() > MaxRecentName || value == ResultsFileName(window)) return;
        SelectRecentName(window, value);
        LoadResultsFile(state, window, value);
    }
}

void AskForStartMenuShortcut(AppState& state, Window& window) {
    int answer = window.Ask(
        "Would you like to add Kestrap to your start menu? Select 'yes' to do so, 'no' not to, "
        "or 'cancel' to ask again later.",
        "Start Menu?", BoxYesNoCancel | BoxIconQuestion);
    if (answer == AnswerYes) {
        const SystemError error = window.CreateStartMenuShortcut(
            CsidlPrograms, "Orvane Kestrap.lnk", state.programFolder + "kestrap.exe",
            state.programFolder, "Run the Orvane Kestrap");
        // the offer counts as answered either way: the user can make a shortcut by hand
        state.startMenuState = "done";
        if (error != 0) {
            window.Ask("Kestrap could not add its shortcut to the Start menu (" +
                           SystemMessage(error) + ").",
                       "Shortcut not added", BoxOk | BoxIconWarning);
        }
    } else if (answer == AnswerNo) {
        state.startMenuState = "done";
    } else {
        state.startMenuState = "later";
    }
}

}  // namespace

void LoadSettings(AppState& state, Window& window) {
    std::string path = state.programFolder + std::string(SettingsFileName);
    std::string bytes;
    bool cut = false;
    if (FileExists(path) && ReadFileStart(path, bytes, MaxSettingsBytes, cut)) {
        std::string_view rest = bytes;
        std::string key;
        std::string_view value;
        while (NextSettingsLine(rest, key, value)) ApplySettingsLine(state, window, key, value);
    }
    int selected = window.ComboSelected();
    if (selected < 0 || window.ComboItem(selected).empty()) {
        SelectRecentName(window, DefaultResultsFile);
        LoadResultsFile(state, window, DefaultResultsFile);
    }
    if (LowerCase(state.startMenuState) != "done") AskForStartMenuShortcut(state, window);
    if (state.dialogWidth != 0 && state.dialogHeight != 0) {
        window.RestoreSize(state.dialogWidth, state.dialogHeight);
    }
}

bool SaveSettings(AppState& state, Window& window) {
    SettingsValues values{state.recentFiles, ResultsFileName(window), state.startMenuState,
                          state.dialogWidth, state.dialogHeight};
    std::string path = state.programFolder + std::string(SettingsFileName);
    SystemError error = 0;
    if (WriteFileAtomically(path, SettingsFileText(values, *state.clock), &error)) return true;
    window.Ask("Kestrap could not write its settings to " + PathForDisplay(path) + " (" +
                   SystemMessage(error) + "). The recent files, the window size and the "
                   "results file to open at the next start are not kept.",
               "Settings not saved", BoxOk | BoxIconError);
    return false;
}

int SelectRecentName(Window& window, std::string_view name) {
    if (name.size() > MaxRecentName) return -1;
    for (int i = window.ComboCount() - 1; i >= 0; --i) {
        if (StripBlanks(window.ComboItem(i)) == name) {
            window.ComboSelect(i);
            return i;
        }
    }
    // selecting the added item directly: a name with outer blanks never equals a stripped item
    int added = window.ComboAdd(name);
    window.ComboSelect(added);
    return added;
}

}  // namespace kestrap

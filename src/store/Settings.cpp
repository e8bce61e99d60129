#include "store/Settings.h"

#include "app/Commands.h"
#include "app/ControlIds.h"
#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "search/Dates.h"
#include "store/ResultsFile.h"

namespace kestrap {
namespace {

constexpr std::string_view SettingsFileName = "kestrap.ini";
constexpr std::string_view DefaultResultsFile = "kestrap.html";
constexpr size_t MaxSettingsBytes = size_t{1} << 20;

// The drop-down reads item texts into a 200-byte buffer.
constexpr size_t MaxRecentName = 199;

// Two wrapping commas plus 48 names make 50 fields.
constexpr int MaxRecentFields = 50;

constexpr int CsidlPrograms = 2;

// Larger values are not a window size; they leave the size alone like 0 does.
constexpr double MaxDialogUnits = 32767;

int DialogUnitsOf(std::string_view value) {
    double number = ReadNumber(value);
    if (!(number >= 0 && number <= MaxDialogUnits)) return 0;
    return static_cast<int>(RoundHalfEven(number));
}

void ReadRecentList(AppState& state, Window& window, std::string_view value) {
    std::string list = LowerCase(value);
    std::string recent = ",";
    int fields = 2;  // "," splits into two empty fields
    std::string_view rest = list;
    for (;;) {
        size_t comma = rest.find(',');
        std::string_view name = rest.substr(0, comma);
        if (name.size() <= MaxRecentName &&
            recent.find("," + std::string(name) + ",") == std::string::npos) {
            if (fields >= MaxRecentFields) break;
            recent.append(name).push_back(',');
            ++fields;
        }
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    state.recentFiles = recent.substr(1, recent.size() - 2);
    std::string_view names = state.recentFiles;
    for (;;) {
        size_t comma = names.find(',');
        window.ComboAdd(names.substr(0, comma));
        if (comma == std::string_view::npos) break;
        names.remove_prefix(comma + 1);
    }
}

void ReadSettingsLine(AppState& state, Window& window, std::string_view line) {
    size_t colon = line.find(':');
    std::string key = LowerCase(line.substr(0, colon));
    std::string_view value =
        colon == std::string_view::npos ? std::string_view() : StripBlanks(line.substr(colon + 1));
    if (key == "recent") {
        ReadRecentList(state, window, value);
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
        window.CreateStartMenuShortcut(CsidlPrograms, "Orvane Kestrap.lnk",
                                       state.programFolder + "kestrap.exe", state.programFolder,
                                       "Run the Orvane Kestrap");
        state.startMenuState = "done";
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
        std::string_view line;
        while (NextLine(rest, line)) ReadSettingsLine(state, window, line);
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
    std::string name = ResultsFileName(window);
    if (name.empty()) name = DefaultResultsFile;
    std::string text;
    text.append("lastrun: ").append(LocalDateText(*state.clock)).append(" ");
    text.append(LocalTimeText(*state.clock)).append("\r\n");
    text.append("recent: ").append(state.recentFiles).append("\r\n");
    text.append("results: ").append(name).append("\r\n");
    text.append("startmenu: ").append(state.startMenuState).append("\r\n");
    if (state.dialogWidth != 0) {
        text.append("dialogx: ").append(FormatPlain(state.dialogWidth + 5)).append("\r\n");
    }
    if (state.dialogHeight != 0) {
        text.append("dialogy: ").append(FormatPlain(state.dialogHeight + 17)).append("\r\n");
    }
    std::string path = state.programFolder + std::string(SettingsFileName);
    SystemError error = 0;
    if (WriteFileAtomically(path, text, &error)) return true;
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

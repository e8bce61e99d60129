#include "app/FileSteps.h"

#include "app/ControlIds.h"
#include "app/ResultsListBox.h"
#include "app/State.h"
#include "app/StatusLines.h"
#include "app/Window.h"
#include "common/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"
#include "store/ListFiles.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

namespace kestrap {

std::string FailedFileText(const std::string& path, SystemError error) {
    return PathForDisplay(path) + " (" + SystemMessage(error) + ")";
}

namespace {

int BoxOf(SearchList list) {
    return list == SearchList::Terms ? IDC_TERMS : IDC_CITIES;
}

bool SaveOneList(AppState& state, Window& window, std::string_view baseName, SearchList list,
                 std::vector<std::string>* failedFiles) {
    std::string path = SearchListPath(state.programFolder, baseName, list);
    SystemError error = 0;
    if (WriteFileAtomically(path, window.Text(BoxOf(list)), &error)) return true;
    if (failedFiles != nullptr) failedFiles->push_back(FailedFileText(path, error));
    return false;
}

}  // namespace

ResultsFileLoad ReadResultsFileIntoList(AppState& state, const std::string& path,
                                        NewMarks marks) {
    ResultsFileLoad load;
    state.results.Clear();
    std::string bytes;
    if (FileExists(path) && ReadFileStart(path, bytes, MaxResultsFileBytes, load.cut)) {
        load.opened = true;
        load.reading = ReadResultsFileEntries(
            bytes, [&](const ResultEntry& entry) { return state.results.Add(entry); }, marks);
    }
    // a missing file holds nothing to lose; a hidden one, or one held open by another
    // program, does
    load.whole = load.opened ? (load.reading.Whole() || bytes.empty()) && !load.cut : !PathExists(path);
    state.partlyReadResultsFile = load.whole ? std::string() : LowerCase(path);
    return load;
}

void LoadResultsFile(AppState& state, Window& window, std::string_view name, NewMarks marks) {
    if (StripBlanks(name).empty()) return;
    std::string base = ListBaseName(name);
    ResetResults(state, window);
    const ResultsFileLoad load =
        ReadResultsFileIntoList(state, JoinPath(state.programFolder, name), marks);
    if (!load.opened) {
        PostStatus(window, "Error: Could not load " + std::string(name));
    } else {
        RefillResultsBox(state, window);
        if (load.reading.leftOut > 0) {
            PostStatus(window, FormatThousands(load.reading.leftOut) + " entries of " +
                                   std::string(name) + " were left out: the list holds at most " +
                                   FormatThousands(MaxResults) + ".");
        } else if (load.cut) {
            PostStatus(window, "Only the first " + FormatPlain(MaxResultsFileBytes >> 20) +
                                   " MiB of " + std::string(name) + " were read.");
        } else if (!load.whole) {
            PostStatus(window, std::string(name) +
                                   (load.reading.ours ? " has lines Kestrap could not read"
                                                      : " is not a Kestrap results file") +
                                   ": Save asks before replacing it.");
        }
    }
    LoadSearchLists(state, window, base);
}

void LoadSearchLists(AppState& state, Window& window, std::string_view baseName) {
    for (SearchList list : {SearchList::Terms, SearchList::Cities})
        window.SetText(BoxOf(list), ReadSearchList(state.programFolder, baseName, list));
}

bool SaveSearchLists(AppState& state, Window& window, std::string_view baseName,
                     std::vector<std::string>* failedFiles) {
    bool cities = SaveOneList(state, window, baseName, SearchList::Cities, failedFiles);
    bool terms = SaveOneList(state, window, baseName, SearchList::Terms, failedFiles);
    return cities && terms;
}

bool SaveResultsFile(AppState& state, const std::string& path, SystemError* error) {
    return WriteFileAtomically(path, ResultsFileText(state.results, *state.clock), error);
}

}  // namespace kestrap

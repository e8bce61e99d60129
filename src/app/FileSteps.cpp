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
namespace {

}  // namespace

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

void LoadResultsFile(AppState& state, Window& window, std::string_view name, NewMarks marks) {
    if (StripBlanks(name).empty()) return;
    std::string base = ListBaseName(name);
    ResetResults(state, window);
    std::string path = JoinPath(state.programFolder, name);
    std::string bytes;
    bool cut = false;
    bool readWhole = false;
    if (!FileExists(path) || !ReadFileStart(path, bytes, MaxResultsFileBytes, cut)) {
        PostStatus(window, "Error: Could not load " + std::string(name));
        // a missing file holds nothing to lose; a hidden one, or one held open by another
        // program, does
        readWhole = !PathExists(path);
    } else {
        // the list box is filled in one go
        ResultsFileReading reading;
        window.RunOnWindowThread([&] {
            reading = ReadResultsFileEntries(bytes, [&](std::string_view entry) {
                return AppendLoadedResult(state, window, entry);
            }, marks);
        });
        // an empty file holds nothing to lose
        readWhole = (reading.Whole() || bytes.empty()) && !cut;
        if (reading.leftOut > 0) {
            PostStatus(window, FormatThousands(reading.leftOut) + " entries of " + std::string(name) +
                                   " were left out: the list holds at most " +
                                   FormatThousands(MaxResults) + ".");
        } else if (cut) {
            PostStatus(window, "Only the first " + FormatPlain(MaxResultsFileBytes >> 20) +
                                   " MiB of " + std::string(name) + " were read.");
        } else if (!readWhole) {
            PostStatus(window, std::string(name) + (reading.ours ? " has lines Kestrap could not read"
                                                                 : " is not a Kestrap results file") +
                                   ": Save asks before replacing it.");
        }
    }
    state.partlyReadResultsFile = readWhole ? std::string() : LowerCase(path);
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

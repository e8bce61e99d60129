#include "app/ScheduledRun.h"

#include <vector>

#include "app/ControlIds.h"
#include "app/FileSteps.h"
#include "app/HeadlessWindow.h"
#include "app/ResultsListBox.h"
#include "app/SearchRun.h"
#include "app/State.h"
#include "common/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ProgramLock.h"
#include "search/SearchLines.h"
#include "store/ListFiles.h"
#include "store/ResultsFile.h"
#include "store/ScheduledLog.h"
#include "store/Settings.h"

namespace kestrap {
namespace {

// a name from the command line is completed as the window completes a typed one
std::string CompletedName(std::string_view typed) {
    return ResultsFileNameWithEnding(StripBlanks(typed));
}

// the last "results:" the window would take, else the default
std::string ResultsFileOfSettings(const std::string& folder) {
    const std::string path = folder + std::string(SettingsFileName);
    std::string bytes;
    bool cut = false;
    std::string name;
    if (FileExists(path) && ReadFileStart(path, bytes, MaxSettingsBytes, cut)) {
        std::string_view rest = bytes;
        std::string key;
        std::string_view value;
        while (NextSettingsLine(rest, key, value)) {
            if (key == "results" && !value.empty() && value.size() <= MaxRecentName)
                name = value;
        }
    }
    return name.empty() ? std::string(DefaultResultsFile) : name;
}

ScheduledRunProblem ProblemOf(LockAnswer answer) {
    switch (answer) {
    case LockAnswer::Taken: return ScheduledRunProblem::None;
    case LockAnswer::WindowOpen: return ScheduledRunProblem::WindowOpen;
    case LockAnswer::Busy: return ScheduledRunProblem::AnotherRunBusy;
    case LockAnswer::Failed: break;
    }
    return ScheduledRunProblem::LockFailed;
}

// The window shows a placeholder for a missing list, which is no list to search.
ScheduledRunProblem LoadLists(AppState& state, Window& window, std::string_view baseName) {
    for (SearchList list : {SearchList::Terms, SearchList::Cities}) {
        std::string text;
        switch (ReadSearchListFile(state.programFolder, baseName, list, text)) {
        case ListFileRead::Unreadable: return ScheduledRunProblem::FileNotReadableWhole;
        case ListFileRead::Missing: return ScheduledRunProblem::NoCitiesOrTerms;
        case ListFileRead::Read: break;
        }
        window.SetText(list == SearchList::Terms ? IDC_TERMS : IDC_CITIES, text);
    }
    std::vector<std::string> lines;
    if (ReadListLines(window.Text(IDC_CITIES), MaxCities, lines) == 0 ||
        ReadListLines(window.Text(IDC_TERMS), MaxTerms, lines) == 0)
        return ScheduledRunProblem::NoCitiesOrTerms;
    return ScheduledRunProblem::None;
}

ScheduledRunProblem Save(AppState& state, Window& window, const std::string& name,
                         const ScheduledRunOptions& options) {
    ProgramLock writeLock;
    const auto problem =
        ProblemOf(TakeWriteLock(state.programFolder, options.lockWait, writeLock));
    if (problem != ScheduledRunProblem::None) return problem;
    // written as the window's Save writes: the lists, then the sorted results
    const bool listsSaved = SaveSearchLists(state, window, ListBaseName(name));
    SortResultsNewestFirst(state);
    const std::string path = JoinPath(state.programFolder, name);
    if (!SaveResultsFile(state, path) || !listsSaved) return ScheduledRunProblem::SaveFailed;
    if (options.openBrowser) window.Open(path);
    return ScheduledRunProblem::None;
}

ScheduledRunProblem SearchAndSave(AppState& state, HeadlessWindow& window,
                                  const ScheduledRunOptions& options, ScheduledRunSummary& run) {
    ProgramLock runLock;
    auto problem = ProblemOf(TakeRunLock(state.programFolder, options.lockWait, runLock));
    if (problem != ScheduledRunProblem::None) return problem;

    // NEW marks of earlier scheduled runs stay until the user saves from the window
    LoadResultsFile(state, window, run.resultsFile, NewMarks::Keep);
    // a save would drop the entries that were not read
    if (!state.partlyReadResultsFile.empty()) return ScheduledRunProblem::FileNotReadableWhole;
    problem = LoadLists(state, window, ListBaseName(run.resultsFile));
    if (problem != ScheduledRunProblem::None) return problem;

    StartSearch(state, window);
    // the run may have ended already: only the refusal's own line tells a start that failed
    if (window.Text(IDC_STATUS3) == "The search could not be started.")
        return ScheduledRunProblem::SearchNotStarted;
    window.WaitUntilSearchEnded();
    run.pairs = state.tally.pairs;
    run.itemsFound = state.tally.itemsFound;
    run.newAds = state.tally.newAds;
    run.failedFetches = state.tally.failedFetches;
    if (run.newAds == 0) return ScheduledRunProblem::None;
    return Save(state, window, run.resultsFile, options);
}

}  // namespace

ScheduledRunResult RunScheduledSearch(AppState& state, HeadlessWindow& window,
                                      const ScheduledRunOptions& options) {
    const LocalTime started = state.clock->Now();
    ScheduledRunSummary run;
    run.resultsFile = StripBlanks(options.resultsFile).empty()
                          ? ResultsFileOfSettings(state.programFolder)
                          : CompletedName(options.resultsFile);
    run.problem = SearchAndSave(state, window, options, run);
    AppendScheduledLog(state.programFolder, started, run);
    return {run.problem == ScheduledRunProblem::None ? 0 : 1, ScheduledLogLine(started, run)};
}

}  // namespace kestrap

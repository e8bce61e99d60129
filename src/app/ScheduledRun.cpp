#include "app/ScheduledRun.h"

#include "app/FileSteps.h"
#include "app/ResultsListBox.h"
#include "app/SearchRun.h"
#include "app/State.h"
#include "common/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ProgramLock.h"
#include "run/SearchEngine.h"
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

// The city and term lists of the results file, as the window would show them; a missing
// list is no list to search.
struct RunLists {
    std::string cities;
    std::string terms;
};

ScheduledRunProblem ReadLists(const AppState& state, std::string_view baseName,
                              RunLists& lists) {
    for (SearchList list : {SearchList::Terms, SearchList::Cities}) {
        std::string& text = list == SearchList::Terms ? lists.terms : lists.cities;
        switch (ReadSearchListFile(state.programFolder, baseName, list, text)) {
        case ListFileRead::Unreadable: return ScheduledRunProblem::FileNotReadableWhole;
        case ListFileRead::Missing: return ScheduledRunProblem::NoCitiesOrTerms;
        case ListFileRead::Read: break;
        }
    }
    return ScheduledRunProblem::None;
}

// The run's end is all a scheduled run needs of its events.
class EndWatcher final : public SearchEvents {
public:
    void Started(const RunStarted&) override {}
    void PairStarted(const PairInfo&) override {}
    void Retrying(const PairInfo&) override {}
    void PairDone(const PairInfo&, const PairResult&) override {}
    void Ended(const RunEnded& ended) override { end = ended; }

    RunEnded end;
};

ScheduledRunProblem Save(AppState& state, const RunLists& lists, const std::string& name,
                         const ScheduledRunOptions& options, std::string& savedPath) {
    ProgramLock writeLock;
    const auto problem =
        ProblemOf(TakeWriteLock(state.programFolder, options.lockWait, writeLock));
    if (problem != ScheduledRunProblem::None) return problem;
    // written as the window's Save writes: the lists, then the sorted results
    const std::string base = ListBaseName(name);
    const bool citiesSaved = WriteFileAtomically(
        SearchListPath(state.programFolder, base, SearchList::Cities), lists.cities);
    const bool termsSaved = WriteFileAtomically(
        SearchListPath(state.programFolder, base, SearchList::Terms), lists.terms);
    SortResultsNewestFirst(state);
    const std::string path = JoinPath(state.programFolder, name);
    if (!SaveResultsFile(state, path) || !citiesSaved || !termsSaved)
        return ScheduledRunProblem::SaveFailed;
    savedPath = path;
    if (options.openBrowser && options.open) options.open(path);
    return ScheduledRunProblem::None;
}

ScheduledRunProblem SearchAndSave(AppState& state, const ScheduledRunOptions& options,
                                  ScheduledRunSummary& run, std::string& savedPath) {
    ProgramLock runLock;
    auto problem = ProblemOf(TakeRunLock(state.programFolder, options.lockWait, runLock));
    if (problem != ScheduledRunProblem::None) return problem;

    // NEW marks of earlier scheduled runs stay until the user saves from the window
    ReadResultsFileIntoList(state, JoinPath(state.programFolder, run.resultsFile),
                            NewMarks::Keep);
    // a save would drop the entries that were not read
    if (!state.partlyReadResultsFile.empty()) return ScheduledRunProblem::FileNotReadableWhole;
    RunLists lists;
    problem = ReadLists(state, ListBaseName(run.resultsFile), lists);
    if (problem != ScheduledRunProblem::None) return problem;
    SearchLines lines = ReadSearchLines(lists.cities, lists.terms);
    if (lines.cities.empty() || lines.terms.empty()) return ScheduledRunProblem::NoCitiesOrTerms;

    EndWatcher watcher;
    {
        SearchEngine engine(std::move(lines), state.results, SearchOptionsOf(state), watcher);
        if (!engine.Start()) return ScheduledRunProblem::SearchNotStarted;
        engine.Wait();
    }
    run.pairs = watcher.end.tally.pairs;
    run.itemsFound = watcher.end.tally.itemsFound;
    run.newAds = watcher.end.tally.newAds;
    run.failedFetches = watcher.end.tally.failedFetches;
    if (run.newAds == 0) return ScheduledRunProblem::None;
    return Save(state, lists, run.resultsFile, options, savedPath);
}

}  // namespace

ScheduledRunResult RunScheduledSearch(AppState& state, const ScheduledRunOptions& options) {
    const LocalTime started = state.clock->Now();
    ScheduledRunSummary run;
    run.resultsFile = StripBlanks(options.resultsFile).empty()
                          ? ResultsFileOfSettings(state.programFolder)
                          : CompletedName(options.resultsFile);
    ScheduledRunResult result;
    run.problem = SearchAndSave(state, options, run, result.savedPath);
    AppendScheduledLog(state.programFolder, started, run);
    result.exitCode = run.problem == ScheduledRunProblem::None ? 0 : 1;
    result.logLine = ScheduledLogLine(started, run);
    result.resultsFile = run.resultsFile;
    result.newAds = run.newAds;
    return result;
}

}  // namespace kestrap

#include "app/SearchRun.h"

#include <memory>
#include <string>

#include "app/ControlIds.h"
#include "app/Notification.h"
#include "app/ResultsListBox.h"
#include "app/State.h"
#include "app/StatusLines.h"
#include "app/Window.h"
#include "common/Text.h"
#include "run/SearchEngine.h"
#include "search/Feed.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

namespace kestrap {

namespace {

// disabled for the whole run, enabled again in this order when it ends
constexpr int RunLockedControls[] = {IDC_RESULTS_FILE, IDC_LOAD, IDC_SAVE, IDC_CITIES, IDC_TERMS};

void EnableRunLockedControls(Window& window, bool enabled) {
    for (int control : RunLockedControls) window.Enable(control, enabled);
}

// the taskbar button shows the progress bar's state while a run lasts, and nothing after it
void ShowProgress(Window& window, int position, int maximum) {
    window.RunOnWindowThread([&] {
        window.SetProgress(position);
        window.SetTaskbarProgress(position, maximum);
    });
}

void EndProgress(Window& window, int position) {
    window.RunOnWindowThread([&] {
        window.SetProgress(position);
        window.ClearTaskbarProgress();
    });
}

std::string SearchingLine(const PairInfo& pair) {
    return "Searching in " + pair.city + " for " + pair.term + " (" + pair.section + ")...";
}

// The run as the window shows it.
class WindowWatcher final : public SearchEvents {
public:
    WindowWatcher(AppState& state, Window& window) : state_(state), window_(window) {}

    void Started(const RunStarted& run) override {
        const int pairs = run.cities * run.terms;
        for (const std::string& notice : run.notices) PostStatus(window_, notice);
        PostStatus(window_, "About to search " + FormatPlain(run.cities) + " cities for " +
                                FormatPlain(run.terms) + " terms.");
        window_.SetProgressRange(pairs);
        ShowProgress(window_, 0, pairs);
        window_.SetText(IDC_SEARCH, "Kill Search");
        EnableRunLockedControls(window_, false);
        state_.searchState = SearchRunning;
    }

    void PairStarted(const PairInfo& pair) override {
        PostStatus(window_, SearchingLine(pair));
        ShowProgress(window_, pair.position, pair.pairs);
    }

    void Retrying(const PairInfo&) override { PostStatus(window_, "HTTP Error -- retrying..."); }

    // a pair's new entries, its closing status and its notices go to the window in one go
    void Merge(const std::function<void()>& mergeAndTell) override {
        window_.RunOnWindowThread(mergeAndTell);
    }

    void PairDone(const PairInfo&, const PairResult& done) override {
        for (const ResultEntry& entry : done.newEntries) ShowResultAtTop(state_, window_, entry);
        if (done.fresh > 0) {
            state_.unsavedResults = 1;
            state_.newResultsFound += done.fresh;
        }
        if (done.found > 0) {
            AppendStatus(window_, " found " + FormatPlain(done.found) + " items, " +
                                      FormatPlain(done.fresh) + " are new.");
        } else {
            AppendStatus(window_, " no matches.");
        }
        if (done.feedCut)
            PostStatus(window_, "Only the first " + FormatPlain(MaxFeedItems) +
                                    " items of a feed are read.");
        if (done.listFull)
            PostStatus(window_, "The results list is full (" +
                                    (state_.results.Count() < MaxResults
                                         ? FormatPlain(MaxResultsFileBytes >> 20) + " MiB of text"
                                         : FormatThousands(MaxResults) + " entries") +
                                    "): new results are no longer added.");
    }

    // The button reads "Search Now", and Save or Load may be pressed, only once a press finds
    // the run idle: all of it in one call on the window's thread, where presses are handled.
    void Ended(const RunEnded& end) override {
        state_.tally = end.tally;
        window_.RunOnWindowThread([&] {
            if (end.aborted) {
                // the pair the stop came before shows as the one the run was at
                if (end.notStarted) PostStatus(window_, SearchingLine(*end.notStarted));
                PostStatus(window_, "Search aborted.");
                EndProgress(window_, 0);
            } else {
                EndProgress(window_, static_cast<int>(state_.cities.size() * state_.terms.size()));
            }
            // a new run may start from here on
            state_.searchState = SearchIdle;
            window_.SetText(IDC_SEARCH, "Search Now");
            EnableRunLockedControls(window_, true);
            if (!end.aborted) PostStatus(window_, "Search Complete");
        });
        NotifyNewAdsBehind(window_, end);
        window_.NotifySearchEnded();
    }

private:
    AppState& state_;
    Window& window_;
};

}  // namespace

SearchOptions SearchOptionsOf(const AppState& state) {
    SearchOptions options;
    options.http = state.http;
    options.fetchLimits = state.fetchLimits;
    options.retryPause = state.retryPause;
    options.stopGrace = state.stopGrace;
    options.clock = state.clock;
    return options;
}

void PressSearchButton(AppState& state, Window& window) {
    switch (state.searchState.load()) {
    case SearchIdle: StartSearch(state, window); break;
    case SearchRunning: RequestSearchAbort(state); break;
    default: break;  // an abort is already pending
    }
}

void StartSearch(AppState& state, Window& window) {
    if (state.searchState != SearchIdle) return;
    SearchLines lines = ReadSearchLines(window.Text(IDC_CITIES), window.Text(IDC_TERMS));
    if (lines.cities.empty()) {
        window.Ask("You need to define some cities to search. If you're not sure how, use the "
                   "help form.",
                   "City Error", BoxOk | BoxIconError);
        return;
    }
    if (lines.terms.empty()) {
        window.Ask("You need to define some terms to search for. If you're not sure how, use the "
                   "help form.",
                   "Search Term Error", BoxOk | BoxIconError);
        return;
    }
    // the last run has told its end; its thread is done or about to be
    EndSearch(state);
    state.cities = lines.cities;
    state.terms = lines.terms;
    state.tally = {};
    state.searchWatcher = std::make_unique<WindowWatcher>(state, window);
    state.search = std::make_unique<SearchEngine>(std::move(lines), state.results, SearchOptionsOf(state),
                                                  *state.searchWatcher);
    if (state.search->Start()) return;
    PostStatus(window, "The search could not be started.");
    window.ClearTaskbarProgress();
    window.SetText(IDC_SEARCH, "Search Now");
    EnableRunLockedControls(window, true);
    state.searchState = SearchIdle;
}

void RequestSearchAbort(AppState& state) {
    // only a running search can be asked to stop; a run that has just ended stays idle
    int running = SearchRunning;
    if (state.searchState.compare_exchange_strong(running, SearchAbortRequested) && state.search)
        state.search->RequestStop();
}

void EndSearch(AppState& state) {
    state.search.reset();  // asks for a stop and waits
    state.searchWatcher.reset();
}

}  // namespace kestrap

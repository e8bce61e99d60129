#pragma once
// A search without a window, as Task Scheduler starts it: load the results file with its
// lists, search as the window would, save when new ads were found, log one line.
#include <chrono>
#include <string>

namespace kestrap {

struct AppState;
class HeadlessWindow;

struct ScheduledRunOptions {
    std::string resultsFile;  // as named on the command line; empty: the settings file's
    bool openBrowser = false;
    // how long to wait for another scheduled run on the same folder before giving up
    std::chrono::milliseconds lockWait{std::chrono::minutes(10)};
};

struct ScheduledRunResult {
    int exitCode = 1;  // 0 when it ran, with or without new ads
    std::string logLine;
};

// Runs in state.programFolder and appends the log line to its kestrap.log. Never writes the
// settings file, and writes nothing else while a window is open on the folder or when no
// new ads were found.
ScheduledRunResult RunScheduledSearch(AppState& state, HeadlessWindow& window,
                                      const ScheduledRunOptions& options);

}  // namespace kestrap

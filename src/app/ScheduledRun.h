#pragma once
// A search without a window, as Task Scheduler starts it: load the results file with its
// lists, search, save when new ads were found, log one line.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace kestrap {

struct AppState;

struct ScheduledRunOptions {
    std::string resultsFile;  // as named on the command line; empty: the settings file's
    bool openBrowser = false;
    // how long to wait for another scheduled run on the same folder before giving up
    std::chrono::milliseconds lockWait{std::chrono::minutes(10)};
    // the shell's "open" verb, for openBrowser; empty opens nothing
    std::function<void(std::string_view path)> open;
};

struct ScheduledRunResult {
    int exitCode = 1;  // 0 when it ran, with or without new ads
    std::string logLine;
    std::string resultsFile;  // the name the run used, as its log line tells it
    int newAds = 0;
    std::string savedPath;    // the results file's path when this run wrote it, else empty
};

// Runs in state.programFolder and appends the log line to its kestrap.log. Never writes the
// settings file, and writes nothing else while a window is open on the folder or when no
// new ads were found. Returns with the program's locks let go.
ScheduledRunResult RunScheduledSearch(AppState& state, const ScheduledRunOptions& options);

}  // namespace kestrap

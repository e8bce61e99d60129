#pragma once
// kestrap.log: one line per scheduled run, beside the executable.
#include <string>

#include "platform/Clock.h"

namespace kestrap {

enum class ScheduledRunProblem {
    None,
    NoCitiesOrTerms,
    FileNotReadableWhole,
    SaveFailed,
    WindowOpen,
    AnotherRunBusy,
    LockFailed,
    SearchNotStarted,
    BadCommandLine,
};

struct ScheduledRunSummary {
    std::string resultsFile;
    ScheduledRunProblem problem = ScheduledRunProblem::None;
    int pairs = 0;  // city and term pairs searched
    int itemsFound = 0;
    int newAds = 0;
    int failedFetches = 0;
};

// "2024-05-01 14:03:07  cars.html  6 pairs, 120 items found, 3 new ads, 0 failed fetches",
// or the reason the run could not run or save; ends with CR LF.
std::string ScheduledLogLine(const LocalTime& when, const ScheduledRunSummary& run);

// Appends the run's line to kestrap.log in the program folder (with its trailing separator);
// a log that grew past 256 KiB then keeps its last 1,000 lines.
bool AppendScheduledLog(const std::string& programFolder, const LocalTime& when,
                        const ScheduledRunSummary& run);

}  // namespace kestrap

#include "store/ScheduledLog.h"

#include "common/Text.h"
#include "platform/AppendFile.h"

namespace kestrap {
namespace {

const char* ProblemText(ScheduledRunProblem problem) {
    switch (problem) {
    case ScheduledRunProblem::None: return "";
    case ScheduledRunProblem::NoCitiesOrTerms: return "could not run: no cities or no search terms";
    case ScheduledRunProblem::FileNotReadableWhole:
        return "could not run: the results file or its lists could not be read whole";
    case ScheduledRunProblem::SaveFailed: return "could not save the results file or its lists";
    case ScheduledRunProblem::WindowOpen:
        return "could not run: the window is open on this program folder";
    case ScheduledRunProblem::AnotherRunBusy:
        return "could not run: another scheduled run kept the folder busy";
    case ScheduledRunProblem::LockFailed:
        return "could not run: the program folder's lock could not be made";
    case ScheduledRunProblem::SearchNotStarted: return "could not run: the search did not start";
    case ScheduledRunProblem::BadCommandLine: return "could not run: bad command line";
    }
    return "could not run";
}

// a name from the command line must not break the one-line-per-run rule
std::string OneLine(std::string_view text) {
    std::string line(text.empty() ? "-" : text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    }
    return line;
}

}  // namespace

std::string ScheduledLogLine(const LocalTime& when, const ScheduledRunSummary& run) {
    std::string line = FormatDigits(when.year, 4) + "-" + FormatDigits(when.month, 2) + "-" +
                       FormatDigits(when.day, 2) + " " + FormatDigits(when.hour, 2) + ":" +
                       FormatDigits(when.minute, 2) + ":" + FormatDigits(when.second, 2) + "  " +
                       OneLine(run.resultsFile) + "  ";
    // a failed save still tells what the search found
    const bool searched = run.problem == ScheduledRunProblem::None ||
                          run.problem == ScheduledRunProblem::SaveFailed;
    if (searched) {
        line += FormatPlain(run.pairs) + " pairs, " + FormatPlain(run.itemsFound) +
                " items found, " + FormatPlain(run.newAds) + " new ads, " +
                FormatPlain(run.failedFetches) + " failed fetches";
        if (run.problem != ScheduledRunProblem::None) line += "; ";
    }
    line += ProblemText(run.problem);
    return line + "\r\n";
}

bool AppendScheduledLog(const std::string& programFolder, const LocalTime& when,
                        const ScheduledRunSummary& run) {
    return AppendToFile(programFolder + "kestrap.log", ScheduledLogLine(when, run));
}

}  // namespace kestrap

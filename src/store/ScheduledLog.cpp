#include "store/ScheduledLog.h"

#include "common/Text.h"
#include "platform/AppendFile.h"
#include "platform/Files.h"

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

constexpr size_t TrimAboveBytes = size_t{256} << 10;
constexpr int KeptLines = 1000;

// The last `count` lines of the text, or all of it when it has no more.
std::string_view LastLines(std::string_view text, int count) {
    size_t end = text.size();
    // the line end of the last line is its own, not the start of another
    if (end > 0 && text[end - 1] == '\n') --end;
    for (int line = 0; line < count; ++line) {
        const size_t lineEnd = text.rfind('\n', end == 0 ? 0 : end - 1);
        if (lineEnd == std::string_view::npos || end == 0) return text;
        end = lineEnd;
    }
    return text.substr(end + 1);
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
    const std::string path = programFolder + "kestrap.log";
    size_t size = 0;
    if (!AppendToFile(path, ScheduledLogLine(when, run), &size)) return false;
    // past its bound the log keeps its last lines; a log that cannot be read or replaced
    // stays as it is, the run's line in it. Only then is it opened for reading, which
    // other writers' appends could not share.
    std::string bytes;
    if (size > TrimAboveBytes && ReadWholeFile(path, bytes)) WriteFileAtomically(path, LastLines(bytes, KeptLines));
    return true;
}

}  // namespace kestrap

#include "app/Notification.h"

#include "app/Commands.h"
#include "app/ScheduledRun.h"
#include "app/Window.h"
#include "common/Text.h"
#include "run/SearchEvents.h"
#include "store/ResultsFile.h"
#include "store/Settings.h"

namespace kestrap {

std::string NewAdsText(int newAds, std::string_view resultsFile) {
    // the same count and words as the run's log line
    return FormatPlain(newAds) + " new ads in " + std::string(resultsFile);
}

std::string ScheduledRunNotification(const ScheduledRunResult& result, bool quiet) {
    if (quiet || result.exitCode != 0 || result.newAds <= 0 || result.savedPath.empty())
        return {};
    return NewAdsText(result.newAds, result.resultsFile);
}

void NotifyNewAdsBehind(Window& window, const RunEnded& end) {
    if (end.aborted || end.tally.newAds <= 0 || window.IsInFront()) return;
    // the file a Save would write; the run keeps its box unchanged
    std::string name = ResultsFileName(window);
    name = name.empty() ? std::string(DefaultResultsFile) : ResultsFileNameWithEnding(name);
    window.ShowNotification(NewAdsText(end.tally.newAds, name));
}

}  // namespace kestrap

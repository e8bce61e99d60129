#pragma once
// The program's command line: the window, or a search without one for Task Scheduler.
#include <string>
#include <string_view>

namespace kestrap {

enum class RunMode { Window, ScheduledSearch, BadUsage };

struct CommandLine {
    RunMode mode = RunMode::Window;
    std::string resultsFile;  // empty: the last one in the settings file
    bool openBrowser = false;
    bool quiet = false;       // no notification of new ads
    std::string problem;      // what was wrong, for BadUsage
};

// Parses the arguments after the program's name (WinMain's command line). Switches start
// with "/" or "-" and ignore case: "/search", "/open" and "/quiet". The results file name
// may be quoted; unquoted words next to each other form one name with single blanks between
// them. Nothing at all means the window; anything but "/search [name] [/open] [/quiet]" is
// BadUsage.
CommandLine ParseCommandLine(std::string_view arguments);

// The message box text for a bad command line.
std::string UsageText(std::string_view problem);

}  // namespace kestrap

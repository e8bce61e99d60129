#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/Notification.h"
#include "app/NotificationIcon_win.h"
#include "app/ScheduledRun.h"
#include "app/SearchRun.h"
#include "app/State.h"
#include "app/Win32Window.h"
#include "platform/Files.h"
#include "platform/Owned_win.h"
#include "platform/ProgramLock.h"
#include "platform/WidePaths_win.h"
#include "store/ScheduledLog.h"

namespace kestrap {
namespace {

void InitialiseCommonControls() {
    HMODULE library = LoadLibraryA("COMCTL32.DLL");
    if (!library) return;
    using InitExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto initEx = reinterpret_cast<InitExFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    if (initEx) {
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES};
        initEx(&classes);
    } else {
        InitCommonControls();
    }
    FreeLibrary(library);
}

// Task Scheduler shows nobody the box, so the log says it too.
int ShowUsage(const CommandLine& line) {
    LocalTime now = SystemClock().Now();
    ScheduledRunSummary run;
    run.problem = ScheduledRunProblem::BadCommandLine;
    AppendScheduledLog(ExecutableFolder(), now, run);
    MessageBoxA(nullptr, UsageText(line.problem).c_str(), "Kestrap command line",
                MB_OK | MB_ICONERROR);
    return 1;
}

int RunWithoutWindow(const CommandLine& line) {
    // the shell's "open" may use COM
    ComScope com;
    AppState state;
    state.programFolder = ExecutableFolder();
    ScheduledRunOptions options;
    options.resultsFile = line.resultsFile;
    options.openBrowser = line.openBrowser;
    options.open = [](std::string_view path) {
        ShellExecuteW(nullptr, L"open", WidePath(path).c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    };
    const ScheduledRunResult result = RunScheduledSearch(state, options);
    // the run has let go of its locks: a wait here keeps no other run or window waiting
    const std::string text = ScheduledRunNotification(result, line.quiet);
    if (!text.empty() && ShowNotificationUntilClicked(text, NotificationIconTime))
        options.open(result.savedPath);
    return result.exitCode;
}

int RunWindow() {
    AppState state;
    MainWindowShell shell;
    Win32Window window(shell);
    shell.state = &state;
    shell.window = &window;

    state.programFolder = ExecutableFolder();
    // held until the window has ended: scheduled runs on this folder write nothing meanwhile
    ProgramLock windowLock = TakeWindowLock(state.programFolder, std::chrono::seconds(30));
    InitialiseCommonControls();
    BuildMainWindow(shell, nullptr);
    // the window is gone: a search or an update check still going is asked to stop, and
    // waited for, before what they use goes
    EndSearch(state);
    EndUpdateCheck(shell);
    return 0;
}

}  // namespace
}  // namespace kestrap

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    using namespace kestrap;
    const CommandLine line = ParseCommandLine(arguments ? arguments : "");
    switch (line.mode) {
    case RunMode::BadUsage: return ShowUsage(line);
    case RunMode::ScheduledSearch: return RunWithoutWindow(line);
    case RunMode::Window: break;
    }
    return RunWindow();
}

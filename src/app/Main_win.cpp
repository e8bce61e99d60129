#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/CommandLine.h"
#include "app/HeadlessWindow.h"
#include "app/MainWindow.h"
#include "app/ScheduledRun.h"
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
    HeadlessWindow window([](std::string_view path) {
        ShellExecuteW(nullptr, L"open", WidePath(path).c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    });
    ScheduledRunOptions options;
    options.resultsFile = line.resultsFile;
    options.openBrowser = line.openBrowser;
    return RunScheduledSearch(state, window, options).exitCode;
}

}  // namespace
}  // namespace kestrap

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    using namespace kestrap;
    const CommandLine line = ParseCommandLine(arguments ? arguments : "");
    // ended as the window ends: nothing static is torn down under a thread
    if (line.mode == RunMode::BadUsage) ExitProcess(static_cast<UINT>(ShowUsage(line)));
    if (line.mode == RunMode::ScheduledSearch)
        ExitProcess(static_cast<UINT>(RunWithoutWindow(line)));

    // The search and update threads are not waited for when the window ends, so what they
    // use is never destroyed: it lives until the process ends.
    auto* state = new AppState;
    auto* shell = new MainWindowShell;
    auto* window = new Win32Window(*shell);
    shell->state = state;
    shell->window = window;

    state->programFolder = ExecutableFolder();
    // held until the process ends: scheduled runs on this folder write nothing meanwhile
    ProgramLock windowLock = TakeWindowLock(state->programFolder, std::chrono::seconds(30));
    InitialiseCommonControls();
    BuildMainWindow(*shell, nullptr);
    // ends the worker threads before anything static is torn down under them
    ExitProcess(0);
}

#include <windows.h>
#include <commctrl.h>

#include "app/MainWindow.h"
#include "app/State.h"
#include "app/Win32Window.h"
#include "platform/Files.h"
#include "platform/ProgramLock.h"

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

}  // namespace
}  // namespace kestrap

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace kestrap;
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

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/MainWindow.h"
#include "app/State.h"
#include "app/Win32Window.h"

namespace kestrap {
namespace {

// The folder of the executable with its trailing "\"; empty when the name has none.
std::string ProgramFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(GetModuleHandleA(nullptr), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

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

    state->programFolder = ProgramFolder();
    InitialiseCommonControls();
    BuildMainWindow(*shell, nullptr);
    // ends the worker threads before anything static is torn down under them
    ExitProcess(0);
}

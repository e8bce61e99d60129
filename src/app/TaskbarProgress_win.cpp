#include "app/MainWindow.h"

namespace kestrap {
namespace {

ITaskbarList3* Taskbar(MainWindowShell& shell) {
    if (shell.taskbar.get() || shell.taskbarMissing || !shell.mainWindow)
        return shell.taskbar.get();
    HRESULT result = CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ITaskbarList3, shell.taskbar.Out());
    if (SUCCEEDED(result)) result = shell.taskbar->HrInit();
    if (FAILED(result)) {
        // asked once per button: a system without it answers the same every time
        shell.taskbar.Reset();
        shell.taskbarMissing = true;
    }
    return shell.taskbar.get();
}

}  // namespace

void ShowTaskbarProgress(MainWindowShell& shell, int position, int maximum) {
    ITaskbarList3* taskbar = Taskbar(shell);
    if (!taskbar) return;
    if (maximum <= 0) {
        taskbar->SetProgressState(shell.mainWindow, TBPF_NOPROGRESS);
        return;
    }
    taskbar->SetProgressState(shell.mainWindow, TBPF_NORMAL);
    taskbar->SetProgressValue(shell.mainWindow, static_cast<ULONGLONG>(position < 0 ? 0 : position),
                              static_cast<ULONGLONG>(maximum));
}

void ForgetTaskbarButton(MainWindowShell& shell) {
    shell.taskbar.Reset();
    shell.taskbarMissing = false;
}

}  // namespace kestrap

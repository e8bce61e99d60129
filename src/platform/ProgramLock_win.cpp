#include "platform/ProgramLock.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/Owned_win.h"

namespace kestrap {
namespace {

// The names are in the session's own namespace (ProgramLockName): a scheduled run sees the
// window when Task Scheduler starts it in the user's session
HANDLE OpenNamedMutex(const std::string& name, bool create) {
    return create ? CreateMutexA(nullptr, FALSE, name.c_str())
                  : OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
}

DWORD WaitMilliseconds(std::chrono::milliseconds wait) {
    if (wait.count() <= 0) return 0;
    return static_cast<DWORD>(std::min<long long>(wait.count(), 0x7fffffff));
}

// An abandoned mutex (its holder crashed) is taken all the same: the files were replaced
// atomically, so nothing half-written is left behind.
bool WaitFor(HANDLE mutex, std::chrono::milliseconds wait) {
    DWORD result = WaitForSingleObject(mutex, WaitMilliseconds(wait));
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

LockAnswer TakeOwned(const std::string& name, std::chrono::milliseconds wait, HANDLE& handle) {
    OwnedHandle mutex(OpenNamedMutex(name, true));
    if (!mutex.valid()) return LockAnswer::Failed;
    if (!WaitFor(mutex.get(), wait)) return LockAnswer::Busy;
    handle = mutex.Release();
    return LockAnswer::Taken;
}

}  // namespace

void ProgramLock::Release() {
    if (!held_) return;
    // the window's mutex is never owned: its existence is the sign
    if (kind_ != LockKind::Window) ReleaseMutex(static_cast<HANDLE>(handle_));
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    held_ = false;
}

ProgramLock TakeWindowLock(const std::string& programFolder, std::chrono::milliseconds wait) {
    ProgramLock lock;
    lock.name_ = ProgramLockName(programFolder, LockKind::Window);
    lock.kind_ = LockKind::Window;
    lock.handle_ = OpenNamedMutex(lock.name_, true);
    lock.held_ = lock.handle_ != nullptr;
    // a run that took its write lock before the window's mutex existed finishes first
    OwnedHandle writing(OpenNamedMutex(ProgramLockName(programFolder, LockKind::Write), false));
    if (writing.valid() && WaitFor(writing.get(), wait)) ReleaseMutex(writing.get());
    return lock;
}

bool IsWindowOpen(const std::string& programFolder) {
    OwnedHandle window(OpenNamedMutex(ProgramLockName(programFolder, LockKind::Window), false));
    // a window started elevated may deny us its mutex, which still says it is there
    return window.valid() || GetLastError() == ERROR_ACCESS_DENIED;
}

LockAnswer TakeRunLock(const std::string& programFolder, std::chrono::milliseconds wait,
                       ProgramLock& lock) {
    if (IsWindowOpen(programFolder)) return LockAnswer::WindowOpen;
    ProgramLock taken;
    taken.name_ = ProgramLockName(programFolder, LockKind::Run);
    taken.kind_ = LockKind::Run;
    HANDLE handle = nullptr;
    LockAnswer answer = TakeOwned(taken.name_, wait, handle);
    if (answer != LockAnswer::Taken) return answer;
    taken.handle_ = handle;
    taken.held_ = true;
    lock = std::move(taken);
    return LockAnswer::Taken;
}

LockAnswer TakeWriteLock(const std::string& programFolder, std::chrono::milliseconds wait,
                         ProgramLock& lock) {
    ProgramLock taken;
    taken.name_ = ProgramLockName(programFolder, LockKind::Write);
    taken.kind_ = LockKind::Write;
    HANDLE handle = nullptr;
    LockAnswer answer = TakeOwned(taken.name_, wait, handle);
    if (answer != LockAnswer::Taken) return answer;
    taken.handle_ = handle;
    taken.held_ = true;
    // checked while holding the write lock: a window starting now waits for this run's writes
    if (IsWindowOpen(programFolder)) return LockAnswer::WindowOpen;
    lock = std::move(taken);
    return LockAnswer::Taken;
}

}  // namespace kestrap

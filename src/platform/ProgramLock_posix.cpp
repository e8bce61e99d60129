#include "platform/ProgramLock.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

namespace kestrap {
namespace {

// Within one process only: the POSIX build runs the tests, never two copies of the program,
// so a registry of holders stands in for the named mutexes.
struct Holders {
    std::mutex guard;
    std::condition_variable released;
    std::map<std::string, int> count;  // windows holding a window lock; 0 or 1 otherwise
};

Holders& Registry() {
    static Holders holders;
    return holders;
}

bool WaitUntilFree(std::unique_lock<std::mutex>& held, const std::string& name,
                   std::chrono::milliseconds wait) {
    Holders& holders = Registry();
    return holders.released.wait_for(held, wait, [&] { return holders.count[name] == 0; });
}

bool WindowHolds(const std::string& programFolder) {
    return Registry().count[ProgramLockName(programFolder, LockKind::Window)] > 0;
}

}  // namespace

void ProgramLock::Release() {
    if (!held_) return;
    Holders& holders = Registry();
    {
        std::lock_guard<std::mutex> held(holders.guard);
        --holders.count[name_];
    }
    holders.released.notify_all();
    held_ = false;
}

ProgramLock TakeWindowLock(const std::string& programFolder, std::chrono::milliseconds wait) {
    Holders& holders = Registry();
    std::unique_lock<std::mutex> held(holders.guard);
    ProgramLock lock;
    lock.name_ = ProgramLockName(programFolder, LockKind::Window);
    lock.kind_ = LockKind::Window;
    ++holders.count[lock.name_];
    lock.held_ = true;
    WaitUntilFree(held, ProgramLockName(programFolder, LockKind::Write), wait);
    return lock;
}

bool IsWindowOpen(const std::string& programFolder) {
    std::lock_guard<std::mutex> held(Registry().guard);
    return WindowHolds(programFolder);
}

LockAnswer TakeRunLock(const std::string& programFolder, std::chrono::milliseconds wait,
                       ProgramLock& lock) {
    std::unique_lock<std::mutex> held(Registry().guard);
    if (WindowHolds(programFolder)) return LockAnswer::WindowOpen;
    std::string name = ProgramLockName(programFolder, LockKind::Run);
    if (!WaitUntilFree(held, name, wait)) return LockAnswer::Busy;
    ++Registry().count[name];
    held.unlock();
    lock.Release();
    lock.name_ = std::move(name);
    lock.kind_ = LockKind::Run;
    lock.held_ = true;
    return LockAnswer::Taken;
}

LockAnswer TakeWriteLock(const std::string& programFolder, std::chrono::milliseconds wait,
                         ProgramLock& lock) {
    std::unique_lock<std::mutex> held(Registry().guard);
    std::string name = ProgramLockName(programFolder, LockKind::Write);
    if (!WaitUntilFree(held, name, wait)) return LockAnswer::Busy;
    if (WindowHolds(programFolder)) return LockAnswer::WindowOpen;
    ++Registry().count[name];
    held.unlock();
    lock.Release();
    lock.name_ = std::move(name);
    lock.kind_ = LockKind::Write;
    lock.held_ = true;
    return LockAnswer::Taken;
}

}  // namespace kestrap

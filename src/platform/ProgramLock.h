#pragma once
// Locks per program folder that every copy of the program in the user's session sees, so
// that a scheduled run never writes while the window is open on the same folder and two scheduled
// runs never write at once. The window holds its lock from start to exit; a scheduled run
// holds the run lock for the whole run and the write lock around its writes.
#include <chrono>
#include <string>

namespace kestrap {

enum class LockKind { Window, Run, Write };
enum class LockAnswer { Taken, WindowOpen, Busy, Failed };

// The lock's name in the session's local namespace, from a hash of the lower-cased folder
// path: the same folder spelt in another case, with "/" or without its trailing separator
// gets the same name.
std::string ProgramLockName(const std::string& programFolder, LockKind kind);

class ProgramLock {
public:
    ProgramLock() = default;
    ProgramLock(ProgramLock&& other) noexcept;
    ProgramLock& operator=(ProgramLock&& other) noexcept;
    ProgramLock(const ProgramLock&) = delete;
    ProgramLock& operator=(const ProgramLock&) = delete;
    ~ProgramLock();  // a run or write lock must end on the thread that took it (a mutex's rule)

    bool Held() const { return held_; }
    void Release();

private:
    friend ProgramLock TakeWindowLock(const std::string&, std::chrono::milliseconds);
    friend LockAnswer TakeRunLock(const std::string&, std::chrono::milliseconds, ProgramLock&);
    friend LockAnswer TakeWriteLock(const std::string&, std::chrono::milliseconds, ProgramLock&);

    std::string name_;
    LockKind kind_ = LockKind::Window;
    void* handle_ = nullptr;  // the Windows mutex
    bool held_ = false;
};

// The window's lock, kept until the window ends; never refused, so two windows may share
// a folder as before. It waits at most `wait` for a scheduled run that is writing right
// now, so the window then reads what that run wrote.
ProgramLock TakeWindowLock(const std::string& programFolder, std::chrono::milliseconds wait);

// True while a window holds its lock on the folder.
bool IsWindowOpen(const std::string& programFolder);

// A scheduled run's lock for the whole run: WindowOpen when a window holds the folder,
// Busy when another run kept its lock for all of `wait`.
LockAnswer TakeRunLock(const std::string& programFolder, std::chrono::milliseconds wait,
                       ProgramLock& lock);

// Taken by a scheduled run just before it writes: WindowOpen when a window came up during
// the search. Between this and the window's wait in TakeWindowLock, one of the two sees
// the other, whatever the timing.
LockAnswer TakeWriteLock(const std::string& programFolder, std::chrono::milliseconds wait,
                         ProgramLock& lock);

}  // namespace kestrap

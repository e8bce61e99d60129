#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "platform/ProgramLock.h"

namespace kestrap {
namespace {

using namespace std::chrono_literals;

// Under Wine the locks are real named mutexes: every test takes its own folder name.
std::string Folder() {
    return std::string("C:\\kestrap lock test\\") +
           testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
}

// A lock taken on a thread of its own: named mutexes belong to the thread that took them.
LockAnswer RunLockFromOtherThread(const std::string& folder, std::chrono::milliseconds wait) {
    return std::async(std::launch::async, [&] {
        ProgramLock lock;
        return TakeRunLock(folder, wait, lock);
    }).get();
}

TEST(ProgramLockName, SameFolderSameNameWhateverTheSpelling) {
    const std::string name = ProgramLockName("C:\\Ads\\Kestrap\\", LockKind::Run);
    EXPECT_EQ(ProgramLockName("c:\\ads\\kestrap\\", LockKind::Run), name);
    EXPECT_EQ(ProgramLockName("C:/Ads/Kestrap", LockKind::Run), name);
    EXPECT_NE(ProgramLockName("C:\\Ads\\Kestrap2\\", LockKind::Run), name);
    EXPECT_NE(ProgramLockName("C:\\Ads\\Kestrap\\", LockKind::Window), name);
    EXPECT_NE(ProgramLockName("C:\\Ads\\Kestrap\\", LockKind::Write), name);
    // in the session's own namespace, where another user cannot make the name first; the
    // kernel takes no further backslash after the prefix
    EXPECT_EQ(name.substr(0, 6), "Local\\");
    EXPECT_EQ(name.rfind('\\'), std::string("Local").size());
}

TEST(ProgramLock, OpenWindowKeepsScheduledRunsOutUntilTheLastWindowEnds) {
    const std::string folder = Folder();
    ProgramLock run;
    {
        ProgramLock first = TakeWindowLock(folder, 0ms);
        ProgramLock second = TakeWindowLock(folder, 0ms);
        ASSERT_TRUE(first.Held());
        EXPECT_TRUE(IsWindowOpen(folder));
        EXPECT_FALSE(IsWindowOpen(folder + "other\\"));
        EXPECT_EQ(TakeRunLock(folder, 0ms, run), LockAnswer::WindowOpen);
        first.Release();
        EXPECT_EQ(TakeRunLock(folder, 0ms, run), LockAnswer::WindowOpen);
        EXPECT_FALSE(run.Held());
    }
    EXPECT_FALSE(IsWindowOpen(folder));
    EXPECT_EQ(TakeRunLock(folder, 0ms, run), LockAnswer::Taken);
    EXPECT_TRUE(run.Held());
}

TEST(ProgramLock, SecondRunWaitsForTheFirstOrGivesUp) {
    const std::string folder = Folder();
    ProgramLock first;
    ASSERT_EQ(TakeRunLock(folder, 0ms, first), LockAnswer::Taken);
    EXPECT_EQ(RunLockFromOtherThread(folder, 50ms), LockAnswer::Busy);
    EXPECT_EQ(RunLockFromOtherThread(folder + "other\\", 0ms), LockAnswer::Taken);

    auto second =
        std::async(std::launch::async, [&] { return RunLockFromOtherThread(folder, 10s); });
    std::this_thread::sleep_for(100ms);
    first.Release();
    EXPECT_EQ(second.get(), LockAnswer::Taken);
}

TEST(ProgramLock, WindowThatCameUpDuringTheSearchStopsTheWrite) {
    const std::string folder = Folder();
    ProgramLock run, write;
    ASSERT_EQ(TakeRunLock(folder, 0ms, run), LockAnswer::Taken);
    {
        ProgramLock window = TakeWindowLock(folder, 0ms);
        EXPECT_EQ(TakeWriteLock(folder, 0ms, write), LockAnswer::WindowOpen);
        EXPECT_FALSE(write.Held());
    }
    EXPECT_EQ(TakeWriteLock(folder, 0ms, write), LockAnswer::Taken);
}

TEST(ProgramLock, StartingWindowWaitsForARunThatIsWriting) {
    const std::string folder = Folder();
    std::promise<void> writing;
    std::atomic<bool> wrote{false};
    auto run = std::async(std::launch::async, [&] {
        ProgramLock write;
        LockAnswer answer = TakeWriteLock(folder, 0ms, write);
        writing.set_value();
        std::this_thread::sleep_for(200ms);
        wrote = true;
        return answer;
    });
    writing.get_future().wait();
    ProgramLock window = TakeWindowLock(folder, 10s);
    EXPECT_TRUE(wrote);
    EXPECT_EQ(run.get(), LockAnswer::Taken);
    EXPECT_TRUE(window.Held());
}

}  // namespace
}  // namespace kestrap

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "TempFolder.h"
#include "platform/Owned_win.h"
#include "platform/WidePaths_win.h"

namespace kestrap {
namespace {

using OwnedWinTest = TempFolderTest;

// a file opened without sharing shows whether some handle to it is still open
OwnedFile OpenAlone(const std::wstring& path, DWORD creation) {
    return OwnedFile(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, creation,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST_F(OwnedWinTest, AHandleIsClosedByItsLastOwnerOnly) {
    const std::wstring path = WidePath(temp.File("held.txt"));
    {
        OwnedFile first = OpenAlone(path, CREATE_ALWAYS);
        ASSERT_TRUE(first.valid());
        OwnedFile second(std::move(first));
        EXPECT_FALSE(first.valid());
        EXPECT_FALSE(OpenAlone(path, OPEN_EXISTING).valid()) << "the moved handle was closed";
        HANDLE kept = second.Release();
        second.Reset();
        EXPECT_FALSE(OpenAlone(path, OPEN_EXISTING).valid()) << "a released handle was closed";
        OwnedFile last(kept);
    }
    EXPECT_TRUE(OpenAlone(path, OPEN_EXISTING).valid()) << "the last owner left it open";
}

}  // namespace
}  // namespace kestrap

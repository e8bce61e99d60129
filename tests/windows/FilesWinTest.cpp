#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/WidePaths_win.h"

namespace kestrap {
namespace {

using FilesWinTest = TempFolderTest;

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

TEST_F(FilesWinTest, HiddenSystemFoldersAndWildcardsDoNotExist) {
    temp.Write("hidden.html", "x");
    temp.Write("system.html", "x");
    SetAttributes(temp.File("hidden.html"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(temp.File("system.html"), FILE_ATTRIBUTE_SYSTEM);
    std::filesystem::create_directory(temp.File("folder.html"));
    EXPECT_FALSE(FileExists(temp.File("hidden.html")));
    EXPECT_FALSE(FileExists(temp.File("system.html")));
    EXPECT_FALSE(FileExists(temp.File("folder.html")));
    EXPECT_FALSE(FileExists(temp.File("*.html")));
}

// device names stand for a device in any folder: no file is there, and none is read
TEST_F(FilesWinTest, DeviceNamesAreNeitherThereNorRead) {
    std::string bytes;
    bool cut = false;
    EXPECT_FALSE(ReadFileStart(temp.File("nul.html"), bytes, 1024, cut));
    EXPECT_FALSE(PathExists(temp.File("nul.html")));
    EXPECT_FALSE(PathExists(temp.File("Com1 .htm")));
    EXPECT_FALSE(PathExists(temp.File("aux")));
    temp.Write("console.html", "x");
    EXPECT_TRUE(PathExists(temp.File("console.html")));
    temp.Write("com10.html", "x");
    EXPECT_TRUE(PathExists(temp.File("com10.html")));
}

TEST_F(FilesWinTest, ReadOnlyTargetIsKeptAndHiddenOneReplaced) {
    temp.Write("results.html", "old");
    SetAttributes(temp.File("results.html"), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteFileAtomically(temp.File("results.html"), "new"));
    EXPECT_EQ(temp.Read("results.html"), "old");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(temp.Path())) ++entries;
    EXPECT_EQ(entries, 1) << "the temporary file was left behind";
    SetAttributes(temp.File("results.html"), FILE_ATTRIBUTE_NORMAL);

    temp.Write("kestrap.ini", "old");
    SetAttributes(temp.File("kestrap.ini"), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(WriteFileAtomically(temp.File("kestrap.ini"), "new"));
    EXPECT_EQ(temp.Read("kestrap.ini"), "new");
}

TEST_F(FilesWinTest, BackslashPathsAndTheProgramFolder) {
    std::string folder = temp.Path();
    for (char& c : folder) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(WriteFileAtomically(folder + "a.cit", "x\r\n"));
    std::string bytes;
    EXPECT_TRUE(FileExists(folder + "a.cit"));
    EXPECT_TRUE(ReadWholeFile(folder + "a.cit", bytes));
    EXPECT_EQ(bytes, "x\r\n");

    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string program = ExecutableFolder();
    EXPECT_EQ(program.back(), '\\');
    EXPECT_EQ(std::string(module, n).rfind(program, 0), 0u);
}

// a program folder named outside the ANSI code page, as for a user called Łukasz
TEST_F(FilesWinTest, FolderNamedOutsideTheCodePageIsReadAndWritten) {
    const std::string folder = temp.Path() + "\xC5\x81ukasz\\";
    const std::wstring wideFolder = WidePath(temp.Path()) + L"\u0141ukasz\\";
    ASSERT_TRUE(CreateDirectoryW(wideFolder.c_str(), nullptr));

    const std::string settings = JoinPath(folder, "kestrap.ini");
    ASSERT_TRUE(WriteFileAtomically(settings, "first"));
    ASSERT_TRUE(WriteFileAtomically(settings, "second"));
    EXPECT_TRUE(FileExists(settings));
    EXPECT_TRUE(PathExists(settings));
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(settings, bytes));
    EXPECT_EQ(bytes, "second");
    EXPECT_NE(GetFileAttributesW((wideFolder + L"kestrap.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    // a name typed into the window is ANSI: "\xE9" is "é" in Windows-1252
    ASSERT_TRUE(WriteFileAtomically(JoinPath(folder, "caf\xE9.html"), "x"));
    const std::wstring typed = wideFolder + L"caf\u00E9.html";
    EXPECT_NE(GetFileAttributesW(typed.c_str()), INVALID_FILE_ATTRIBUTES);
    const auto entries = std::distance(std::filesystem::directory_iterator(wideFolder),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 2) << "a temporary file was left behind";

    EXPECT_EQ(PathForDisplay(JoinPath(folder, "caf\xE9.html")),
              temp.Path() + "?ukasz\\caf\xE9.html");
}

TEST_F(FilesWinTest, ReadOnlyTargetAndMissingFolderGiveDifferentMessages) {
    temp.Write("locked.html", "old");
    SetAttributes(temp.File("locked.html"), FILE_ATTRIBUTE_READONLY);
    SystemError locked = 0, missing = 0;
    EXPECT_FALSE(WriteFileAtomically(temp.File("locked.html"), "new", &locked));
    EXPECT_FALSE(WriteFileAtomically(temp.File("gone\\kestrap.html"), "new", &missing));
    SetAttributes(temp.File("locked.html"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(locked, ERROR_ACCESS_DENIED);
    EXPECT_EQ(missing, ERROR_PATH_NOT_FOUND);
    EXPECT_NE(SystemMessage(locked), SystemMessage(missing));
    // a code the system has no words for still says something
    EXPECT_EQ(SystemMessage(static_cast<SystemError>(0x8FFF0001)), "Error 0x8FFF0001");
}

}  // namespace
}  // namespace kestrap

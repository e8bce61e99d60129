#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/Files.h"

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

}  // namespace
}  // namespace kestrap

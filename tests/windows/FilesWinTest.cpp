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

TEST_F(FilesWinTest, HiddenAndSystemFilesDoNotExist) {
    temp.Write("hidden.html", "x");
    temp.Write("system.html", "x");
    temp.Write("normal.html", "x");
    SetAttributes(temp.File("hidden.html"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(temp.File("system.html"), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(FileExists(temp.File("hidden.html")));
    EXPECT_FALSE(FileExists(temp.File("system.html")));
    EXPECT_TRUE(FileExists(temp.File("normal.html")));
}

TEST_F(FilesWinTest, FoldersAndWildcardsDoNotExist) {
    std::filesystem::create_directory(temp.File("kestrap.html"));
    temp.Write("other.html", "x");
    EXPECT_FALSE(FileExists(temp.File("kestrap.html")));
    EXPECT_FALSE(FileExists(temp.File("*.html")));
    EXPECT_FALSE(FileExists(temp.File("other.htm?")));
}

TEST_F(FilesWinTest, ReadOnlyTargetIsNotReplaced) {
    temp.Write("results.html", "old");
    SetAttributes(temp.File("results.html"), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteFileAtomically(temp.File("results.html"), "new"));
    EXPECT_EQ(temp.Read("results.html"), "old");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(temp.Path())) ++entries;
    EXPECT_EQ(entries, 1) << "the temporary file was left behind";
    SetAttributes(temp.File("results.html"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesWinTest, HiddenTargetIsReplaced) {
    temp.Write("kestrap.ini", "old");
    SetAttributes(temp.File("kestrap.ini"), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(WriteFileAtomically(temp.File("kestrap.ini"), "new"));
    EXPECT_EQ(temp.Read("kestrap.ini"), "new");
}

TEST_F(FilesWinTest, BackslashPathsWork) {
    std::string path = temp.Path();
    for (char& c : path) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(WriteFileAtomically(path + "a.cit", "x\r\n"));
    EXPECT_TRUE(FileExists(path + "a.cit"));
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path + "a.cit", bytes));
    EXPECT_EQ(bytes, "x\r\n");
}

TEST(ExecutableFolderWin, NamesTheTestProgramsFolder) {
    std::string folder = ExecutableFolder();
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::string(module, n).rfind(folder, 0), 0u);
    EXPECT_EQ(folder.back(), '\\');
}

}  // namespace
}  // namespace kestrap

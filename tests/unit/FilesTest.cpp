#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/Files.h"

namespace kestrap {
namespace {

namespace fs = std::filesystem;

using FilesTest = TempFolderTest;

int EntriesIn(const std::string& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
    return count;
}

TEST_F(FilesTest, AtomicWriteCreatesAndReplacesWithExactBytesAndNoLeftovers) {
    const std::string odd("a\r\nb\0c\x1a\xff\r\n", 11);
    ASSERT_TRUE(WriteFileAtomically(temp.File("out.html"), "first version, longer than the next"));
    ASSERT_TRUE(WriteFileAtomically(temp.File("out.html"), odd));
    EXPECT_EQ(temp.Read("out.html"), odd);
    EXPECT_EQ(EntriesIn(temp.Path()), 1);

    ASSERT_TRUE(WriteFileAtomically(temp.File("empty.txt"), ""));
    EXPECT_TRUE(temp.Exists("empty.txt"));
    EXPECT_EQ(temp.Read("empty.txt"), "");
}

TEST_F(FilesTest, AtomicWriteIntoMissingFolderFails) {
    EXPECT_FALSE(WriteFileAtomically(temp.File("missing/out.html"), "x"));
    EXPECT_FALSE(temp.Exists("missing"));
    EXPECT_EQ(EntriesIn(temp.Path()), 0);
}

TEST_F(FilesTest, AtomicWriteOverAFolderFailsAndKeepsIt) {
    fs::create_directory(temp.File("taken"));
    temp.Write("taken/inside.txt", "kept");
    EXPECT_FALSE(WriteFileAtomically(temp.File("taken"), "x"));
    EXPECT_EQ(temp.Read("taken/inside.txt"), "kept");
    EXPECT_EQ(EntriesIn(temp.Path()), 1);
}

TEST_F(FilesTest, AtomicWriteKeepsAReadOnlyFile) {
    temp.Write("locked.html", "old content");
    fs::permissions(temp.File("locked.html"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(WriteFileAtomically(temp.File("locked.html"), "new content"));
    EXPECT_EQ(temp.Read("locked.html"), "old content");
    EXPECT_EQ(EntriesIn(temp.Path()), 1);
    fs::permissions(temp.File("locked.html"), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(FilesTest, ReadsWholeFilesAndStartsOfLargeOnes) {
    temp.Write("data.bin", std::string("0123456789\0\x1a", 12));
    std::string bytes;
    bool cut = true;
    ASSERT_TRUE(ReadFileStart(temp.File("data.bin"), bytes, 100, cut));
    EXPECT_EQ(bytes, std::string("0123456789\0\x1a", 12));
    EXPECT_FALSE(cut);

    ASSERT_TRUE(ReadFileStart(temp.File("data.bin"), bytes, 4, cut));
    EXPECT_EQ(bytes, "0123");
    EXPECT_TRUE(cut);

    ASSERT_TRUE(ReadFileStart(temp.File("data.bin"), bytes, 12, cut));
    EXPECT_FALSE(cut);

    EXPECT_TRUE(ReadWholeFile(temp.File("data.bin"), bytes));
    EXPECT_EQ(bytes.size(), 12u);
    EXPECT_FALSE(ReadWholeFile(temp.File("data.bin"), bytes, 11));
    EXPECT_FALSE(ReadWholeFile(temp.File("absent.bin"), bytes));
}

TEST_F(FilesTest, ExistenceCountsOnlyVisibleFiles) {
    temp.Write("plain.txt", "x");
    fs::create_directory(temp.File("folder"));
    EXPECT_TRUE(FileExists(temp.File("plain.txt")));
    EXPECT_FALSE(FileExists(temp.File("folder")));
    EXPECT_FALSE(FileExists(temp.File("absent.txt")));
    EXPECT_FALSE(FileExists(""));
#ifndef _WIN32
    temp.Write(".hidden", "x");
    EXPECT_FALSE(FileExists(temp.File(".hidden")));
#endif
}

TEST(ExecutableFolder, EndsWithASeparatorAndExists) {
    std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\');
    EXPECT_TRUE(fs::is_directory(folder));
}

}  // namespace
}  // namespace kestrap

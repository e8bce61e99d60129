#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FullDisk.h"
#include "TempFolder.h"
#include "platform/Files.h"

namespace kestrap {
namespace {

namespace fs = std::filesystem;

using FilesTest = TempFolderTest;

int EntriesIn(const std::string& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

void SetWritable(const std::string& path, bool writable) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    writable ? fs::perm_options::add : fs::perm_options::remove);
}

// a hidden file and a folder do not count as files, but something is there all the same
TEST_F(FilesTest, PathExistsSeesWhatFileExistsLeavesOut) {
    temp.Write(".hidden.html", "x");
    fs::create_directory(temp.File("folder.html"));
    EXPECT_FALSE(FileExists(temp.File(".hidden.html")));
    EXPECT_TRUE(PathExists(temp.File(".hidden.html")));
    EXPECT_TRUE(PathExists(temp.File("folder.html")));
    EXPECT_FALSE(PathExists(temp.File("missing.html")));
    EXPECT_FALSE(PathExists(""));
}

TEST_F(FilesTest, AtomicWriteReplacesWithExactBytesAndLeavesNoTemporaryFile) {
    const std::string odd("a\r\nb\0c\x1a\xff\r\n", 11);
    ASSERT_TRUE(WriteFileAtomically(temp.File("out.html"), "first version, longer than the next"));
    ASSERT_TRUE(WriteFileAtomically(temp.File("out.html"), odd));
    EXPECT_EQ(temp.Read("out.html"), odd);
    EXPECT_EQ(EntriesIn(temp.Path()), 1);
}

TEST_F(FilesTest, FailedAtomicWritesKeepTheOldFileAndLeaveNothingBehind) {
    EXPECT_FALSE(WriteFileAtomically(temp.File("missing/out.html"), "x"));
    temp.Write("locked.html", "old content");
    SetWritable(temp.File("locked.html"), false);
    EXPECT_FALSE(WriteFileAtomically(temp.File("locked.html"), "new content"));
    EXPECT_EQ(temp.Read("locked.html"), "old content");
    EXPECT_EQ(EntriesIn(temp.Path()), 1);
    SetWritable(temp.File("locked.html"), true);
}

// a user must be able to tell a missing folder from a locked file from a full disk
TEST_F(FilesTest, FailedWritesSayWhyInTheSystemsWords) {
    SystemError missing = 0, locked = 0, full = 0;
    EXPECT_FALSE(WriteFileAtomically(temp.File("missing/out.html"), "x", &missing));
    temp.Write("locked.html", "old");
    SetWritable(temp.File("locked.html"), false);
    EXPECT_FALSE(WriteFileAtomically(temp.File("locked.html"), "new", &locked));
    SetWritable(temp.File("locked.html"), true);
    {
        FullDisk disk(4096);
        if (disk.Works()) {
            EXPECT_FALSE(WriteFileAtomically(temp.File("big.html"), std::string(8192, 'x'), &full));
        }
    }
    std::vector<SystemError> codes{missing, locked};
    if (full != 0) codes.push_back(full);  // where a full disk can be made
    std::vector<std::string> messages;
    for (SystemError code : codes) {
        EXPECT_NE(code, 0);
        messages.push_back(SystemMessage(code));
        EXPECT_FALSE(messages.back().empty());
        EXPECT_EQ(std::string("\r\n. ").find(messages.back().back()), std::string::npos)
            << messages.back();
    }
    for (size_t i = 0; i < messages.size(); ++i)
        for (size_t j = i + 1; j < messages.size(); ++j) EXPECT_NE(messages[i], messages[j]);
    EXPECT_EQ(EntriesIn(temp.Path()), 1);

    SystemError unread = 0, tooLarge = 0;
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(temp.File("absent.html"), bytes, 16, &unread));
    EXPECT_NE(unread, 0);
    EXPECT_FALSE(ReadWholeFile(temp.File("locked.html"), bytes, 2, &tooLarge));
    EXPECT_EQ(tooLarge, FileTooLargeError);
}

TEST_F(FilesTest, ReadsWholeFilesOrTheStartOfLargeOnes) {
    const std::string bytes("0123456789\0\x1a", 12);
    temp.Write("data.bin", bytes);
    std::string read;
    bool cut = true;
    ASSERT_TRUE(ReadFileStart(temp.File("data.bin"), read, 12, cut));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(cut);
    ASSERT_TRUE(ReadFileStart(temp.File("data.bin"), read, 4, cut));
    EXPECT_EQ(read, "0123");
    EXPECT_TRUE(cut);
    EXPECT_FALSE(ReadWholeFile(temp.File("data.bin"), read, 11));
    EXPECT_FALSE(ReadWholeFile(temp.File("absent.bin"), read));
}

TEST_F(FilesTest, OnlyVisibleFilesExist) {
    temp.Write("plain.txt", "x");
    fs::create_directory(temp.File("folder"));
    EXPECT_TRUE(FileExists(temp.File("plain.txt")));
    EXPECT_FALSE(FileExists(temp.File("folder")));
    EXPECT_FALSE(FileExists(temp.File("absent.txt")));
#ifndef _WIN32
    temp.Write(".hidden", "x");
    EXPECT_FALSE(FileExists(temp.File(".hidden")));
#endif
}

}  // namespace
}  // namespace kestrap

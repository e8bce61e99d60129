#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "desktop/Shortcut.h"
#include "platform/Owned_win.h"
#include "platform/WidePaths_win.h"

namespace kestrap {
namespace {

namespace fs = std::filesystem;

struct LinkContents {
    bool loaded = false;
    std::string target, workingFolder, description, arguments;
};

// Reads a link back the way the shell does.
LinkContents ReadLink(const std::string& path) {
    LinkContents contents;
    ComScope com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.Out())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.Out())) ||
        FAILED(file->Load(WidePath(path).c_str(), STGM_READ))) {
        return contents;
    }
    contents.loaded = true;
    // the target as the shell resolves it; Wine's GetPath answers with the ANSI copy
    wchar_t text[1024] = {};
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(link->GetIDList(&items)) && items && SHGetPathFromIDListW(items, text)) {
        contents.target = PathFromWide(text);
    }
    CoTaskMemFree(items);
    text[0] = 0;
    link->GetWorkingDirectory(text, 1024);
    contents.workingFolder = PathFromWide(text);
    text[0] = 0;
    link->GetDescription(text, 1024);
    contents.description = PathFromWide(text);
    text[0] = 0;
    link->GetArguments(text, 1024);
    contents.arguments = PathFromWide(text);
    return contents;
}

// The show command as stored in the file's header (the shell reads back anything but
// normal, maximised and minimised as normal).
int StoredShowCommand(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 0x4C) return -1;
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + 0x3C, sizeof value);
    return static_cast<int>(value);
}

class ShellLinkTest : public testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        folder = std::string(base) + "kestrap-link-" + std::to_string(GetCurrentProcessId()) + "\\";
        fs::create_directories(folder);
        // a real executable to point at, as the program folder would hold
        OwnedFile(CreateFileA((folder + "kestrap.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string folder;  // with its trailing backslash, like the program folder
};

TEST_F(ShellLinkTest, WrittenLinkReadsBackWithTargetFolderDescriptionAndShowCommand) {
    const std::string link = folder + "Orvane Kestrap.lnk";
    ASSERT_EQ(WriteShellLink(link, folder + "kestrap.exe", folder, "Run the Orvane Kestrap"),
              LinkWrite::Written);

    const LinkContents read = ReadLink(link);
    ASSERT_TRUE(read.loaded);
    EXPECT_STRCASEEQ(read.target.c_str(), (folder + "kestrap.exe").c_str());
    EXPECT_EQ(read.workingFolder, folder);  // trailing backslash kept
    EXPECT_EQ(read.description, "Run the Orvane Kestrap");
    EXPECT_EQ(read.arguments, "");
    EXPECT_EQ(StoredShowCommand(link), SW_SHOW);
}

TEST_F(ShellLinkTest, ExistingLinkIsReplaced) {
    const std::string link = folder + "Orvane Kestrap.lnk";
    ASSERT_EQ(WriteShellLink(link, folder + "kestrap.exe", folder, "first"), LinkWrite::Written);
    ASSERT_EQ(WriteShellLink(link, folder + "kestrap.exe", folder, "second"), LinkWrite::Written);
    EXPECT_EQ(ReadLink(link).description, "second");
}

TEST_F(ShellLinkTest, EmptyPathWritesNothingButFindsTheLinkObject) {
    EXPECT_EQ(WriteShellLink("", folder + "kestrap.exe", folder, "x"), LinkWrite::NotWritten);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "only the target itself is in the folder";
}

TEST_F(ShellLinkTest, UnknownFolderGivesNoPathAndNoLink) {
    EXPECT_EQ(GetSpecialFolderPath(0x7F), "");  // not a folder the shell knows
    EXPECT_TRUE(CreateStartMenuShortcut(0x7F, "Orvane Kestrap.lnk", folder + "kestrap.exe", folder,
                                        "Run the Orvane Kestrap"));
    EXPECT_FALSE(fs::exists("\\Orvane Kestrap.lnk"));
}

// a program folder named outside the ANSI code page, as for a user called Łukasz
TEST_F(ShellLinkTest, LinkInAFolderNamedOutsideTheCodePageReadsBack) {
    const std::string named = folder + "\xC5\x81ukasz\\";
    ASSERT_TRUE(CreateDirectoryW(WidePath(named).c_str(), nullptr));
    OwnedFile(CreateFileW(WidePath(named + "kestrap.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string link = named + "Orvane Kestrap.lnk";
    SystemError error = -1;
    ASSERT_EQ(WriteShellLink(link, named + "kestrap.exe", named, "Run the Orvane Kestrap", &error),
              LinkWrite::Written);
    EXPECT_EQ(error, 0);
    const LinkContents read = ReadLink(link);
    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, WidePath(read.target).c_str(), -1,
                             WidePath(named + "kestrap.exe").c_str(), -1),
              CSTR_EQUAL)
        << read.target;
    EXPECT_EQ(read.workingFolder, named);
}

TEST_F(ShellLinkTest, FailedWriteSaysWhy) {
    SystemError error = 0;
    EXPECT_EQ(WriteShellLink(folder + "gone\\Orvane Kestrap.lnk", folder + "kestrap.exe", folder,
                             "x", &error),
              LinkWrite::NotWritten);
    EXPECT_NE(error, 0);
    EXPECT_FALSE(SystemMessage(error).empty());
}

TEST(SpecialFolder, ProgramsFolderIsAnExistingPathWithoutTrailingBackslash) {
    const std::string programs = GetSpecialFolderPath(CSIDL_PROGRAMS);
    ASSERT_FALSE(programs.empty());
    EXPECT_NE(programs.back(), '\\');
    EXPECT_TRUE(fs::is_directory(programs));
}

TEST(SpecialFolder, StartMenuShortcutLandsInTheProgramsFolder) {
    const std::string programs = GetSpecialFolderPath(CSIDL_PROGRAMS);
    ASSERT_FALSE(programs.empty());
    const std::string name = "Kestrap test " + std::to_string(GetCurrentProcessId()) + ".lnk";
    ASSERT_TRUE(CreateStartMenuShortcut(CSIDL_PROGRAMS, name, "C:\\Tools\\kestrap.exe",
                                        "C:\\Tools\\", "Run the Orvane Kestrap"));
    const std::string link = programs + "\\" + name;
    const LinkContents read = ReadLink(link);
    DeleteFileA(link.c_str());
    ASSERT_TRUE(read.loaded);
    EXPECT_STRCASEEQ(read.target.c_str(), "C:\\Tools\\kestrap.exe");
    EXPECT_EQ(read.workingFolder, "C:\\Tools\\");
}

}  // namespace
}  // namespace kestrap

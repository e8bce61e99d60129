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
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            const std::wstring wide(path.begin(), path.end());
            if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
                contents.loaded = true;
                char text[1024] = {};
                link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
                contents.target = text;
                text[0] = 0;
                link->GetWorkingDirectory(text, sizeof text);
                contents.workingFolder = text;
                text[0] = 0;
                link->GetDescription(text, sizeof text);
                contents.description = text;
                text[0] = 0;
                link->GetArguments(text, sizeof text);
                contents.arguments = text;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
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
        CloseHandle(CreateFileA((folder + "kestrap.exe").c_str(), GENERIC_WRITE, 0, nullptr,
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

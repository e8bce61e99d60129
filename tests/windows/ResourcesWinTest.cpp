#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Version.h"

namespace kestrap {
namespace {

// The build names kestrap.exe by its host path; under Wine a POSIX path lies on drive Z:.
std::wstring ProgramPath() {
    std::string path = KESTRAP_EXE_PATH;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    return wide;
}

std::string ManifestText() {
    HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!program) return {};
    std::string text;
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes) text.assign(static_cast<const char*>(bytes), SizeofResource(program, found));
    FreeLibrary(program);
    return text;
}

class VersionInfo {
public:
    VersionInfo() {
        const std::wstring path = ProgramPath();
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (size == 0) return;
        block_.resize(size);
        if (!GetFileVersionInfoW(path.c_str(), 0, size, block_.data())) block_.clear();
    }
    bool Loaded() const { return !block_.empty(); }

    const VS_FIXEDFILEINFO* Fixed() const {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block_.data(), L"\\", &value, &length) ||
            length < sizeof(VS_FIXEDFILEINFO)) {
            return nullptr;
        }
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    // a string value in the first language the block lists, as Explorer's Details tab reads it
    std::wstring Text(const std::wstring& name) const {
        struct Translation { WORD language, codePage; }* translation = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation",
                            reinterpret_cast<void**>(&translation), &length) ||
            length < sizeof(Translation)) {
            return L"(no translation)";
        }
        wchar_t key[64];
        swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\", translation->language,
                 translation->codePage);
        void* value = nullptr;
        if (!VerQueryValueW(block_.data(), (key + name).c_str(), &value, &length) || length == 0) {
            return L"(missing)";
        }
        return static_cast<const wchar_t*>(value);
    }

private:
    std::vector<char> block_;
};

TEST(ProgramResources, VersionFieldsReadBackAsPropertiesShowThem) {
    VersionInfo info;
    ASSERT_TRUE(info.Loaded()) << "no version resource in kestrap.exe";
    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_NE(fixed, nullptr);
    const DWORD high = MAKELONG(KESTRAP_VERSION_MINOR, KESTRAP_VERSION_MAJOR);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    const std::wstring text(ProgramVersionText.begin(), ProgramVersionText.end());
    EXPECT_EQ(info.Text(L"FileVersion"), text);
    EXPECT_EQ(info.Text(L"ProductVersion"), text);
    EXPECT_EQ(info.Text(L"ProductName"), L"Orvane Kestrap");
    EXPECT_EQ(info.Text(L"CompanyName"), L"Orvane");
    EXPECT_EQ(info.Text(L"OriginalFilename"), L"kestrap.exe");
    EXPECT_NE(info.Text(L"FileDescription").find(L"Kestrap"), std::wstring::npos);
    EXPECT_NE(info.Text(L"LegalCopyright").find(L"Orvane"), std::wstring::npos);
}

TEST(ProgramResources, ManifestAsksForVisualStylesDpiAwarenessAndNoElevation) {
    const std::string manifest = ManifestText();
    ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1 in kestrap.exe";
    const char* expected[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
        ">true</dpiAware>",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
        "level=\"asInvoker\"",
    };
    for (const char* text : expected) {
        EXPECT_NE(manifest.find(text), std::string::npos) << text;
    }
    // per-monitor awareness would promise a relayout on WM_DPICHANGED that the window lacks
    EXPECT_EQ(manifest.find("PerMonitor"), std::string::npos);
}

}  // namespace
}  // namespace kestrap

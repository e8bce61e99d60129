#include "desktop/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace kestrap {
namespace {

// COM for the current thread, for the length of one shell operation; uninitialised only
// when this initialise succeeded.
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    void** out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

// The whole path or nothing: a cut path would name another file.
std::wstring WidePath(std::string_view path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                           nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return wide;
}

LinkWrite WriteLinkInComScope(std::string_view linkPath, std::string_view target,
                              std::string_view workingFolder, std::string_view description) {
    ComPtr<IShellLinkA> link;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         link.out()) != S_OK)
        return LinkWrite::NoLinkObject;
    link->SetPath(std::string(target).c_str());
    link->SetArguments("");
    link->SetWorkingDirectory(std::string(workingFolder).c_str());
    link->SetShowCmd(SW_SHOW);
    link->SetDescription(std::string(description).c_str());

    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return LinkWrite::NotWritten;
    const std::wstring widePath = WidePath(linkPath);
    if (widePath.empty()) return LinkWrite::NotWritten;
    return SUCCEEDED(file->Save(widePath.c_str(), TRUE)) ? LinkWrite::Written
                                                         : LinkWrite::NotWritten;
}

}  // namespace

std::string GetSpecialFolderPath(int folderCsidl) {
    ComScope com;
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, folderCsidl, &items) != S_OK) return {};
    char path[MAX_PATH + 1] = {};
    SHGetPathFromIDListA(items, path);
    CoTaskMemFree(items);
    return path;
}

LinkWrite WriteShellLink(std::string_view linkPath, std::string_view target,
                         std::string_view workingFolder, std::string_view description) {
    ComScope com;
    return WriteLinkInComScope(linkPath, target, workingFolder, description);
}

bool CreateStartMenuShortcut(int folderCsidl, std::string_view linkName, std::string_view target,
                             std::string_view workingFolder, std::string_view description) {
    const std::string folder = GetSpecialFolderPath(folderCsidl);
    // without the folder the path would point at the root of the current drive
    const std::string linkPath = folder.empty() ? std::string() : folder + "\\" + std::string(linkName);
    return WriteShellLink(linkPath, target, workingFolder, description) != LinkWrite::NoLinkObject;
}

}  // namespace kestrap

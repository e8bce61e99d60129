#include "desktop/Shortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/Owned_win.h"
#include "platform/Paths.h"
#include "platform/WidePaths_win.h"

namespace kestrap {
namespace {

// A failed call's HRESULT as the Win32 code it wraps, where it wraps one: the system's
// message table knows those.
SystemError ErrorOf(HRESULT result) {
    if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
        return static_cast<SystemError>(HRESULT_CODE(result));
    }
    return static_cast<SystemError>(result);
}

LinkWrite NotWritten(SystemError* error, SystemError code) {
    if (error) *error = code;
    return LinkWrite::NotWritten;
}

LinkWrite WriteLinkInComScope(std::string_view linkPath, std::string_view target,
                              std::string_view workingFolder, std::string_view description,
                              SystemError* error) {
    ComPtr<IShellLinkW> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, link.Out());
    if (result != S_OK) {
        if (error) *error = ErrorOf(result);
        return LinkWrite::NoLinkObject;
    }
    link->SetPath(WidePath(target).c_str());
    link->SetArguments(L"");
    link->SetWorkingDirectory(WidePath(workingFolder).c_str());
    link->SetShowCmd(SW_SHOW);
    // the description is the program's own ANSI text, not a path
    const std::string text(description);
    std::wstring wideDescription(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wideDescription.data(),
                                           static_cast<int>(wideDescription.size()));
    wideDescription.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
    link->SetDescription(wideDescription.c_str());

    ComPtr<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.Out());
    if (FAILED(result)) return NotWritten(error, ErrorOf(result));
    const std::wstring widePath = WidePath(linkPath);
    if (widePath.empty()) return NotWritten(error, ERROR_INVALID_NAME);
    result = file->Save(widePath.c_str(), TRUE);
    if (FAILED(result)) return NotWritten(error, ErrorOf(result));
    if (error) *error = 0;
    return LinkWrite::Written;
}

}  // namespace

std::string GetSpecialFolderPath(int folderCsidl) {
    ComScope com;
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, folderCsidl, &items) != S_OK) return {};
    wchar_t path[MAX_PATH + 1] = {};
    const BOOL found = SHGetPathFromIDListW(items, path);
    CoTaskMemFree(items);
    return found ? PathFromWide(path) : std::string();
}

LinkWrite WriteShellLink(std::string_view linkPath, std::string_view target,
                         std::string_view workingFolder, std::string_view description,
                         SystemError* error) {
    ComScope com;
    return WriteLinkInComScope(linkPath, target, workingFolder, description, error);
}

bool CreateStartMenuShortcut(int folderCsidl, std::string_view linkName, std::string_view target,
                             std::string_view workingFolder, std::string_view description,
                             SystemError* error) {
    const std::string folder = GetSpecialFolderPath(folderCsidl);
    if (folder.empty()) {
        // without the folder the path would point at the root of the current drive
        if (error) *error = ERROR_PATH_NOT_FOUND;
        return WriteShellLink("", target, workingFolder, description) != LinkWrite::NoLinkObject;
    }
    const std::string linkPath = JoinPath(folder + "\\", linkName);
    return WriteShellLink(linkPath, target, workingFolder, description, error) !=
           LinkWrite::NoLinkObject;
}

}  // namespace kestrap

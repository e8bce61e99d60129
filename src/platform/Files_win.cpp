#include "platform/Files.h"

#include <windows.h>

#include <string>

#include "platform/Owned_win.h"
#include "platform/WidePaths_win.h"

namespace kestrap {

const SystemError FileTooLargeError = ERROR_FILE_TOO_LARGE;

namespace {

std::wstring FolderOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L".";
    if (cut == 0 || path[cut - 1] == L':') return path.substr(0, cut + 1);  // "\" or "C:\"
    return path.substr(0, cut);
}

// CON, AUX, NUL, COM1 to COM9, LPT1 to LPT9 and the like name a device in every folder,
// with any extension: "aux.html" is no file
bool IsDeviceName(const std::string& path) {
    std::string name = path.substr(path.find_last_of("\\/:") + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" ||
        name == "CONOUT$") {
        return true;
    }
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
           name[3] >= '0' && name[3] <= '9';
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Keeps the code of the first failure: the clean-up after it sets codes of its own.
bool Fail(SystemError* error, DWORD code = GetLastError()) {
    if (error) *error = static_cast<SystemError>(code);
    return false;
}

}  // namespace

bool FileExists(const std::string& path) {
    // wildcards would make FindFirstFile answer for some other file
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAW found{};
    OwnedFind search(FindFirstFileW(WidePath(path).c_str(), &found));
    if (!search.valid()) return false;
    const DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (found.dwFileAttributes & excluded) == 0;
}

bool PathExists(const std::string& path) {
    return !path.empty() && !IsDeviceName(path) &&
           GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadFileStart(const std::string& path, std::string& bytes, size_t maxBytes, bool& cut,
                   SystemError* error) {
    bytes.clear();
    cut = false;
    OwnedFile file(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Fail(error);
    // names like AUX or COM1.htm open a device in any folder; reading one may never end
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return Fail(error, ERROR_INVALID_NAME);
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
            bytes.clear();
            return Fail(error);
        }
        if (n == 0) return true;
        size_t room = maxBytes - bytes.size();
        if (n > room) {
            bytes.append(buffer, room);
            cut = true;
            return true;
        }
        bytes.append(buffer, n);
    }
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, SystemError* error) {
    const std::wstring target = WidePath(path);
    if (target.empty()) return Fail(error, ERROR_INVALID_NAME);
    // Windows refuses to replace a read-only file, Wine does not: ask first so both keep it
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return Fail(error, ERROR_ACCESS_DENIED);
    }
    wchar_t temporary[MAX_PATH + 1] = {};
    const std::wstring folder = FolderOf(target);
    if (GetTempFileNameW(folder.c_str(), L"kst", 0, temporary) == 0) {
        // a missing folder reads "directory name is invalid" here; say that it is not there
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return Fail(error, ERROR_PATH_NOT_FOUND);
        }
        return Fail(error);
    }
    OwnedFile file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD code = ERROR_SUCCESS;
    if (!file.valid() || !WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
        code = GetLastError();
    }
    // a full disk may show only when the last buffers are written at the close
    if (file.valid() && !CloseHandle(file.Release()) && code == ERROR_SUCCESS) {
        code = GetLastError();
    }
    const DWORD replace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (code == ERROR_SUCCESS && !MoveFileExW(temporary, target.c_str(), replace)) {
        code = GetLastError();
    }
    if (code == ERROR_SUCCESS) return true;
    DeleteFileW(temporary);
    return Fail(error, code);
}

std::string ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return ".\\";
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) return ".\\";
        buffer.resize(buffer.size() * 2);
    }
    size_t cut = buffer.find_last_of(L"\\/");
    return cut == std::wstring::npos ? ".\\" : PathFromWide(buffer.substr(0, cut + 1));
}

}  // namespace kestrap

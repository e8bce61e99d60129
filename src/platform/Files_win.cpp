#include "platform/Files.h"

#include <windows.h>

#include <string>

namespace kestrap {
namespace {

class OwnedFile {
public:
    explicit OwnedFile(HANDLE h) : h_(h) {}
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    ~OwnedFile() { Close(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (h_ == INVALID_HANDLE_VALUE) return true;
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != 0;
    }

private:
    HANDLE h_;
};

std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return ".";
    if (cut == 0 || path[cut - 1] == ':') return path.substr(0, cut + 1);  // "\" or "C:\"
    return path.substr(0, cut);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool FileExists(const std::string& path) {
    // wildcards would make FindFirstFileA answer for some other file
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    const DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (found.dwFileAttributes & excluded) == 0;
}

bool PathExists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadFileStart(const std::string& path, std::string& bytes, size_t maxBytes, bool& cut) {
    bytes.clear();
    cut = false;
    OwnedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
            bytes.clear();
            return false;
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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    // Windows refuses to replace a read-only file, Wine does not: ask first so both keep it
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    char temporary[MAX_PATH + 1] = {};
    if (GetTempFileNameA(FolderOf(path).c_str(), "kst", 0, temporary) == 0) return false;
    OwnedFile file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    bool written = file.valid() && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
    written = file.Close() && written;
    if (!written || !MoveFileExA(temporary, path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        return false;
    }
    return true;
}

std::string ExecutableFolder() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return ".\\";
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) return ".\\";
        buffer.resize(buffer.size() * 2);
    }
    size_t cut = buffer.find_last_of("\\/");
    return cut == std::string::npos ? ".\\" : buffer.substr(0, cut + 1);
}

}  // namespace kestrap

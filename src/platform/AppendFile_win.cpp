#include "platform/AppendFile.h"

#include <windows.h>

#include "platform/Owned_win.h"
#include "platform/WidePaths_win.h"

namespace kestrap {

bool AppendToFile(const std::string& path, std::string_view bytes, size_t* sizeAfter) {
    // a log line is short; a larger write could not be one call anyway
    if (bytes.size() > (1u << 30)) return false;
    OwnedFile file(CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    bool wrote = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) != 0 && written == bytes.size();
    if (sizeAfter != nullptr) {
        LARGE_INTEGER size{};
        *sizeAfter = GetFileSizeEx(file.get(), &size) ? static_cast<size_t>(size.QuadPart) : 0;
    }
    // a full disk may show only when the file is closed
    return CloseHandle(file.Release()) != 0 && wrote;
}

}  // namespace kestrap

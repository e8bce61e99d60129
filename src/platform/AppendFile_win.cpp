#include "platform/AppendFile.h"

#include <windows.h>

namespace kestrap {

bool AppendToFile(const std::string& path, std::string_view bytes) {
    // a log line is short; a larger write could not be one call anyway
    if (bytes.size() > (1u << 30)) return false;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) != 0 && written == bytes.size();
    bool closed = CloseHandle(file) != 0;
    return wrote && closed;
}

}  // namespace kestrap

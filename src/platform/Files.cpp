#include "platform/Files.h"

namespace kestrap {

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes,
                   SystemError* error) {
    bool cut = false;
    if (!ReadFileStart(path, bytes, maxBytes, cut, error)) return false;
    if (cut) {
        bytes.clear();
        if (error) *error = FileTooLargeError;
        return false;
    }
    return true;
}

}  // namespace kestrap

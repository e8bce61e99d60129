#include "platform/Files.h"

namespace kestrap {

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes) {
    bool cut = false;
    if (!ReadFileStart(path, bytes, maxBytes, cut)) return false;
    if (cut) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace kestrap

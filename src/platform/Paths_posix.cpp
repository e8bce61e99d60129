#include "platform/Paths.h"

namespace kestrap {

std::string JoinPath(std::string_view folder, std::string_view ansiName) {
    return std::string(folder).append(ansiName);
}

std::string PathForDisplay(std::string_view path) { return std::string(path); }

}  // namespace kestrap

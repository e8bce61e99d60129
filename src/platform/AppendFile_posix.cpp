#include "platform/AppendFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrap {

bool AppendToFile(const std::string& path, std::string_view bytes, size_t* sizeAfter) {
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (sizeAfter != nullptr) {
        struct stat status {};
        *sizeAfter = fstat(fd, &status) == 0 ? static_cast<size_t>(status.st_size) : 0;
    }
    bool closed = close(fd) == 0;
    return written >= 0 && static_cast<size_t>(written) == bytes.size() && closed;
}

}  // namespace kestrap

#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <string>

namespace kestrap {

const SystemError FileTooLargeError = EFBIG;

namespace {

class OwnedFd {
public:
    explicit OwnedFd(int fd) : fd_(fd) {}
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    ~OwnedFd() { Close(); }
    int get() const { return fd_; }
    bool Close() {
        if (fd_ < 0) return true;
        int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

private:
    int fd_;
};

std::string_view NameOf(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// A fresh name beside the target; O_EXCL below makes a clash fail rather than share.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return FolderOf(path) + ".~" + std::string(NameOf(path)) + "." + std::to_string(getpid()) +
           "." + std::to_string(counter++) + ".tmp";
}

// Keeps the code of the first failure: the clean-up after it sets codes of its own.
bool Fail(SystemError* error, int code = errno) {
    if (error) *error = code;
    return false;
}

}  // namespace

bool FileExists(const std::string& path) {
    std::string_view name = NameOf(path);
    if (name.empty() || name.front() == '.') return false;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && lstat(path.c_str(), &info) == 0;
}

bool ReadFileStart(const std::string& path, std::string& bytes, size_t maxBytes, bool& cut,
                   SystemError* error) {
    bytes.clear();
    cut = false;
    OwnedFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return Fail(error);
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) return Fail(error);
    if (!S_ISREG(info.st_mode)) return Fail(error, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            return Fail(error);
        }
        if (n == 0) return true;
        size_t room = maxBytes - bytes.size();
        if (static_cast<size_t>(n) > room) {
            bytes.append(buffer, room);
            cut = true;
            return true;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, SystemError* error) {
    mode_t mode = 0666;  // the umask applies at creation
    struct stat old {};
    if (stat(path.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) return Fail(error, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        // like the read-only attribute on Windows: no write bits, no replacing
        if ((old.st_mode & 0222) == 0) return Fail(error, EACCES);
        mode = old.st_mode & 07777;
    }
    std::string temporary = TemporaryName(path);
    OwnedFd fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.get() < 0) return Fail(error);
    int code = 0;
    if (!WriteAll(fd.get(), bytes) || fsync(fd.get()) != 0) code = errno;
    // a full disk may show only when the last buffers are written at the close
    if (!fd.Close() && code == 0) code = errno;
    if (code == 0 && rename(temporary.c_str(), path.c_str()) != 0) code = errno;
    if (code == 0) return true;
    unlink(temporary.c_str());
    return Fail(error, code);
}

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return "./";
    std::string folder = FolderOf(std::string(buffer, static_cast<size_t>(n)));
    return folder.empty() ? "./" : folder;
}

}  // namespace kestrap

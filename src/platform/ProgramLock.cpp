#include "platform/ProgramLock.h"

#include <cstdint>
#include <utility>

#include "common/Text.h"

namespace kestrap {

ProgramLock::ProgramLock(ProgramLock&& other) noexcept
    : name_(std::move(other.name_)), kind_(other.kind_),
      handle_(std::exchange(other.handle_, nullptr)), held_(std::exchange(other.held_, false)) {}

ProgramLock& ProgramLock::operator=(ProgramLock&& other) noexcept {
    if (this != &other) {
        Release();
        name_ = std::move(other.name_);
        kind_ = other.kind_;
        handle_ = std::exchange(other.handle_, nullptr);
        held_ = std::exchange(other.held_, false);
    }
    return *this;
}

ProgramLock::~ProgramLock() {
    Release();
}

std::string ProgramLockName(const std::string& programFolder, LockKind kind) {
    std::string folder = LowerCase(programFolder);
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    // FNV-1a: a short, stable name that holds no path characters
    uint64_t hash = 14695981039346656037ull;
    for (char c : folder) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    static const char digits[] = "0123456789abcdef";
    // Local\\: the session's own namespace, where another user's program cannot make the
    // name first and so hold every scheduled run off
    std::string name = "Local\\kestrap-";
    for (int shift = 60; shift >= 0; shift -= 4) name += digits[(hash >> shift) & 15];
    switch (kind) {
    case LockKind::Window: return name + "-window";
    case LockKind::Run: return name + "-run";
    case LockKind::Write: return name + "-write";
    }
    return name;
}

}  // namespace kestrap

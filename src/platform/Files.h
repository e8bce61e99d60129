#pragma once
// File access that differs between Windows and POSIX. Paths are UTF-8 on Windows
// (platform/Paths.h). A failure can tell why through `error`, the system's code.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/SystemError.h"

namespace kestrap {

// True for a file that exists and is neither hidden, nor a system file, nor a folder
// (the FindFirstFileA test; on POSIX a name starting with "." counts as hidden).
bool FileExists(const std::string& path);

// True when anything at all is at the path: a file with any attributes, or a folder.
bool PathExists(const std::string& path);

// Reads the whole file; false when it cannot be opened or read, or is larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = 256u << 20,
                   SystemError* error = nullptr);

// Reads at most maxBytes from the start of the file; `cut` tells that more followed.
// False when the file cannot be opened or read.
bool ReadFileStart(const std::string& path, std::string& bytes, size_t maxBytes, bool& cut,
                   SystemError* error = nullptr);

// Replaces the file's content atomically: writes a temporary file in the same folder,
// flushes it and renames it over the target. False on any failure; the old file is then
// untouched and no temporary file is left behind. A read-only target is not replaced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         SystemError* error = nullptr);

// The code ReadWholeFile reports for a file larger than its bound.
extern const SystemError FileTooLargeError;

// The folder of the running executable, with its trailing separator.
std::string ExecutableFolder();

}  // namespace kestrap

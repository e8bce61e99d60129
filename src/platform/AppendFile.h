#pragma once
// Appending to a file that several copies of the program may write at once.
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrap {

// Adds the bytes at the file's end, creating the file when it is missing. The bytes go out
// in one write to a file opened for appending, so lines of two writers never interleave.
// False when the file cannot be opened or not everything was written. `sizeAfter`, when
// given, gets the file's size once the bytes are in (0 when it could not be told).
bool AppendToFile(const std::string& path, std::string_view bytes, size_t* sizeAfter = nullptr);

}  // namespace kestrap

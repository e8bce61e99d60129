#pragma once
// Files for the file readers' fuzz targets: a folder of the fuzz process's own.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kestrap {

// A program folder of the fuzz process's own, made once.
inline const std::string& FuzzFolder() {
    static const std::string folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("kestrap-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return (path / "").string();
    }();
    return folder;
}

inline void WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

}  // namespace kestrap

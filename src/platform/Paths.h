#pragma once
// Paths inside the program are the file system's own names: UTF-8 on Windows, so a folder
// named in any language works whatever the ANSI code page; plain bytes on POSIX. The
// window's texts stay ANSI, so names typed there and paths shown there cross over here.
#include <string>
#include <string_view>

namespace kestrap {

// The folder (a path with its trailing separator) followed by a name the user typed.
std::string JoinPath(std::string_view folder, std::string_view ansiName);

// The path as ANSI text for a message box; characters the code page lacks become "?".
std::string PathForDisplay(std::string_view path);

}  // namespace kestrap

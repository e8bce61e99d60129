#pragma once
// The crossing between the program's UTF-8 paths and the wide Win32 calls.
#include <string>
#include <string_view>

namespace kestrap {

// A path for the wide calls. Text that is not UTF-8 can only be ANSI that never went
// through JoinPath; it is read in the ANSI code page rather than refused.
std::wstring WidePath(std::string_view path);

// A path from a wide call, as UTF-8.
std::string PathFromWide(std::wstring_view wide);

}  // namespace kestrap

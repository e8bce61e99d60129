#pragma once
// Why the operating system refused: its own error code and its own words for it.
#include <string>

namespace kestrap {

// GetLastError() or an HRESULT on Windows, errno on POSIX; 0 when nothing failed.
using SystemError = int;

// The system's message for the code on one line, without a final period; never empty.
std::string SystemMessage(SystemError code);

}  // namespace kestrap

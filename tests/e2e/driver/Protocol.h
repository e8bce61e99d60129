#pragma once
// The driver's line protocol: one command per input line, one answer per output line.
// Texts travel as bytes of the ANSI code page with C-like escapes, so that line ends,
// tabs and bytes above 127 survive a line-based pipe.
#include <string>
#include <string_view>
#include <vector>

namespace kestrap::e2e {

// \\ \r \n \t and \xHH become their bytes; any other byte stands for itself.
std::string Unescape(std::string_view text);
// The reverse: control bytes, backslashes and bytes above 126 are escaped.
std::string Escape(std::string_view bytes);

// Splits off the first blank-separated word of rest; rest keeps what follows the blank.
std::string NextWord(std::string_view& rest);

// An answer line: "ok" followed by escaped fields, each after a tab.
std::string OkAnswer(const std::vector<std::string>& fields = {});
std::string ErrorAnswer(std::string_view why);

}  // namespace kestrap::e2e

#pragma once
// Text rules shared by every module: marker extraction, blank stripping, the
// lower-casing rule, reading and writing numbers, banker's rounding, line splitting.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrap {

// Where `marker` first occurs in `text` at or after `from` (as std::string_view::find, but
// quicker for the short markers of feeds and files); npos when it does not.
size_t FindText(std::string_view text, std::string_view marker, size_t from = 0);

// The text after the first `start` up to the next `end` (or to the end of `text`);
// empty when `start` does not occur.
std::string_view TextBetween(std::string_view text, std::string_view start, std::string_view end);

// Removes leading and trailing spaces (code 32 only; tabs stay).
std::string_view StripBlanks(std::string_view text);

// A-Z to a-z, plus the seven upper-case accented letters of code page 437.
std::string LowerCase(std::string_view text);
// True when `text` begins with `prefix` (given in lower case), letter case of `text`
// folded by the rule of LowerCase.
bool StartsWithAnyCase(std::string_view text, std::string_view prefix);

// The numeric value of a text: leading blanks, tabs and line feeds skipped, the longest
// decimal prefix (or an "&H", "&O", "&Q", "&B", "&digit" radix form); 0 when none.
double ReadNumber(std::string_view text);

// Nearest integer, exact halves to the even neighbour.
int64_t RoundHalfEven(double value);

std::string FormatPlain(int64_t value);                  // 42, -7
std::string FormatDigits(int64_t value, int minDigits);  // masks "00" and "0000"
std::string FormatTwoDecimals(double value);             // mask "0.00"
std::string FormatThousands(int64_t value);              // 1,234

// Takes the next line off `rest`. A line ends at CR (a following LF belongs to the line
// end) or at a lone LF. Returns false when `rest` is empty.
bool NextLine(std::string_view& rest, std::string_view& line);

}  // namespace kestrap

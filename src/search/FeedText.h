#pragma once
// How text from a feed is held: titles as HTML text in the program's ANSI code page, links
// as addresses, dates as inert characters. Whatever a feed sends, a held field can neither
// add markup to the results file nor reach the shell as anything but a web address.
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrap {

// True when the body's XML declaration (after white space and a byte-order mark) names
// UTF-8 (any case, "utf-8" or "utf8"), or names no encoding (or is missing) and the whole
// body is valid UTF-8. A body that names any other encoding is false.
bool IsUtf8Feed(std::string_view body);

// The longest title held, in bytes.
constexpr size_t MaxHeldTitleBytes = 4096;

// A title as held: "<" and ">" become "&lt;" and "&gt;", everything else stays as sent
// (entities included). From a UTF-8 feed (`utf8`), characters are converted to the ANSI
// code page, those it lacks become "&#N;" (decimal), and bytes that are not valid UTF-8
// stay as they are. The result holds no "<" or ">", and is cut to MaxHeldTitleBytes
// before the first character or reference that would not fit whole.
std::string HeldTitle(std::string_view raw, bool utf8);
// The same into `held`, whose room is used again.
void HoldTitle(std::string_view raw, bool utf8, std::string& held);

}  // namespace kestrap

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

// A link as held: space, tab, CR and LF trimmed from both ends; inside, '"', '<', '>',
// white space and control bytes, bars in a row ("||"), and for a UTF-8 feed every byte
// above 127, become %XX (upper-case hex). The result holds none of those bytes, so a held link is its own
// form in the results file too.
std::string HeldLink(std::string_view raw, bool utf8);

// A stored date as held: the same length, with '<', '>', '&' and '"' replaced by '_'.
std::string HeldDate(std::string_view date);

// True for a link that begins with "http://" or "https://" (any case) and names a host:
// the only links the program gives to the shell or writes as a live href.
bool IsWebAddress(std::string_view link);

}  // namespace kestrap

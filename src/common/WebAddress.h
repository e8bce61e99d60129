#pragma once
// Links as the program keeps them: the form a link is held in, and the test that decides
// whether a link may reach the shell or a live href.
#include <string>
#include <string_view>

namespace kestrap {

// True for a link that begins with "http://" or "https://" (any case) and names a host:
// the only links the program gives to the shell or writes as a live href.
bool IsWebAddress(std::string_view link);

// A link as held: space, tab, CR and LF trimmed from both ends; inside, '"', '<', '>',
// white space and control bytes, bars in a row ("||"), and for a UTF-8 feed every byte
// above 127, become %XX (upper-case hex). The result holds none of those bytes, so a held
// link is its own form in the results file too.
std::string HeldLink(std::string_view raw, bool utf8);
// The same into `held`, whose room is used again.
void HoldLink(std::string_view raw, bool utf8, std::string& held);

}  // namespace kestrap

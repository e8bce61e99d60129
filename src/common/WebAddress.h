#pragma once
// The test that decides whether a link may reach the shell or a live href.
#include <string_view>

namespace kestrap {

// True for a link that begins with "http://" or "https://" (any case) and names a host:
// the only links the program gives to the shell or writes as a live href.
bool IsWebAddress(std::string_view link);

}  // namespace kestrap

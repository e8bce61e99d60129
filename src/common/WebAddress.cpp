#include "common/WebAddress.h"

#include "common/Text.h"

namespace kestrap {

bool IsWebAddress(std::string_view link) {
    // the schemes are ASCII, so the program's lower-casing rule folds them as ASCII does
    const std::string scheme = LowerCase(link.substr(0, 8));
    std::string_view rest;
    if (scheme.starts_with("http://")) rest = link.substr(7);
    else if (scheme == "https://") rest = link.substr(8);
    else return false;
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    return !authority.empty() && authority.front() != ':';
}

}  // namespace kestrap

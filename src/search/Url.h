#pragma once
// Web addresses: taking one apart for a fetch, and resolving a relative reference.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrap {

struct Url {
    bool https = false;
    std::string host;        // as written; never empty
    std::uint16_t port = 0;  // 80 or 443 when the address names none
    std::string target;      // path and query, beginning with "/"; the fragment is dropped
};

// An absolute http:// or https:// address (scheme in any case) that a request can carry:
// a host of its own, an optional decimal port, no user part, no blanks or control bytes.
std::optional<Url> ParseUrl(std::string_view text);

// `reference` made absolute against the absolute address `base` (RFC 3986, section 5.2,
// dot segments removed). An absolute reference comes back with its dot segments removed;
// empty when `base` has no scheme.
std::string ResolveUrl(std::string_view base, std::string_view reference);

// True when `text` begins with "http://" or "https://", letter case ignored.
bool HasWebScheme(std::string_view text);

}  // namespace kestrap

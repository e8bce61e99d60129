#pragma once
#include <string_view>

namespace kestrap {

struct HttpOptions;
class Window;

constexpr std::string_view UpdateHost = "www.orvane.net";
constexpr std::string_view UpdatePath = "/blog/kestrap/";

// The page's version in hundredths, or 0 when the answer names none.
int PageVersion(std::string_view answer);

// Fetches the update page and offers it when it names a newer version.
void CheckForUpdate(Window& window, const HttpOptions& http);

}  // namespace kestrap

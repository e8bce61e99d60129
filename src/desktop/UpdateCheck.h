#pragma once
// The maker's update page and the version it names.
#include <string>
#include <string_view>

namespace kestrap {

struct HttpOptions;

constexpr std::string_view UpdateHost = "www.orvane.net";
constexpr std::string_view UpdatePath = "/blog/kestrap/";

// The page's version in hundredths, or 0 when the answer names none.
int PageVersion(std::string_view answer);
// Fetches the update page; its version in hundredths, 0 when none could be read.
int FetchPageVersion(const HttpOptions& http);
// The question that offers a newer version, and the page it opens.
std::string UpdateOfferText(int version);
std::string UpdatePageAddress();

}  // namespace kestrap

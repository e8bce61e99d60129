#pragma once
// HTTPS through the operating system's own HTTP stack, so that certificates are checked
// against the system's trusted authorities. One GET, no redirects followed.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

namespace kestrap {

struct HttpsRequest {
    std::string_view host;
    std::uint16_t port = 443;
    std::string_view target;  // path and query, beginning with "/"
    std::string_view userAgent;
    std::chrono::milliseconds wait{5500};          // for the connection and every read
    std::chrono::steady_clock::time_point deadline;  // the whole fetch ends here
    size_t maxAnswerBytes = size_t{32} << 20;
    std::stop_token abandon;  // once stopped, every wait gives up soon
};

class HttpsClient {
public:
    virtual ~HttpsClient() = default;
    // The answer as one text: status line, header lines, a blank line, then the body as it
    // arrived (cut at maxAnswerBytes or the deadline). Empty when the connection, the
    // certificate check or the request failed.
    virtual std::string Get(const HttpsRequest& request) const = 0;
};

// WinHTTP on Windows; elsewhere every fetch fails (empty).
const HttpsClient& SystemHttps();

}  // namespace kestrap

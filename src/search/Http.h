#pragma once
// The program's network client: HTTP/1.0 GET over a connection of its own, and https
// through the system's HTTP stack, with one redirect loop for both.
#include <chrono>
#include <cstddef>
#include <stop_token>
#include <string>
#include <string_view>

namespace kestrap {

class Dialer;       // platform/Socket.h
class HttpsClient;  // platform/Https.h

struct HttpOptions {
    const Dialer* dialer = nullptr;     // nullptr: resolve the host and connect
    const HttpsClient* https = nullptr;  // nullptr: the system's HTTP stack
    std::chrono::milliseconds wait{5500};       // before every send and every receive
    std::chrono::milliseconds totalLimit{120000};  // one fetch, redirects included
    int maxRedirects = 10;
    size_t maxAnswerBytes = size_t{32} << 20;
    // Once `stop` is requested no request starts (nor a redirect's); once `abandon` is, a
    // fetch under way gives up within a short slice of its current wait.
    std::stop_token stop;
    std::stop_token abandon;
};

// The server's whole answer (status line, headers, body), or empty when nothing came.
// Follows a status line of 301, 302, 303, 307 or 308, whatever its reason phrase, to the
// address of the Location header in its header block (absolute http:// or https://, or
// relative); a chain longer than maxRedirects, a location that cannot be fetched, and an
// https answer that points to plain http give an empty answer.
std::string HttpGet(std::string_view host, std::string_view path, const HttpOptions& options = {});

struct HttpFetch {
    std::string answer;
    std::string url;  // the address that gave the answer, redirects followed
};

// The same for a whole http:// or https:// address; empty when it cannot be fetched.
HttpFetch HttpGetUrl(std::string_view url, const HttpOptions& options = {});

}  // namespace kestrap

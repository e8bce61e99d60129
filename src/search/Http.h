#pragma once
// The program's only network client: HTTP/1.0 GET over a connection of its own.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrap {

class Dialer;  // platform/Socket.h

struct HttpOptions {
    const Dialer* dialer = nullptr;  // nullptr: resolve the host and connect to port 80
    std::chrono::milliseconds wait{5500};       // before every send and every receive
    std::chrono::milliseconds totalLimit{120000};  // one fetch, redirects included
    int maxRedirects = 10;
    size_t maxAnswerBytes = size_t{32} << 20;
    // Set once nobody wants the answer any more: the fetch then ends within a short slice
    // of its current wait and gives what it has.
    const std::atomic<bool>* abandoned = nullptr;
};

// The server's whole answer (status line, headers, body), or empty when nothing came.
// Follows "302 Found" to an http:// location; a chain longer than maxRedirects is empty.
std::string HttpGet(std::string_view host, std::string_view path, const HttpOptions& options = {});

}  // namespace kestrap

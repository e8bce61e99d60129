#include "search/Http.h"

#include <algorithm>

#include "common/Text.h"
#include "platform/Socket.h"

namespace kestrap {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr size_t ReadSize = 4096;
constexpr std::string_view UserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)";

// An abandoned fetch looks at its flag this often while it waits for the server.
constexpr milliseconds AbandonSlice{100};

bool Abandoned(const HttpOptions& options) {
    return options.abandoned != nullptr && options.abandoned->load();
}

// Every wait is the usual one, or less when the fetch's overall time is nearly used up.
milliseconds WaitLeft(milliseconds wait, Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    return std::clamp(left, milliseconds(0), wait);
}

// Waits like Receive, but in slices when the fetch may be abandoned meanwhile.
size_t ReceiveUnlessAbandoned(Connection& connection, char* buffer, size_t room,
                              milliseconds wait, const HttpOptions& options) {
    if (options.abandoned == nullptr) return connection.Receive(buffer, room, wait);
    const auto until = Clock::now() + wait;
    while (!Abandoned(options)) {
        const auto sliceStart = Clock::now();
        const auto left = std::chrono::duration_cast<milliseconds>(until - sliceStart);
        const auto slice = std::clamp(left, milliseconds(0), AbandonSlice);
        const size_t got = connection.Receive(buffer, room, slice);
        // nothing back well before the slice ended: the server closed or the line failed
        if (got > 0 || left <= AbandonSlice || Clock::now() - sliceStart < slice / 2) return got;
    }
    return 0;
}

// A host we can put into a request: a plain name, no port, nothing a header could trip on.
bool IsPlainHost(std::string_view host) {
    if (host.empty()) return false;
    return std::none_of(host.begin(), host.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7F || c == ':' || c == '/';
    });
}

bool HasControlBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < ' ' || byte == 0x7F;
    });
}

// One request on its own connection; the answer is whatever arrived before the server
// closed, a wait expired, the size cap was reached or the overall time ran out.
std::string FetchOnce(std::string_view host, std::string_view path, const HttpOptions& options,
                      Clock::time_point deadline) {
    const Dialer& dialer = options.dialer ? *options.dialer : DefaultDialer();
    auto limit = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (limit <= milliseconds(0)) return {};
    if (Abandoned(options)) return {};
    Connection connection = dialer.Dial(host, limit);
    if (!connection.IsOpen()) return {};

    // each line goes out on its own; a line that cannot be sent is skipped, the rest still go
    const std::string lines[] = {
        "GET " + std::string(path) + " HTTP/1.0\r\n",
        "Host: " + std::string(host) + "\r\n",
        "User-Agent: " + std::string(UserAgent) + "\r\n",
        "Accept-Language: en-us\r\n",
        "\r\n",
    };
    for (const std::string& line : lines) connection.Send(line, WaitLeft(options.wait, deadline));

    // servers close the connection to end an HTTP/1.0 answer, so read until a read yields nothing
    std::string answer;
    // a wait cut to zero still yields bytes already buffered, so the overall limit is
    // checked on its own: a fast endless stream must end too
    while (answer.size() < options.maxAnswerBytes && Clock::now() < deadline) {
        size_t had = answer.size();
        size_t room = std::min(ReadSize, options.maxAnswerBytes - had);
        answer.resize(had + room);
        size_t got = ReceiveUnlessAbandoned(connection, answer.data() + had, room,
                                            WaitLeft(options.wait, deadline), options);
        answer.resize(had + got);
        if (got == 0) break;
    }
    return answer;
}

}  // namespace

std::string HttpGet(std::string_view host, std::string_view path, const HttpOptions& options) {
    const auto deadline = Clock::now() + options.totalLimit;
    std::string currentHost(host);
    std::string currentPath(path);
    for (int redirects = 0;; ++redirects) {
        if (!IsPlainHost(currentHost)) return {};
        std::string answer = FetchOnce(currentHost, currentPath, options, deadline);
        if (answer.find("302 Found") == std::string::npos) return answer;
        // a server that redirects in a circle must not keep the fetch going
        if (redirects >= options.maxRedirects) return {};

        std::string_view location = TextBetween(answer, "Location: http://", "\r\n");
        if (HasControlBytes(location)) return {};
        size_t slash = location.find('/');
        currentHost = std::string(location.substr(0, slash));
        // "http://host" alone means the server's root
        currentPath = slash == std::string_view::npos ? "/" : std::string(location.substr(slash));
    }
}

}  // namespace kestrap

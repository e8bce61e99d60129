#include "search/Http.h"

#include <algorithm>

#include "common/Text.h"
#include "platform/Https.h"
#include "platform/Socket.h"
#include "search/Url.h"

namespace kestrap {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr size_t ReadSize = 4096;
constexpr std::string_view UserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)";

// Every wait is the usual one, or less when the fetch's overall time is nearly used up.
milliseconds WaitLeft(milliseconds wait, Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    return std::clamp(left, milliseconds(0), wait);
}

// A host we can put into a request: a plain name, no port, nothing a header could trip on.
bool IsPlainHost(std::string_view host) {
    if (host.empty()) return false;
    return std::none_of(host.begin(), host.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7F || c == ':' || c == '/';
    });
}

// One request on its own connection; the answer is whatever arrived before the server
// closed, a wait expired, the size cap was reached or the overall time ran out.
std::string FetchPlain(const Url& url, const HttpOptions& options, Clock::time_point deadline) {
    const Dialer& dialer = options.dialer ? *options.dialer : DefaultDialer();
    auto limit = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (limit <= milliseconds(0)) return {};
    if (options.stop.stop_requested()) return {};
    Connection connection = dialer.Dial(url.host, url.port, limit, options.abandon);
    if (!connection.IsOpen()) return {};

    std::string hostHeader = url.host;
    if (url.port != 80) hostHeader += ":" + std::to_string(url.port);
    // each line goes out on its own; a line that cannot be sent is skipped, the rest still go
    const std::string lines[] = {
        "GET " + url.target + " HTTP/1.0\r\n",
        "Host: " + hostHeader + "\r\n",
        "User-Agent: " + std::string(UserAgent) + "\r\n",
        "Accept-Language: en-us\r\n",
        "\r\n",
    };
    for (const std::string& line : lines)
        connection.Send(line, WaitLeft(options.wait, deadline), options.abandon);

    // servers close the connection to end an HTTP/1.0 answer, so read until a read yields nothing
    std::string answer;
    // a wait cut to zero still yields bytes already buffered, so the overall limit is
    // checked on its own: a fast endless stream must end too
    while (answer.size() < options.maxAnswerBytes && Clock::now() < deadline) {
        size_t had = answer.size();
        size_t room = std::min(ReadSize, options.maxAnswerBytes - had);
        answer.resize(had + room);
        size_t got = connection.Receive(answer.data() + had, room,
                                        WaitLeft(options.wait, deadline), options.abandon);
        answer.resize(had + got);
        if (got == 0) break;
    }
    return answer;
}

std::string FetchSecure(const Url& url, const HttpOptions& options, Clock::time_point deadline) {
    const HttpsClient& client = options.https ? *options.https : SystemHttps();
    HttpsRequest request;
    request.host = url.host;
    request.port = url.port;
    request.target = url.target;
    request.userAgent = UserAgent;
    request.wait = options.wait;
    request.deadline = deadline;
    request.maxAnswerBytes = options.maxAnswerBytes;
    request.abandon = options.abandon;
    if (options.stop.stop_requested()) return {};
    return client.Get(request);
}

bool StatusLineMoves(std::string_view answer) {
    std::string_view statusLine = answer.substr(0, answer.find_first_of("\r\n"));
    // "HTTP/1.1 301 Moved": the code is the second word
    size_t space = statusLine.find(' ');
    if (space == std::string_view::npos) return false;
    std::string_view code = statusLine.substr(space + 1, 4);
    return code == "301 " || code == "303 " || code == "307 " || code == "308 " ||
           (statusLine.size() == space + 4 &&
            (code == "301" || code == "303" || code == "307" || code == "308"));
}

// The value of the first line that starts with "Location:" (any case), blanks and tabs
// trimmed, up to CR LF or the end of the answer; the old rule looked for it anywhere.
std::string_view LocationOf(std::string_view answer) {
    for (size_t start = 0; start < answer.size();) {
        std::string_view rest = answer.substr(start);
        if (rest.size() >= 9 && LowerCase(rest.substr(0, 9)) == "location:") {
            std::string_view value = rest.substr(9);
            value = value.substr(0, value.find("\r\n"));
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
            return value;
        }
        size_t next = answer.find('\n', start);
        if (next == std::string_view::npos) break;
        start = next + 1;
    }
    return {};
}

std::string FetchFollowing(Url url, const HttpOptions& options) {
    const auto deadline = Clock::now() + options.totalLimit;
    for (int redirects = 0;; ++redirects) {
        std::string answer = url.https ? FetchSecure(url, options, deadline) : FetchPlain(url, options, deadline);
        if (answer.find("302 Found") == std::string::npos && !StatusLineMoves(answer)) return answer;
        // a server that redirects in a circle must not keep the fetch going
        if (redirects >= options.maxRedirects) return {};

        std::string_view location = LocationOf(answer);
        if (location.empty()) return {};
        std::string current = (url.https ? "https://" : "http://") + url.host + ":" +
                              std::to_string(url.port) + url.target;
        std::optional<Url> next = ParseUrl(ResolveUrl(current, location));
        if (!next) return {};
        url = std::move(*next);
    }
}

}  // namespace

std::string HttpGet(std::string_view host, std::string_view path, const HttpOptions& options) {
    if (!IsPlainHost(host)) return {};
    Url url;
    url.host = std::string(host);
    url.port = 80;
    url.target = std::string(path);
    return FetchFollowing(std::move(url), options);
}

std::string HttpGetUrl(std::string_view url, const HttpOptions& options) {
    std::optional<Url> parsed = ParseUrl(url);
    if (!parsed) return {};
    return FetchFollowing(std::move(*parsed), options);
}

}  // namespace kestrap

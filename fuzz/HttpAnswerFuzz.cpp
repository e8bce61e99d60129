// HttpGet's handling of arbitrary answers, redirects included. The input is a row of
// answers split at "\xff\xfe"; each connection the fetch opens gets the next one.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Socket.h"
#include "search/Http.h"

namespace {

class ScriptedDialer final : public kestrap::Dialer {
public:
    explicit ScriptedDialer(std::vector<std::string_view> answers) : answers(std::move(answers)) {}

    // a socket pair whose far end has written the answer and closed: the fetch reads it,
    // then sees the end, and its request lines fail without a signal
    kestrap::Connection Dial(std::string_view host, std::uint16_t, std::chrono::milliseconds,
                             std::stop_token) const override {
        for (char c : host) {
            if (c == ':' || c == '/' || static_cast<unsigned char>(c) <= ' ') std::abort();
        }
        if (host.empty() || next >= answers.size()) return {};
        std::string_view answer = answers[next++];
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) std::abort();
        size_t written = 0;
        while (written < answer.size()) {
            ssize_t n = ::write(ends[1], answer.data() + written, answer.size() - written);
            if (n <= 0) std::abort();
            written += static_cast<size_t>(n);
        }
        ::close(ends[1]);
        return kestrap::Connection(static_cast<kestrap::SocketHandle>(ends[0]));
    }

    std::vector<std::string_view> answers;
    mutable size_t next = 0;
};

// Written apart from the client's reader: the status line alone says "redirect".
bool HasRedirectStatusLine(std::string_view answer) {
    std::string_view line = answer.substr(0, answer.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t space = line.find(' ');
    if (line.substr(0, 5) != "HTTP/" || space == std::string_view::npos) return false;
    const std::string_view rest = line.substr(space + 1);
    if (rest.size() < 3) return false;
    const std::string_view code = rest.substr(0, 3);
    const std::string_view after = rest.substr(3, 1);
    return (code == "301" || code == "302" || code == "303" || code == "307" || code == "308") &&
           (after.empty() || after == " ");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> answers;
    for (size_t cut; (cut = input.find("\xff\xfe")) != std::string_view::npos;) {
        answers.push_back(input.substr(0, cut));
        input.remove_prefix(cut + 2);
    }
    answers.push_back(input);

    ScriptedDialer dialer(answers);
    kestrap::HttpOptions options;
    options.dialer = &dialer;
    options.wait = std::chrono::milliseconds(50);
    options.maxRedirects = 3;
    options.maxAnswerBytes = 1000;
    const std::string result = kestrap::HttpGet("a.test", "/start", options);

    if (result.size() > options.maxAnswerBytes) std::abort();
    if (dialer.next > static_cast<size_t>(options.maxRedirects) + 1) std::abort();
    // only an answer with a redirect status line moves the fetch on: what a body says
    // ("302 Found", a "Location:" line) never does
    for (size_t i = 0; i + 1 < dialer.next; ++i) {
        if (!HasRedirectStatusLine(answers[i].substr(0, options.maxAnswerBytes))) std::abort();
    }
    // a result is always the last answer fetched, cut at the cap, and never a redirect: no
    // item can come from a redirect's body
    if (!result.empty()) {
        std::string_view last = answers[dialer.next - 1];
        if (last.substr(0, options.maxAnswerBytes) != result) std::abort();
        if (HasRedirectStatusLine(result)) std::abort();
    }
    return 0;
}

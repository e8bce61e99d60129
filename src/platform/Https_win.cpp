#include "platform/Https.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>

#include "platform/Owned_win.h"

namespace kestrap {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Host, target and agent are ASCII on the wire; a byte above 127 in the target is
// percent-encoded so that WinHTTP sends exactly what the address names.
std::wstring Widen(std::string_view text, bool encodeHighBytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 || !encodeHighBytes) {
            wide += static_cast<wchar_t>(byte);
        } else {
            wide += L'%';
            wide += static_cast<wchar_t>(hex[byte >> 4]);
            wide += static_cast<wchar_t>(hex[byte & 0x0F]);
        }
    }
    return wide;
}

int WaitLeft(milliseconds wait, Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp(left, milliseconds(1), wait).count());
}

// Status line and headers as WinHTTP keeps them, ending in one blank line.
std::string RawHeaders(HINTERNET request) {
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                          WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
    std::wstring wide(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                               wide.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
        return {};
    }
    wide.resize(size / sizeof(wchar_t));
    std::string headers;
    headers.reserve(wide.size());
    for (wchar_t c : wide) headers += c < 0x100 ? static_cast<char>(c) : '?';
    while (!headers.empty() && (headers.back() == '\r' || headers.back() == '\n')) headers.pop_back();
    return headers + "\r\n\r\n";
}

class WinHttps final : public HttpsClient {
public:
    std::string Get(const HttpsRequest& request) const override {
        const milliseconds wait = request.wait;
        const Clock::time_point deadline = request.deadline;
        if (Clock::now() >= deadline) return {};

        OwnedInternet session(::WinHttpOpen(Widen(request.userAgent, false).c_str(),
                                            WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                            WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session.valid()) return {};
        const int timeout = WaitLeft(wait, deadline);
        ::WinHttpSetTimeouts(session.get(), timeout, timeout, timeout, timeout);
        OwnedInternet connection(::WinHttpConnect(
            session.get(), Widen(request.host, false).c_str(), request.port, 0));
        if (!connection.valid()) return {};
        OwnedInternet call(::WinHttpOpenRequest(
            connection.get(), L"GET", Widen(request.target, true).c_str(), nullptr,
            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
        if (!call.valid()) return {};

        // the caller follows redirects itself, so that one bound covers every scheme
        DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        ::WinHttpSetOption(call.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
        DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
        ::WinHttpSetOption(call.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
        // certificate checks stay as the system has them: no security flags are relaxed

        const wchar_t language[] = L"Accept-Language: en-us";
        if (!::WinHttpSendRequest(call.get(), language, static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0,
                                  0, 0) ||
            !::WinHttpReceiveResponse(call.get(), nullptr)) {
            return {};
        }
        std::string answer = RawHeaders(call.get());
        if (answer.empty()) return {};

        const size_t cap = std::max(request.maxAnswerBytes, answer.size());
        while (answer.size() < cap && Clock::now() < deadline) {
            DWORD readTimeout = static_cast<DWORD>(WaitLeft(wait, deadline));
            ::WinHttpSetOption(call.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &readTimeout, sizeof readTimeout);
            size_t had = answer.size();
            DWORD room = static_cast<DWORD>(std::min<size_t>(cap - had, 64 * 1024));
            answer.resize(had + room);
            DWORD got = 0;
            if (!::WinHttpReadData(call.get(), answer.data() + had, room, &got)) got = 0;
            answer.resize(had + got);
            if (got == 0) break;
        }
        if (answer.size() > request.maxAnswerBytes) answer.resize(request.maxAnswerBytes);
        return answer;
    }
};

}  // namespace

const HttpsClient& SystemHttps() {
    static const WinHttps client;
    return client;
}

}  // namespace kestrap

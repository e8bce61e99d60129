#include "platform/Https.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#include "platform/Owned_win.h"
#include "platform/Socket.h"

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

// What the request's callbacks report, shared by the fetching thread and WinHTTP's own: it
// holds the buffer a read fills, and goes once both are done with it, the fetching thread
// when it returns and WinHTTP when the request handle has closed. So a fetch can give up on
// a step that has not ended: it closes the handle and leaves.
struct AsyncRequest {
    OwnedHandle stepEnded{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    DWORD status = 0;  // of the last step
    DWORD error = 0;
    DWORD bytesRead = 0;
    std::string buffer;
    std::atomic<int> owners{2};

    static void Release(AsyncRequest* request) {
        if (request->owners.fetch_sub(1) == 1) delete request;
    }
};

void CALLBACK OnRequestStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                              DWORD length) {
    auto* request = reinterpret_cast<AsyncRequest*>(context);
    if (!request) return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        request->bytesRead = length;
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        request->error = static_cast<const WINHTTP_ASYNC_RESULT*>(info)->dwError;
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        AsyncRequest::Release(request);
        return;
    default:
        return;
    }
    request->status = status;
    ::SetEvent(request->stepEnded.get());
}

// True when the step ended as `expected` within its wait; false when it failed, its wait
// ran out or the fetch was abandoned (the step may then still be under way).
bool StepEnded(AsyncRequest& request, DWORD expected, milliseconds wait,
               Clock::time_point deadline, const std::stop_token& abandon) {
    const Clock::time_point until = std::min(Clock::now() + wait, deadline);
    while (!abandon.stop_requested()) {
        auto left = std::chrono::ceil<milliseconds>(until - Clock::now());
        if (left <= milliseconds(0)) return false;
        if (abandon.stop_possible()) left = std::min(left, AbandonSlice);
        if (::WaitForSingleObject(request.stepEnded.get(), static_cast<DWORD>(left.count())) ==
            WAIT_OBJECT_0)
            return request.status == expected;
    }
    return false;
}

class WinHttps final : public HttpsClient {
public:
    std::string Get(const HttpsRequest& request) const override {
        const milliseconds wait = request.wait;
        const Clock::time_point deadline = request.deadline;
        if (Clock::now() >= deadline || request.abandon.stop_requested()) return {};

        OwnedInternet session(::WinHttpOpen(Widen(request.userAgent, false).c_str(),
                                            WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                            WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                            WINHTTP_FLAG_ASYNC));
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

        auto* shared = new AsyncRequest;
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(shared);
        if (!shared->stepEnded.valid() ||
            !::WinHttpSetOption(call.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context,
                                sizeof context) ||
            ::WinHttpSetStatusCallback(call.get(), OnRequestStatus,
                                       WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                           WINHTTP_CALLBACK_FLAG_HANDLES,
                                       0) == WINHTTP_INVALID_STATUS_CALLBACK) {
            delete shared;  // no callback will ever see it
            return {};
        }
        // closing the request hands WinHTTP's share back; ours goes when this returns
        const std::unique_ptr<AsyncRequest, void (*)(AsyncRequest*)> ours(shared,
                                                                           AsyncRequest::Release);
        std::string answer = Fetch(call.get(), *shared, request);
        call.Reset();
        return answer;
    }

private:
    static std::string Fetch(HINTERNET call, AsyncRequest& shared, const HttpsRequest& request) {
        const milliseconds wait = request.wait;
        const Clock::time_point deadline = request.deadline;
        // the caller follows redirects itself, so that one bound covers every scheme
        DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        ::WinHttpSetOption(call, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
        DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
        ::WinHttpSetOption(call, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
        // certificate checks stay as the system has them: no security flags are relaxed

        const wchar_t language[] = L"Accept-Language: en-us";
        if (!::WinHttpSendRequest(call, language, static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA,
                                  0, 0, reinterpret_cast<DWORD_PTR>(&shared)) ||
            !StepEnded(shared, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE, wait, deadline,
                       request.abandon) ||
            !::WinHttpReceiveResponse(call, nullptr) ||
            !StepEnded(shared, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE, wait, deadline,
                       request.abandon)) {
            return {};
        }
        std::string answer = RawHeaders(call);
        if (answer.empty()) return {};

        const size_t cap = std::max(request.maxAnswerBytes, answer.size());
        while (answer.size() < cap && Clock::now() < deadline) {
            DWORD readTimeout = static_cast<DWORD>(WaitLeft(wait, deadline));
            ::WinHttpSetOption(call, WINHTTP_OPTION_RECEIVE_TIMEOUT, &readTimeout,
                               sizeof readTimeout);
            const DWORD room = static_cast<DWORD>(std::min<size_t>(cap - answer.size(), 64 * 1024));
            shared.buffer.resize(room);
            shared.bytesRead = 0;
            if (!::WinHttpReadData(call, shared.buffer.data(), room, nullptr) ||
                !StepEnded(shared, WINHTTP_CALLBACK_STATUS_READ_COMPLETE, wait, deadline,
                           request.abandon) ||
                shared.bytesRead == 0) {
                break;
            }
            answer.append(shared.buffer.data(), std::min<DWORD>(shared.bytesRead, room));
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

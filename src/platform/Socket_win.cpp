#include "platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/Owned_win.h"

namespace kestrap {

namespace {

using Clock = std::chrono::steady_clock;

SOCKET Sock(SocketHandle handle) { return static_cast<SOCKET>(handle); }

enum class Readiness { Read, Write };

// Waits until the socket is ready, the deadline passes or the wait is abandoned; it looks
// at the token once a slice. A failed connect shows up as an exception condition on
// Windows, so writes watch that set too.
bool WaitFor(SOCKET socket, Readiness readiness, Clock::time_point deadline,
             const std::stop_token& abandon) {
    for (;;) {
        if (abandon.stop_requested()) return false;
        auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() < 0) left = std::chrono::microseconds(0);
        const bool sliced = abandon.stop_possible() && left > AbandonSlice;
        if (sliced) left = AbandonSlice;
        timeval timeout{static_cast<long>(left.count() / 1000000),
                        static_cast<long>(left.count() % 1000000)};
        fd_set watched;
        FD_ZERO(&watched);
        FD_SET(socket, &watched);
        fd_set failed;
        FD_ZERO(&failed);
        FD_SET(socket, &failed);
        int ready = readiness == Readiness::Read ? ::select(0, &watched, nullptr, &failed, &timeout)
                                                 : ::select(0, nullptr, &watched, &failed, &timeout);
        if (ready > 0) return FD_ISSET(socket, &watched);
        if (ready < 0 || !sliced) return false;
    }
}

// A name lookup that the caller can give up on: it ends on the system's thread, which
// frees it when the caller has gone.
struct Lookup {
    OVERLAPPED overlapped{};  // first: the completion finds the lookup by it
    ADDRINFOEXW* result = nullptr;
    HANDLE cancel = nullptr;
    OwnedHandle ended{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD error = 0;
    std::atomic<int> owners{2};  // the caller and the completion

    ~Lookup() {
        if (result) ::FreeAddrInfoExW(result);
    }
    static void Release(Lookup* lookup, int owners = 1) {
        if (lookup->owners.fetch_sub(owners) == owners) delete lookup;
    }
    static void CALLBACK Completed(DWORD error, DWORD, LPWSAOVERLAPPED overlapped) {
        auto* lookup = reinterpret_cast<Lookup*>(overlapped);
        lookup->error = error;
        ::SetEvent(lookup->ended.get());
        Release(lookup);
    }
};

// Older headers declare the completion routine as a plain pointer.
LPLOOKUPSERVICE_COMPLETION_ROUTINE CompletionRoutine() {
    return reinterpret_cast<LPLOOKUPSERVICE_COMPLETION_ROUTINE>(
        reinterpret_cast<void*>(&Lookup::Completed));
}

bool FirstAddress(const sockaddr* found, sockaddr_in& address) {
    if (!found || found->sa_family != AF_INET) return false;
    address = *reinterpret_cast<const sockaddr_in*>(found);
    return true;
}

// Before Windows 8 a lookup cannot be given up: it runs on the caller's thread.
bool ResolveWaiting(const std::string& host, sockaddr_in& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    const bool ok = FirstAddress(found->ai_addr, address);
    ::freeaddrinfo(found);
    return ok;
}

bool Resolve(std::string_view host, Clock::time_point deadline, const std::stop_token& abandon,
             sockaddr_in& address) {
    using CancelFunction = INT(WSAAPI*)(LPHANDLE);
    static const auto cancelLookup = reinterpret_cast<CancelFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ws2_32.dll"), "GetAddrInfoExCancel")));
    const std::string name(host);
    if (!cancelLookup) return ResolveWaiting(name, address);

    auto* lookup = new Lookup;
    if (!lookup->ended.valid()) {
        delete lookup;
        return ResolveWaiting(name, address);
    }
    const std::wstring wide(name.begin(), name.end());
    ADDRINFOEXW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    const INT started = ::GetAddrInfoExW(wide.c_str(), nullptr, NS_DNS, nullptr, &hints,
                                         &lookup->result, nullptr, &lookup->overlapped,
                                         CompletionRoutine(), &lookup->cancel);
    if (started != WSA_IO_PENDING) {
        // ended at once: the completion is not called
        const bool ok = started == NO_ERROR && lookup->result &&
                        FirstAddress(lookup->result->ai_addr, address);
        Lookup::Release(lookup, 2);
        return ok;
    }
    bool done = false;
    while (!abandon.stop_requested() && Clock::now() < deadline) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        left = std::min<std::chrono::milliseconds>(left, AbandonSlice);
        if (::WaitForSingleObject(lookup->ended.get(), static_cast<DWORD>(left.count())) ==
            WAIT_OBJECT_0) {
            done = true;
            break;
        }
    }
    const bool ok = done && lookup->error == NO_ERROR && lookup->result &&
                    FirstAddress(lookup->result->ai_addr, address);
    if (!done) cancelLookup(&lookup->cancel);
    Lookup::Release(lookup);
    return ok;
}

}  // namespace

bool StartSockets() {
    // never cleaned up: worker threads may still use sockets while the process ends
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool Connection::Send(std::string_view bytes, std::chrono::milliseconds wait,
                      std::stop_token abandon) {
    if (!IsOpen()) return false;
    const auto deadline = Clock::now() + wait;
    while (!bytes.empty()) {
        if (!WaitFor(Sock(handle), Readiness::Write, deadline, abandon)) return false;
        int chunk = static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20));
        int sent = ::send(Sock(handle), bytes.data(), chunk, 0);
        if (sent == SOCKET_ERROR) {
            if (::WSAGetLastError() == WSAEWOULDBLOCK) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

size_t Connection::Receive(char* buffer, size_t capacity, std::chrono::milliseconds wait,
                           std::stop_token abandon) {
    if (!IsOpen() || capacity == 0) return 0;
    const auto deadline = Clock::now() + wait;
    int size = static_cast<int>(std::min<size_t>(capacity, 1 << 20));
    for (;;) {
        if (!WaitFor(Sock(handle), Readiness::Read, deadline, abandon)) return 0;
        int got = ::recv(Sock(handle), buffer, size, 0);
        if (got > 0) return static_cast<size_t>(got);
        if (got == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK) return 0;
    }
}

void Connection::Close() {
    if (!IsOpen()) return;
    ::closesocket(Sock(handle));
    handle = NoSocket;
}

Connection ConnectTcp(std::string_view host, std::uint16_t port, std::chrono::milliseconds limit,
                      std::stop_token abandon) {
    const auto deadline = Clock::now() + limit;
    if (!StartSockets()) return {};
    sockaddr_in address{};
    if (!Resolve(host, deadline, abandon, address)) return {};
    address.sin_port = htons(port);

    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) return {};
    Connection connection(static_cast<SocketHandle>(socket));
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) return {};
    // A request goes out as several small sends: with Nagle's rule each would wait for the
    // server to acknowledge the one before, which a server may delay by up to 200 ms.
    BOOL noDelay = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return connection;
    }
    if (::WSAGetLastError() != WSAEWOULDBLOCK) return {};
    if (!WaitFor(socket, Readiness::Write, deadline, abandon)) return {};
    int error = 0;
    int size = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 ||
        error != 0) {
        return {};
    }
    return connection;
}

}  // namespace kestrap

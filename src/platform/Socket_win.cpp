#include "platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <string>

namespace kestrap {

namespace {

using Clock = std::chrono::steady_clock;

SOCKET Sock(SocketHandle handle) { return static_cast<SOCKET>(handle); }

enum class Readiness { Read, Write };

// Waits until the socket is ready or the deadline passes. A failed connect shows up as
// an exception condition on Windows, so writes watch that set too.
bool WaitFor(SOCKET socket, Readiness readiness, Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
    if (left.count() < 0) left = std::chrono::microseconds(0);
    timeval timeout{static_cast<long>(left.count() / 1000000), static_cast<long>(left.count() % 1000000)};
    fd_set watched;
    FD_ZERO(&watched);
    FD_SET(socket, &watched);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(socket, &failed);
    int ready = readiness == Readiness::Read ? ::select(0, &watched, nullptr, &failed, &timeout)
                                             : ::select(0, nullptr, &watched, &failed, &timeout);
    return ready > 0 && FD_ISSET(socket, &watched);
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

bool Connection::Send(std::string_view bytes, std::chrono::milliseconds wait) {
    if (!IsOpen()) return false;
    const auto deadline = Clock::now() + wait;
    while (!bytes.empty()) {
        if (!WaitFor(Sock(handle), Readiness::Write, deadline)) return false;
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

size_t Connection::Receive(char* buffer, size_t capacity, std::chrono::milliseconds wait) {
    if (!IsOpen() || capacity == 0) return 0;
    const auto deadline = Clock::now() + wait;
    int size = static_cast<int>(std::min<size_t>(capacity, 1 << 20));
    for (;;) {
        if (!WaitFor(Sock(handle), Readiness::Read, deadline)) return 0;
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

Connection ConnectTcp(std::string_view host, std::uint16_t port, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    if (!StartSockets()) return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(std::string(host).c_str(), nullptr, &hints, &found) != 0 || !found) return {};
    sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::freeaddrinfo(found);
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
    if (!WaitFor(socket, Readiness::Write, deadline)) return {};
    int error = 0;
    int size = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 ||
        error != 0) {
        return {};
    }
    return connection;
}

}  // namespace kestrap

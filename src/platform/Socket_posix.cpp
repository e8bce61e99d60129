#include "platform/Socket.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrap {

namespace {

using Clock = std::chrono::steady_clock;

int Fd(SocketHandle handle) { return static_cast<int>(handle); }

// Waits until the socket is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) left = std::chrono::milliseconds(0);
        pollfd entry{fd, events, 0};
        int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready == 0) return false;
        if (errno != EINTR) return false;
    }
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

bool StartSockets() { return true; }

bool Connection::Send(std::string_view bytes, std::chrono::milliseconds wait) {
    if (!IsOpen()) return false;
    const auto deadline = Clock::now() + wait;
    while (!bytes.empty()) {
        if (!WaitFor(Fd(handle), POLLOUT, deadline)) return false;
        // MSG_NOSIGNAL: a peer that went away must not raise SIGPIPE in our process
        ssize_t sent = ::send(Fd(handle), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (WouldBlock(errno)) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

size_t Connection::Receive(char* buffer, size_t capacity, std::chrono::milliseconds wait) {
    if (!IsOpen() || capacity == 0) return 0;
    const auto deadline = Clock::now() + wait;
    for (;;) {
        if (!WaitFor(Fd(handle), POLLIN, deadline)) return 0;
        ssize_t got = ::recv(Fd(handle), buffer, capacity, 0);
        if (got > 0) return static_cast<size_t>(got);
        if (got == 0 || !WouldBlock(errno)) return 0;
    }
}

void Connection::Close() {
    if (!IsOpen()) return;
    ::close(Fd(handle));
    handle = NoSocket;
}

Connection ConnectTcp(std::string_view host, std::uint16_t port, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(std::string(host).c_str(), nullptr, &hints, &found) != 0 || !found) return {};
    sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::freeaddrinfo(found);
    address.sin_port = htons(port);

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    Connection connection(static_cast<SocketHandle>(fd));
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) return {};
    // A request goes out as several small sends: with Nagle's rule each would wait for the
    // server to acknowledge the one before, which a server may delay.
    int noDelay = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return connection;
    }
    if (errno != EINPROGRESS) return {};
    if (!WaitFor(fd, POLLOUT, deadline)) return {};
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return {};
    return connection;
}

}  // namespace kestrap

#include "LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrap {

Listener::Listener(bool listening) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        (listening && ::listen(fd, 16) != 0)) {
        ::close(fd);
        return;
    }
    handle = static_cast<SocketHandle>(fd);
    port = ntohs(address.sin_port);
}

Listener::~Listener() {
    if (IsOpen()) ::close(static_cast<int>(handle));
}

Connection Listener::Accept(std::chrono::milliseconds wait) {
    if (!IsOpen()) return {};
    pollfd entry{static_cast<int>(handle), POLLIN, 0};
    if (::poll(&entry, 1, static_cast<int>(wait.count())) <= 0) return {};
    int fd = ::accept4(static_cast<int>(handle), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return {};
    return Connection(static_cast<SocketHandle>(fd));
}

void ArmReset(Connection& connection) {
    linger abortive{1, 0};
    ::setsockopt(static_cast<int>(connection.NativeHandle()), SOL_SOCKET, SO_LINGER, &abortive,
                 sizeof abortive);
}

}  // namespace kestrap

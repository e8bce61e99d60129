#include "LoopbackSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/Owned_win.h"

namespace kestrap {

Listener::Listener(bool listening) {
    if (!StartSockets()) return;
    OwnedSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket.valid()) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        (listening && ::listen(socket.get(), 16) != 0)) {
        return;
    }
    handle = static_cast<SocketHandle>(socket.Release());
    port = ntohs(address.sin_port);
}

Listener::~Listener() {
    if (IsOpen()) ::closesocket(static_cast<SOCKET>(handle));
}

Connection Listener::Accept(std::chrono::milliseconds wait) {
    if (!IsOpen()) return {};
    SOCKET listening = static_cast<SOCKET>(handle);
    fd_set waiting;
    FD_ZERO(&waiting);
    FD_SET(listening, &waiting);
    timeval timeout{static_cast<long>(wait.count() / 1000), static_cast<long>(wait.count() % 1000 * 1000)};
    if (::select(0, &waiting, nullptr, nullptr, &timeout) <= 0) return {};
    SOCKET socket = ::accept(listening, nullptr, nullptr);
    if (socket == INVALID_SOCKET) return {};
    Connection connection(static_cast<SocketHandle>(socket));
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) return {};
    return connection;
}

void ArmReset(Connection& connection) {
    linger abortive{1, 0};
    ::setsockopt(static_cast<SOCKET>(connection.NativeHandle()), SOL_SOCKET, SO_LINGER,
                 reinterpret_cast<const char*>(&abortive), sizeof abortive);
}

}  // namespace kestrap

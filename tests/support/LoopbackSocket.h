#pragma once
// The server side of test sockets: listening on 127.0.0.1 and resetting connections.
#include <chrono>
#include <cstdint>

#include "platform/Socket.h"

namespace kestrap {

class Listener {
public:
    // Binds 127.0.0.1 on an ephemeral port. A listener that does not listen keeps its
    // port taken while every connection attempt to it is refused.
    explicit Listener(bool listening = true);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool IsOpen() const { return handle != NoSocket; }
    std::uint16_t Port() const { return port; }

    // The next waiting client, or a closed connection when none came within `wait`.
    Connection Accept(std::chrono::milliseconds wait);

private:
    SocketHandle handle = NoSocket;
    std::uint16_t port = 0;
};

// Makes the connection's close send a reset instead of an orderly end.
void ArmReset(Connection& connection);

}  // namespace kestrap

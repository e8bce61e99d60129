#pragma once
// TCP connections, the one piece of networking that differs between Windows and POSIX.
// Every wait is bounded by the caller; sockets never block a thread on their own. A wait
// also gives up soon after its `abandon` token is stopped: nobody wants its result then.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string_view>

namespace kestrap {

// A Winsock SOCKET or a POSIX file descriptor; NoSocket when there is none.
using SocketHandle = std::uintptr_t;
constexpr SocketHandle NoSocket = ~SocketHandle{0};

// Makes the platform's socket layer ready (WSAStartup once per process); safe to call
// from any thread, any number of times. False when sockets are unavailable.
bool StartSockets();

// One TCP connection, closed when the object goes away.
class Connection {
public:
    Connection() = default;
    explicit Connection(SocketHandle handle) : handle(handle) {}
    Connection(Connection&& other) noexcept : handle(other.handle) { other.handle = NoSocket; }
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            Close();
            handle = other.handle;
            other.handle = NoSocket;
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { Close(); }

    bool IsOpen() const { return handle != NoSocket; }
    SocketHandle NativeHandle() const { return handle; }

    // Sends all of `bytes`, waiting at most `wait` for the socket to take them.
    // False when the wait expires, the send is abandoned or the connection fails.
    bool Send(std::string_view bytes, std::chrono::milliseconds wait,
              std::stop_token abandon = {});

    // Waits at most `wait` for data and reads up to `capacity` bytes of it. 0 when the
    // peer has closed, nothing arrived in time, the wait was abandoned or the connection
    // failed.
    size_t Receive(char* buffer, size_t capacity, std::chrono::milliseconds wait,
                   std::stop_token abandon = {});

    void Close();

private:
    SocketHandle handle = NoSocket;
};

// Connects to `port` of the first IPv4 address that the resolver gives for `host` (a
// name or a dotted address). Name lookup and connection set-up wait at most `limit`
// together; the result is closed when the host does not resolve or cannot be reached, or
// when `abandon` was stopped meanwhile.
Connection ConnectTcp(std::string_view host, std::uint16_t port, std::chrono::milliseconds limit,
                      std::stop_token abandon = {});

// How long a wait sleeps before it looks at its abandon token again.
constexpr std::chrono::milliseconds AbandonSlice{100};

// How a fetch reaches a host; tests substitute their own.
class Dialer {
public:
    virtual ~Dialer() = default;
    // A connection to `port` of the host, or a closed one; set-up waits at most `limit`,
    // and gives up once `abandon` is stopped.
    virtual Connection Dial(std::string_view host, std::uint16_t port,
                            std::chrono::milliseconds limit, std::stop_token abandon) const = 0;
};

// Resolves the host and connects to the port.
const Dialer& DefaultDialer();

}  // namespace kestrap

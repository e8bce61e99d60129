#include "platform/Socket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
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

// Waits until the socket is ready for `events`, the deadline passes or the wait is
// abandoned; it looks at the token once a slice.
bool WaitFor(int fd, short events, Clock::time_point deadline, const std::stop_token& abandon) {
    for (;;) {
        if (abandon.stop_requested()) return false;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) left = std::chrono::milliseconds(0);
        const bool sliced = abandon.stop_possible() && left > AbandonSlice;
        pollfd entry{fd, events, 0};
        int ready = ::poll(&entry, 1, static_cast<int>((sliced ? AbandonSlice : left).count()));
        if (ready > 0) return true;
        if (ready == 0 && !sliced) return false;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// The first IPv4 address of the host. The lookup runs on the resolver's own thread, so
// that the caller can give up on it; a lookup given up frees its request when it ends.
struct Lookup {
    explicit Lookup(std::string name) : host(std::move(name)) {
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        request.ar_name = host.c_str();
        request.ar_request = &hints;
    }
    ~Lookup() {
        if (request.ar_result) ::freeaddrinfo(request.ar_result);
    }
    static void Ended(sigval value) {
        auto* lookup = static_cast<Lookup*>(value.sival_ptr);
        if (lookup->owners.fetch_sub(1) == 1) delete lookup;
    }

    std::string host;
    addrinfo hints{};
    gaicb request{};
    std::atomic<int> owners{2};  // the caller and the resolver
};

bool Resolve(std::string_view host, Clock::time_point deadline, const std::stop_token& abandon,
             sockaddr_in& address) {
    auto* lookup = new Lookup(std::string(host));
    sigevent ended{};
    ended.sigev_notify = SIGEV_THREAD;
    ended.sigev_notify_function = &Lookup::Ended;
    ended.sigev_value.sival_ptr = lookup;
    gaicb* requests[] = {&lookup->request};
    if (::getaddrinfo_a(GAI_NOWAIT, requests, 1, &ended) != 0) {
        delete lookup;
        return false;
    }
    int status = EAI_INPROGRESS;
    while (status == EAI_INPROGRESS && !abandon.stop_requested() && Clock::now() < deadline) {
        auto left = std::chrono::ceil<std::chrono::nanoseconds>(deadline - Clock::now());
        left = std::min<std::chrono::nanoseconds>(left, AbandonSlice);
        timespec slice{0, static_cast<long>(left.count())};
        const gaicb* waited[] = {&lookup->request};
        ::gai_suspend(waited, 1, &slice);
        status = ::gai_error(&lookup->request);
    }
    const bool found = status == 0 && lookup->request.ar_result != nullptr;
    if (found) address = *reinterpret_cast<const sockaddr_in*>(lookup->request.ar_result->ai_addr);
    // a lookup taken off the queue before it ran tells nobody that it ended
    const bool cancelled = status == EAI_INPROGRESS && ::gai_cancel(&lookup->request) == EAI_CANCELED;
    if (lookup->owners.fetch_sub(cancelled ? 2 : 1) == (cancelled ? 2 : 1)) delete lookup;
    return found;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

bool StartSockets() { return true; }

bool Connection::Send(std::string_view bytes, std::chrono::milliseconds wait,
                      std::stop_token abandon) {
    if (!IsOpen()) return false;
    const auto deadline = Clock::now() + wait;
    while (!bytes.empty()) {
        if (!WaitFor(Fd(handle), POLLOUT, deadline, abandon)) return false;
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

size_t Connection::Receive(char* buffer, size_t capacity, std::chrono::milliseconds wait,
                           std::stop_token abandon) {
    if (!IsOpen() || capacity == 0) return 0;
    const auto deadline = Clock::now() + wait;
    for (;;) {
        if (!WaitFor(Fd(handle), POLLIN, deadline, abandon)) return 0;
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

Connection ConnectTcp(std::string_view host, std::uint16_t port, std::chrono::milliseconds limit,
                      std::stop_token abandon) {
    const auto deadline = Clock::now() + limit;
    sockaddr_in address{};
    if (!Resolve(host, deadline, abandon, address)) return {};
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
    if (!WaitFor(fd, POLLOUT, deadline, abandon)) return {};
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return {};
    return connection;
}

}  // namespace kestrap

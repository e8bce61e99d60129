#include "FeedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrap {

namespace {

constexpr int PollMilliseconds = 50;

// Reads the request head; empty when the client went away or took too long.
std::string ReadRequest(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 2000) <= 0) return {};
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return {};
        request.append(buffer, static_cast<size_t>(got));
    }
    return request;
}

std::string KeyOf(const std::string& request) {
    size_t pathStart = request.find(' ');
    size_t pathEnd = request.find(' ', pathStart + 1);
    size_t hostStart = request.find("\r\nHost: ");
    if (pathStart == std::string::npos || pathEnd == std::string::npos || hostStart == std::string::npos)
        return {};
    hostStart += 8;
    size_t hostEnd = request.find("\r\n", hostStart);
    return request.substr(hostStart, hostEnd - hostStart) +
           request.substr(pathStart + 1, pathEnd - pathStart - 1);
}

void SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

}  // namespace

FeedServer::FeedServer(std::map<std::string, std::string> answers, std::chrono::milliseconds delay)
    : answers_(std::move(answers)), delay_(delay) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return;
    }
    listener_ = fd;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Loop(); });
}

FeedServer::~FeedServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    for (std::thread& served : delayed_) served.join();
    if (listener_ >= 0) ::close(listener_);
}

void FeedServer::Loop() {
    while (!stopping_) {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, PollMilliseconds) <= 0) continue;
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        if (delay_.count() == 0) {
            Serve(fd);
            ::close(fd);
            continue;
        }
        delayed_.emplace_back([this, fd] {
            std::this_thread::sleep_for(delay_);
            Serve(fd);
            ::close(fd);
        });
    }
}

void FeedServer::Serve(int fd) {
    const std::string request = ReadRequest(fd);
    if (request.empty()) return;
    auto found = answers_.find(KeyOf(request));
    static const std::string notFound = "HTTP/1.0 404 Not Found\r\n\r\nnot here";
    SendAll(fd, found == answers_.end() ? notFound : found->second);
    ++served_;
}

}  // namespace kestrap

#pragma once
// A lean feed server on 127.0.0.1 for benchmarks: one thread, one connection at a time,
// each answered from a table by Host header and path and then closed. Lean on purpose, so
// that a run's time is the client's and not the server's. With a delay, every connection
// gets a thread of its own that answers after the delay, as a slow site would.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/Socket.h"

namespace kestrap {

class FeedServer {
public:
    // answers by host + path; anything else gets a 404
    explicit FeedServer(std::map<std::string, std::string> answers,
                        std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    ~FeedServer();
    FeedServer(const FeedServer&) = delete;
    FeedServer& operator=(const FeedServer&) = delete;

    std::uint16_t Port() const { return port_; }
    bool IsListening() const { return listener_ >= 0; }
    size_t Served() const { return served_; }

private:
    void Loop();
    void Serve(int fd);

    std::map<std::string, std::string> answers_;
    std::chrono::milliseconds delay_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> served_{0};
    std::thread thread_;
    std::vector<std::thread> delayed_;  // touched only by the accepting thread and the destructor
};

// Every host is this server.
class FeedServerDialer : public Dialer {
public:
    explicit FeedServerDialer(std::uint16_t port) : port_(port) {}
    Connection Dial(std::string_view, std::uint16_t, std::chrono::milliseconds limit) const override {
        return ConnectTcp("127.0.0.1", port_, limit);
    }

private:
    std::uint16_t port_;
};

}  // namespace kestrap

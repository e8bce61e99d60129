#pragma once
// A real TCP server on 127.0.0.1 for tests of network code, plus a dialer that sends a
// fetch for any made-up host name to one of these servers.
//
//   LoopbackServer feed(Answer(HttpOk("<rss>...</rss>")));
//   LoopbackDialer dialer{{"boston.craigslist.org", feed.Port()}};
//   HttpGet("boston.craigslist.org", "/search", QuickHttp(dialer));
//
// Every connection first has its request read (up to the blank line that ends an HTTP
// header) and recorded; then the connection's script runs; then the connection closes.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "LoopbackSocket.h"
#include "platform/Socket.h"
#include "search/Http.h"

namespace kestrap {

using std::chrono::milliseconds;

struct ScriptStep {
    enum Kind { Send, Pause, Trickle, Stream, Reset };
    Kind kind = Send;
    std::string bytes;
    milliseconds time{0};  // Pause: how long; Trickle: after each byte; Stream: between chunks
};
using Script = std::vector<ScriptStep>;

// Sends the bytes, then closes.
Script Answer(std::string bytes);
// Sends the bytes, stays silent for `silence` with the connection open, then closes.
Script PartThenSilence(std::string bytes, milliseconds silence);
// Sends the bytes one at a time with a pause after each, then closes.
Script Trickle(std::string bytes, milliseconds perByte);
// Sends the chunk again and again until the client goes away or the server stops.
Script Endless(std::string chunk, milliseconds interval = milliseconds(0));
// Sends the bytes, waits `pause` so that they arrive, then resets the connection.
Script ResetAfter(std::string bytes, milliseconds pause = milliseconds(200));

// Answer texts.
std::string HttpOk(std::string_view body);
std::string HttpRedirect(std::string_view location);  // "302 Found" with a Location header
std::string HttpNotFound();

// What the server read from one connection before its script ran.
struct Request {
    size_t index = 0;  // 0 for the server's first connection
    std::string raw;   // the bytes exactly as received
    std::string path;  // from "GET <path> HTTP/1.0"
    std::string host;  // the Host header's value
};
using Chooser = std::function<Script(const Request&)>;

// When one connection's request was read and when its script ended (just before the close).
struct Visit {
    std::string host;
    std::string path;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point end;
};

// The n-th connection gets the n-th script; the last one repeats.
Chooser InTurn(std::vector<Script> scripts);
// By the request path (or the Host header); anything else gets `otherwise`.
Chooser ByPath(std::map<std::string, Script> scripts, Script otherwise = Answer(HttpNotFound()));
Chooser ByHost(std::map<std::string, Script> scripts, Script otherwise = Answer(HttpNotFound()));
// By the Host header followed by the path ("boston.test/search?q=1").
Chooser ByHostAndPath(std::map<std::string, Script> scripts,
                      Script otherwise = Answer(HttpNotFound()));

class LoopbackServer {
public:
    explicit LoopbackServer(Script everyConnection);
    explicit LoopbackServer(Chooser choose);
    ~LoopbackServer();  // stops waiting scripts and joins every thread
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return listener.Port(); }
    size_t ConnectionCount() const { return accepted; }
    // raw request bytes of each connection, in the order they were read
    std::vector<std::string> Requests() const;
    // the connections whose scripts have ended, in the order they ended
    std::vector<Visit> Visits() const;

private:
    struct Handler {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void AcceptLoop();
    // a benchmark's thousands of connections must not keep a thread each until the end
    void JoinFinishedHandlers();
    void Serve(Connection connection, size_t index);
    void Run(Connection& connection, const Script& script);
    bool Nap(milliseconds time);  // false when the server is stopping

    Chooser choose;
    Listener listener;
    std::atomic<bool> stopping{false};
    std::atomic<size_t> accepted{0};
    mutable std::mutex recordLock;
    std::vector<std::string> requests;
    std::vector<Visit> visits;
    std::vector<Handler> handlers;  // touched only by the accept thread and the destructor
    std::thread acceptor;
};

// A loopback port where every connection attempt is refused.
class ClosedPort {
public:
    std::uint16_t Port() const { return listener.Port(); }

private:
    Listener listener{false};
};

// Dials 127.0.0.1 at the port given for the host name ("host:port" for a port other than
// 80); an unknown host is unreachable.
class LoopbackDialer : public Dialer {
public:
    LoopbackDialer() = default;
    LoopbackDialer(std::initializer_list<std::pair<const std::string, std::uint16_t>> routes);
    void Route(const std::string& host, std::uint16_t port);

    Connection Dial(std::string_view host, std::uint16_t port, milliseconds limit,
                    std::stop_token abandon) const override;
    // every host asked for, in order, known or not
    std::vector<std::string> Dialed() const;

private:
    mutable std::mutex lock;
    std::map<std::string, std::uint16_t> routes;
    mutable std::vector<std::string> dialed;
};

// Fetch options for tests: this dialer and short waits.
HttpOptions QuickHttp(const Dialer& dialer, milliseconds wait = milliseconds(500));

}  // namespace kestrap

#include "LoopbackServer.h"

#include <algorithm>

namespace kestrap {

namespace {

using Clock = std::chrono::steady_clock;

// a client that never finishes its request must not hold a test forever
constexpr milliseconds RequestLimit{5000};
// how often waiting scripts look whether the server stops
constexpr milliseconds Slice{10};
// a client that takes nothing for this long is treated as gone
constexpr milliseconds SendLimit{2000};

std::string HeaderValue(const std::string& raw, std::string_view name) {
    size_t at = 0;
    while ((at = raw.find(name, at)) != std::string::npos) {
        if (at == 0 || raw[at - 1] == '\n') {
            size_t start = at + name.size();
            size_t end = raw.find_first_of("\r\n", start);
            return raw.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
        at += name.size();
    }
    return {};
}

Request ParseRequest(std::string raw, size_t index) {
    Request request;
    request.index = index;
    size_t lineEnd = raw.find_first_of("\r\n");
    std::string_view first(raw.data(), lineEnd == std::string::npos ? raw.size() : lineEnd);
    size_t space = first.find(' ');
    if (space != std::string_view::npos) {
        size_t next = first.find(' ', space + 1);
        request.path = std::string(first.substr(space + 1, next == std::string_view::npos
                                                                ? std::string_view::npos
                                                                : next - space - 1));
    }
    request.host = HeaderValue(raw, "Host: ");
    request.raw = std::move(raw);
    return request;
}

Chooser ByKey(std::map<std::string, Script> scripts, Script otherwise,
              std::string Request::*key) {
    return [scripts = std::move(scripts), otherwise = std::move(otherwise), key](const Request& r) {
        auto found = scripts.find(r.*key);
        return found == scripts.end() ? otherwise : found->second;
    };
}

}  // namespace

Script Answer(std::string bytes) { return {{ScriptStep::Send, std::move(bytes)}}; }

Script PartThenSilence(std::string bytes, milliseconds silence) {
    return {{ScriptStep::Send, std::move(bytes)}, {ScriptStep::Pause, {}, silence}};
}

Script Trickle(std::string bytes, milliseconds perByte) {
    return {{ScriptStep::Trickle, std::move(bytes), perByte}};
}

Script Endless(std::string chunk, milliseconds interval) {
    return {{ScriptStep::Stream, std::move(chunk), interval}};
}

Script ResetAfter(std::string bytes, milliseconds pause) {
    return {{ScriptStep::Send, std::move(bytes)}, {ScriptStep::Pause, {}, pause}, {ScriptStep::Reset, {}}};
}

Chooser ByHostAndPath(std::map<std::string, Script> scripts, Script otherwise) {
    return [scripts = std::move(scripts), otherwise = std::move(otherwise)](const Request& r) {
        auto found = scripts.find(r.host + r.path);
        return found == scripts.end() ? otherwise : found->second;
    };
}

Chooser InTurn(std::vector<Script> scripts) {
    return [scripts = std::move(scripts)](const Request& request) {
        if (scripts.empty()) return Script{};
        return scripts[std::min(request.index, scripts.size() - 1)];
    };
}

Chooser ByPath(std::map<std::string, Script> scripts, Script otherwise) {
    return ByKey(std::move(scripts), std::move(otherwise), &Request::path);
}

Chooser ByHost(std::map<std::string, Script> scripts, Script otherwise) {
    return ByKey(std::move(scripts), std::move(otherwise), &Request::host);
}

std::string HttpOk(std::string_view body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + std::string(body);
}

std::string HttpRedirect(std::string_view location) {
    return "HTTP/1.0 302 Found\r\nLocation: " + std::string(location) + "\r\n\r\n";
}

std::string HttpNotFound() { return "HTTP/1.0 404 Not Found\r\n\r\nnot here"; }

LoopbackServer::LoopbackServer(Script everyConnection)
    : LoopbackServer(Chooser([script = std::move(everyConnection)](const Request&) { return script; })) {}

LoopbackServer::LoopbackServer(Chooser choose) : choose(std::move(choose)) {
    acceptor = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    stopping = true;
    acceptor.join();
    for (Handler& handler : handlers) handler.thread.join();
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard<std::mutex> guard(recordLock);
    return requests;
}

std::vector<Visit> LoopbackServer::Visits() const {
    std::lock_guard<std::mutex> guard(recordLock);
    return visits;
}

void LoopbackServer::AcceptLoop() {
    while (!stopping) {
        Connection connection = listener.Accept(milliseconds(20));
        if (!connection.IsOpen()) continue;
        size_t index = accepted++;
        JoinFinishedHandlers();
        auto done = std::make_shared<std::atomic<bool>>(false);
        handlers.push_back({std::thread(
                                [this, index, done](Connection c) {
                                    Serve(std::move(c), index);
                                    *done = true;
                                },
                                std::move(connection)),
                            done});
    }
}

void LoopbackServer::JoinFinishedHandlers() {
    for (size_t i = 0; i < handlers.size();) {
        if (!*handlers[i].done) {
            ++i;
            continue;
        }
        handlers[i].thread.join();
        handlers[i] = std::move(handlers.back());
        handlers.pop_back();
    }
}

void LoopbackServer::Serve(Connection connection, size_t index) {
    std::string raw;
    const auto deadline = Clock::now() + RequestLimit;
    char buffer[4096];
    while (raw.find("\r\n\r\n") == std::string::npos && !stopping && Clock::now() < deadline) {
        raw.append(buffer, connection.Receive(buffer, sizeof buffer, Slice));
    }
    Request request = ParseRequest(std::move(raw), index);
    Visit visit{request.host, request.path, Clock::now(), {}};
    {
        std::lock_guard<std::mutex> guard(recordLock);
        requests.push_back(request.raw);
    }
    Run(connection, choose(request));
    // before the close: the client may ask again as soon as it sees the end
    visit.end = Clock::now();
    connection.Close();
    std::lock_guard<std::mutex> guard(recordLock);
    visits.push_back(std::move(visit));
}

void LoopbackServer::Run(Connection& connection, const Script& script) {
    for (const ScriptStep& step : script) {
        switch (step.kind) {
        case ScriptStep::Send:
            if (!connection.Send(step.bytes, SendLimit)) return;
            break;
        case ScriptStep::Pause:
            if (!Nap(step.time)) return;
            break;
        case ScriptStep::Trickle:
            for (char byte : step.bytes) {
                if (!connection.Send(std::string_view(&byte, 1), SendLimit) || !Nap(step.time)) return;
            }
            break;
        case ScriptStep::Stream:
            while (connection.Send(step.bytes, SendLimit) && Nap(step.time)) {
            }
            return;
        case ScriptStep::Reset:
            ArmReset(connection);
            connection.Close();
            return;
        }
    }
}

bool LoopbackServer::Nap(milliseconds time) {
    const auto until = Clock::now() + time;
    while (!stopping) {
        auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, Slice));
    }
    return false;
}

LoopbackDialer::LoopbackDialer(std::initializer_list<std::pair<const std::string, std::uint16_t>> routes)
    : routes(routes) {}

void LoopbackDialer::Route(const std::string& host, std::uint16_t port) {
    std::lock_guard<std::mutex> guard(lock);
    routes[host] = port;
}

Connection LoopbackDialer::Dial(std::string_view host, std::uint16_t webPort, milliseconds limit,
                                std::stop_token abandon) const {
    std::string name(host);
    if (webPort != 80) name += ":" + std::to_string(webPort);
    std::uint16_t port = 0;
    {
        std::lock_guard<std::mutex> guard(lock);
        dialed.push_back(name);
        auto found = routes.find(name);
        if (found == routes.end()) return {};
        port = found->second;
    }
    return ConnectTcp("127.0.0.1", port, limit, std::move(abandon));
}

std::vector<std::string> LoopbackDialer::Dialed() const {
    std::lock_guard<std::mutex> guard(lock);
    return dialed;
}

HttpOptions QuickHttp(const Dialer& dialer, milliseconds wait) {
    HttpOptions options;
    options.dialer = &dialer;
    options.wait = wait;
    return options;
}

}  // namespace kestrap

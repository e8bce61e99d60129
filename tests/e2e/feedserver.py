#!/usr/bin/env python3
"""A fake web server for the end-to-end tests: classified feeds and the update page.

Answers are chosen by the Host header and the path. Every request is logged byte for byte
(appended to the log file as received, so the file is the concatenation of the raw
requests) and kept in memory for the scenarios. An answer can be held back until the test
releases it, which gives a scenario a fetch that is under way for as long as it needs.

Standard library only. Run it alone with: feedserver.py --log FILE [--port 80]
[--update-version 1.04]; it then serves the fixture table below.
"""
import argparse
import os
import socket
import socketserver
import ssl
import threading
import time

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")

UPDATE_HOST = "www.orvane.net"
UPDATE_PATH = "/blog/kestrap/"

CRAIGSLIST_QUERY = "/search/{section}?query={term}&format=rss"
KIJIJI_QUERY = "/f-SearchAdRss?{category}Keyword={term}"


def craigslist(host, section, encoded_term):
    return (host, CRAIGSLIST_QUERY.format(section=section, term=encoded_term))


def kijiji(host, encoded_term, category=""):
    part = f"CatId={category}&" if category else ""
    return (host, KIJIJI_QUERY.format(category=part, term=encoded_term))


# (host, path) -> fixture file: the feeds the scenarios search by default.
FIXTURE_ROUTES = {
    craigslist("sfbay.craigslist.org", "sss", "bike"): "sfbay-bike.xml",
    craigslist("sfbay.craigslist.org", "cta", "%22red+truck%22"): "sfbay-truck.xml",
    craigslist("boston.craigslist.org", "sss", "bike"): "boston-bike.xml",
    craigslist("boston.craigslist.org", "cta", "%22red+truck%22"): "boston-truck.xml",
    kijiji("toronto.kijiji.ca", "bike"): "toronto-bike.xml",
    kijiji("toronto.kijiji.ca", "desk", "100027"): "toronto-desk.xml",
}


def read_fixture(name):
    with open(os.path.join(FIXTURES, name), "rb") as f:
        return f.read()


def http_answer(body, status="200 OK", content_type="text/xml"):
    head = (f"HTTP/1.0 {status}\r\nContent-Type: {content_type}\r\n"
            f"Content-Length: {len(body)}\r\n\r\n")
    return head.encode("ascii") + body


def update_page(version):
    body = ("<html><head><title>Kestrap</title></head><body><p>Latest version: "
            f"<!--kestrapver-->{version}<!--endkestrapver--></p></body></html>")
    return http_answer(body.encode("ascii"), content_type="text/html")


NOT_FOUND = http_answer(b"<html><body>Not found</body></html>", "404 Not Found", "text/html")


class Request:
    """One logged request: its raw bytes and what the server made of them."""

    def __init__(self, raw, scheme="http"):
        self.raw = raw
        self.scheme = scheme
        head = raw.split(b"\r\n\r\n", 1)[0].decode("latin-1")
        lines = head.split("\r\n")
        parts = lines[0].split(" ")
        self.path = parts[1] if len(parts) > 1 else ""
        self.host = ""
        for line in lines[1:]:
            if line.lower().startswith("host:"):
                self.host = line[5:].strip()


class FeedServer:
    """Serves canned answers on one address; thread-safe; stop() ends it."""

    def __init__(self, log_path, address=("127.0.0.1", 80)):
        self.lock = threading.Condition()
        self.held = {}
        self.servers = []
        self.reset(log_path)
        self.thread = self.listen(address)

    def listen(self, address, tls=None):
        """Serves the same answers on another address too; with an ssl.SSLContext, as https.
        A client that rejects the certificate ends the connection before any request."""
        server_self = self

        class Handler(socketserver.BaseRequestHandler):
            def handle(self):
                if tls is None:
                    server_self._handle(self.request, "http")
                    return
                self.request.settimeout(10)
                try:
                    connection = tls.wrap_socket(self.request, server_side=True)
                except (ssl.SSLError, OSError):
                    return
                server_self._handle(connection, "https")

        socketserver.ThreadingTCPServer.allow_reuse_address = True
        server = socketserver.ThreadingTCPServer(address, Handler)
        server.daemon_threads = True
        self.servers.append(server)
        thread = threading.Thread(target=server.serve_forever, daemon=True)
        thread.start()
        return thread

    def stop(self):
        self.release_all()
        for server in self.servers:
            server.shutdown()
            server.server_close()

    def reset(self, log_path):
        """Back to the default answers, with an empty log in a new file."""
        self.release_all()
        with self.lock:
            self.log_path = log_path
            self.requests = []
            self.delay = 0.0
            self.routes = {route: http_answer(read_fixture(fixture))
                           for route, fixture in FIXTURE_ROUTES.items()}
        self.set_update_version("1.04")

    # -- what to answer

    def set_update_version(self, version):
        self.routes[(UPDATE_HOST, UPDATE_PATH)] = update_page(version)

    def serve_fixture(self, host, path, fixture):
        self.routes[(host, path)] = http_answer(read_fixture(fixture))

    def serve_answer(self, host, path, answer_bytes, scheme=None):
        """scheme "http" or "https" answers only that scheme; None answers both."""
        self.routes[(host, path) if scheme is None else (scheme, host, path)] = answer_bytes

    def delay_answers(self, seconds):
        """Answers every request only after `seconds`, as a slow site does."""
        with self.lock:
            self.delay = seconds

    def hold(self, host, path):
        """Holds the answer to (host, path) back until release(); returns the gate."""
        gate = threading.Event()
        with self.lock:
            self.held[(host, path)] = gate
        return gate

    def release_all(self):
        with self.lock:
            for gate in self.held.values():
                gate.set()
            self.held.clear()

    # -- what arrived

    def logged(self, host=None):
        with self.lock:
            return [r for r in self.requests if host is None or r.host == host]

    def wait_for_request(self, host, path, timeout):
        """Waits until a request for (host, path) has arrived; returns it or None."""
        deadline = time.monotonic() + timeout
        with self.lock:
            while True:
                for r in self.requests:
                    if r.host == host and r.path == path:
                        return r
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.lock.wait(left)

    def _handle(self, connection, scheme):
        connection.settimeout(10)
        raw = b""
        try:
            while b"\r\n\r\n" not in raw:
                chunk = connection.recv(4096)
                if not chunk:
                    break
                raw += chunk
        except socket.timeout:
            pass
        request = Request(raw, scheme)
        request.start = time.monotonic()
        with self.lock:
            with open(self.log_path, "ab") as log:
                log.write(raw)
            self.requests.append(request)
            gate = self.held.get((request.host, request.path))
            delay = self.delay
            self.lock.notify_all()
        if gate is not None:
            gate.wait(30)
        if delay:
            time.sleep(delay)
        answer = self.routes.get((scheme, request.host, request.path),
                                 self.routes.get((request.host, request.path), NOT_FOUND))
        # taken before the answer goes: no request the answer leads to can start earlier
        request.end = time.monotonic()
        try:
            connection.sendall(answer)
            connection.shutdown(socket.SHUT_WR)
        except OSError:
            pass


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--update-version", default="1.04")
    args = parser.parse_args()
    server = FeedServer(args.log, ("127.0.0.1", args.port))
    server.set_update_version(args.update_version)
    try:
        server.thread.join()
    except KeyboardInterrupt:
        server.stop()


if __name__ == "__main__":
    main()

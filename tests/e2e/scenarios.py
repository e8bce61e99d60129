#!/usr/bin/env python3
"""Runs the end-to-end scenarios (test_*.py beside this file) against one feed server.

Called by tests/e2e/run inside its namespace; arguments select scenarios whose name
contains one of them. The last line printed is "N passed, N failed".
"""
import os
import re
import ssl
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import feedserver  # noqa: E402
import harness  # noqa: E402


class CountingResult(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.passed = 0

    def addSuccess(self, test):
        super().addSuccess(test)
        self.passed += 1


def selected(suite, names):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from selected(item, names)
        elif not names or any(name in item.id() for name in names):
            yield item


def print_logs(result, work, lines=40):
    """Each failed scenario's logs: the requests the server saw, the tails of the rest."""
    for test, _ in result.failures + result.errors:
        name = test.id().split(".")[-1].removeprefix("test_")
        folder = os.path.join(work, "logs", name)
        if not os.path.isdir(folder):
            continue
        print(f"---- logs of {name} ({folder})")
        for file in sorted(os.listdir(folder)):
            if not os.path.isfile(os.path.join(folder, file)):
                continue
            with open(os.path.join(folder, file), "rb") as f:
                text = f.read().decode("latin-1")
            if file == "requests.log":
                shown = re.findall(r"^(?:GET|POST|HEAD) .*$|^Host: .*$", text, re.MULTILINE)
            else:
                shown = text.splitlines()[-lines:]
            print(f"-- {file}" + (" (empty)" if not shown else ""))
            for line in shown:
                print("   " + line.rstrip("\r"))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    loader = unittest.TestLoader()
    suite = unittest.TestSuite(selected(loader.discover(here, pattern="test_*.py"), sys.argv[1:]))
    work = harness.Scenario.work
    os.makedirs(os.path.join(work, "logs"), exist_ok=True)
    harness.Scenario.server = feedserver.FeedServer(os.path.join(work, "logs", "requests.log"))
    # https: the test authority's certificate on 127.0.0.1, an unknown one's on 127.0.0.2
    tls = os.environ.get("KESTRAP_E2E_TLS", "")
    if tls:
        for address, name in ((harness.TRUSTED_ADDRESS, "trusted"), (harness.UNTRUSTED_ADDRESS, "unknown")):
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(tls, f"{name}-server.pem"), os.path.join(tls, f"{name}-server.key"))
            harness.Scenario.server.listen((address, 443), context)
    started = time.monotonic()
    runner = unittest.TextTestRunner(stream=sys.stdout, verbosity=2, resultclass=CountingResult)
    result = runner.run(suite)
    harness.Scenario.server.stop()
    print_logs(result, work)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    print(f"end-to-end time: {time.monotonic() - started:.0f} s")
    print(f"{result.passed} passed, {failed} failed")
    sys.exit(1 if failed or result.passed == 0 else 0)


if __name__ == "__main__":
    main()

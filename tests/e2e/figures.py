#!/usr/bin/env python3
"""Whole-program figures of the real kestrap.exe under Wine; they report, they never fail.

Run with `tests/e2e/run --figures [ROUNDS]` (inside the same namespace, display and prefix as
the scenarios). Prints, as the median of ROUNDS rounds (default 3):
  - start-up to the window shown, with an empty folder and with a 10,000-entry results file;
  - the program's peak resident memory in both cases;
  - the Load button reading 10,000 entries into the shown window;
  - a 100-pair search (2 cities by 50 terms, 25-item feeds, every item new) from the click
    to "Search Complete", and the peak memory after it.
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import feedserver  # noqa: E402
from harness import (CITIES, LOAD, RESULTS_FILE, RESULTS_LIST, SEARCH, STATUS3, TERMS, Program,  # noqa: E402
                     wait_until)

CITY_HOSTS = ["sfbay.craigslist.org", "boston.craigslist.org"]
TERM_COUNT = 50
ITEMS = 25
SETTINGS = "startmenu: done\r\n"  # the one-time question is answered: it would hold start-up


def feed(host, term):
    items = []
    for n in range(ITEMS):
        link = f"http://{host}/bik/{term}-{n}.html"
        items.append(
            f'<item rdf:about="{link}">\n<title><![CDATA[Bike {term} {n} - ${100 + n}]]></title>\n'
            f"<link>{link}</link>\n<description><![CDATA[{'Good condition. ' * 40}]]></description>\n"
            f"<dc:date>2026-12-0{1 + n % 7}T10:11:12-05:00</dc:date>\n</item>\n")
    body = ('<?xml version="1.0" encoding="ISO-8859-1"?>\n<rdf:RDF>\n<channel>\n'
            "<title>craigslist search</title>\n</channel>\n" + "".join(items) + "</rdf:RDF>\n")
    return feedserver.http_answer(body.encode("latin-1"))


def results_file(entries, title="Mountain bike, 21 speeds"):
    lines = ["<h3>Kestrap build for 12-07-2026 at 10:00:00</h3>"]
    for day in range(entries // 100):
        date = f"2026-{1 + day // 28:02d}-{1 + day % 28:02d}"
        lines += [f"<h3>{date}</h3>", "<ul>"]
        for n in range(100):
            link = f"http://boston.craigslist.org/bik/{1000000000 + day * 100 + n}.html"
            lines.append(f'<li>{date} <a href="{link}">{title} - ${100 + n}</a></li>')
        lines.append("</ul>")
    return "\r\n".join(lines) + "\r\n"


def process_memory(program):
    """Peak and current resident memory (KiB) of the program's own process."""
    wanted = program.windows_folder + "kestrap.exe"
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read().decode("latin-1")
            if wanted.lower() not in cmdline.lower():
                continue
            with open(f"/proc/{pid}/status") as f:
                fields = dict(line.split(":", 1) for line in f if ":" in line)
            return int(fields["VmHWM"].split()[0]), int(fields["VmRSS"].split()[0])
        except OSError:
            continue
    return None, None


def start_to_window(program):
    started = time.monotonic()
    program.start()
    program.call("window", 30000)
    return time.monotonic() - started


def search(program):
    program.set_text(CITIES, "\r\n".join(CITY_HOSTS))
    program.set_text(TERMS, "\r\n".join(f"bike{t}" for t in range(TERM_COUNT)))
    started = time.monotonic()
    program.click(SEARCH)
    wait_until(lambda: program.text(STATUS3) == "Search Complete", 120, "the end of the search")
    return time.monotonic() - started


def measure_round(work, exe, driver, prefix, round_number):
    figures = {}
    empty = Program(work, f"figures-empty-{round_number}", exe, driver, prefix)
    empty.write("kestrap.ini", SETTINGS)
    figures["start, empty folder (s)"] = start_to_window(empty)
    figures["peak memory, empty folder (MiB)"] = process_memory(empty)[0] / 1024
    elapsed = search(empty)
    if empty.count(RESULTS_LIST) != len(CITY_HOSTS) * TERM_COUNT * ITEMS:
        raise AssertionError(f"{empty.count(RESULTS_LIST)} entries found, not {100 * ITEMS}")
    figures["search of 100 pairs, end to end (s)"] = elapsed
    figures["search pairs per second"] = 100 / elapsed
    figures["peak memory after the search (MiB)"] = process_memory(empty)[0] / 1024
    empty.stop_driver()

    full = Program(work, f"figures-full-{round_number}", exe, driver, prefix)
    full.write("kestrap.ini", SETTINGS + "results: kestrap.html\r\n")
    full.write("kestrap.html", results_file(10000))
    figures["start, 10,000 entries (s)"] = start_to_window(full)
    if full.count(RESULTS_LIST) != 10000:
        raise AssertionError(f"{full.count(RESULTS_LIST)} entries loaded, not 10,000")
    figures["peak memory, 10,000 entries (MiB)"] = process_memory(full)[0] / 1024

    # the Load button with the window shown: every line lands in a visible list
    full.write("other.html", results_file(10000, "Road bike"))
    full.type(RESULTS_FILE, "other.html")
    started = time.monotonic()
    full.click(LOAD)
    wait_until(lambda: full.count(RESULTS_LIST) == 10000 and full.item(0).find("Road bike") >= 0,
               120, "other.html to load")
    figures["Load of 10,000 entries, window shown (s)"] = time.monotonic() - started
    full.stop_driver()
    return figures


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    work = os.environ["KESTRAP_E2E_WORK"]
    exe, driver = os.environ["KESTRAP_E2E_EXE"], os.environ["KESTRAP_E2E_DRIVER"]
    prefix = os.environ["WINEPREFIX"]
    os.makedirs(os.path.join(work, "logs"), exist_ok=True)
    server = feedserver.FeedServer(os.path.join(work, "logs", "figures-requests.log"))
    for host in CITY_HOSTS:
        for t in range(TERM_COUNT):
            server.serve_answer(*feedserver.craigslist(host, "sss", f"bike{t}"), feed(host, f"bike{t}"))
    results = []
    try:
        for n in range(rounds):
            results.append(measure_round(work, exe, driver, prefix, n))
            print(f"round {n + 1}: " + ", ".join(f"{k} {v:.2f}" for k, v in results[-1].items()), flush=True)
    finally:
        server.stop()
    print(f"\nmedian of {rounds} rounds:")
    for key in results[0]:
        print(f"  {key:<40} {statistics.median(r[key] for r in results):8.2f}")


if __name__ == "__main__":
    main()

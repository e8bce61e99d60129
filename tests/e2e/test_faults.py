"""Faults at the program's Windows boundary: a results file or disk that cannot take the
Save, the process killed while it saves, commands while a search runs, a full list."""
import glob
import os
import random
import re
import stat
import time

from feeds import A, B, C, E, F, Ad, entry, item_line
from feedserver import craigslist, http_answer
from harness import (CITIES, DELETE_ALL, DELETE_OLD, IDNO, IDOK, IDYES, PROGRESS, RUN_CONTROLS,
                     SAVE, SEARCH, STATUS3, TERMS, DriverError, Scenario, lines_of, wait_until)

SFBAY_BIKE = craigslist("sfbay.craigslist.org", "sss", "bike")
BOSTON_BIKE = craigslist("boston.craigslist.org", "sss", "bike")
LIST_FULL = "The results list is full (10,000 entries): new results are no longer added."
BUILD_HEADING = re.compile(r"^<h3>Kestrap build for \d\d-\d\d-\d{4} at \d\d:\d\d:\d\d</h3>$")
ITEM_LINK = re.compile(r'^<li>\d{4}-\d\d-\d\d <a href="([^"]*)">.*</a>( <b>NEW</b>)?</li>$')


def many_ads(count, first=1, title_length=0):
    """Distinct advertisements of November 2026, each with a link of its own."""
    padding = " " + "x" * title_length if title_length else ""
    return [Ad(f"2026-11-{1 + n % 28:02d}", f"Bike {n}{padding}",
               f"http://sfbay.craigslist.org/bik/{n}.html") for n in range(first, first + count)]


def results_file(ads):
    return "\r\n".join(["<h3>Kestrap build for 12-01-2026 at 10:00:00</h3>", "<ul>"] +
                       [item_line(ad, False) for ad in ads] + ["</ul>", ""])


def feed(ads):
    items = "".join(f"<item><title>{ad.title}</title><link>{ad.link}</link>"
                    f"<dc:date>{ad.date}T10:00:00-08:00</dc:date></item>\n" for ad in ads)
    body = f"<rdf:RDF><channel><title>feed</title></channel>\n{items}</rdf:RDF>\n"
    return http_answer(body.encode("latin-1"))


def links_of_complete_file(text):
    """The links of a whole results file in the program's layout; fails on anything partial."""
    lines = lines_of(text)
    for line in lines:
        if "\r" in line or "\n" in line:
            raise AssertionError(f"a line break that is not CR LF: {line[:80]!r}")
    if not BUILD_HEADING.match(lines[0]) or lines[-1] != "</ul>":
        raise AssertionError(f"not a whole results file: {lines[0][:80]!r} ... {lines[-1][:80]!r}")
    links = []
    for line in lines[1:]:
        item = ITEM_LINK.match(line)
        if item:
            links.append(item.group(1))
        elif line not in ("<ul>", "</ul>") and not re.match(r"^<h3>\w+ \d+, \d{4}</h3>$", line):
            raise AssertionError(f"a line the program does not write: {line[:80]!r}")
    return links


class FaultTest(Scenario):
    maxDiff = None

    def start_with_results(self, ads):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\n")
        p.write("kestrap.html", results_file(ads))
        p.start()
        p.call("window", 15000)

    def press_save_expecting_failure(self, name):
        p = self.program
        p.click(SAVE)
        text, buttons = p.box("Save failed")
        self.assertIn(name, text)
        self.assertEqual(buttons, [IDOK])
        p.press("Save failed", IDOK)

    def save(self):
        before = len(self.browser_opened())
        self.program.click(SAVE)
        wait_until(lambda: len(self.browser_opened()) > before, 15, "the browser to be asked")

    def assert_close_still_asks(self):
        p = self.program
        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDNO)
        self.assertTrue(p.alive())

    def assert_idle(self):
        p = self.program
        self.assertEqual(p.text(SEARCH), "Search Now")
        for control in RUN_CONTROLS:
            self.assertTrue(p.enabled(control), control)

    # -- Save that cannot be written

    def test_save_into_a_read_only_results_file_keeps_it_and_the_results_unsaved(self):
        p = self.program
        self.start_with_results([E, F])
        old = p.read("kestrap.html")
        os.chmod(p.path("kestrap.html"), 0o444)
        self.search("sfbay", "bike")

        self.press_save_expecting_failure("kestrap.html")
        self.assertEqual(self.browser_opened(), [])
        self.assertEqual(p.read("kestrap.html"), old)
        self.assertEqual(stat.S_IMODE(os.stat(p.path("kestrap.html")).st_mode), 0o444)
        self.assertEqual([f for f in p.files() if f.endswith(".tmp")], [])
        self.assert_close_still_asks()

        # once the file may be written, the same results save and count as saved
        os.chmod(p.path("kestrap.html"), 0o644)
        self.save()
        self.assertEqual(sorted(links_of_complete_file(p.read("kestrap.html"))),
                         sorted(ad.link for ad in (A, B, C, E, F)))
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

    def test_save_on_a_write_protected_medium_reports_every_file(self):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\n")
        p.write("kestrap.html", results_file([E, F]))
        before = {name: p.read(name) for name in ("kestrap.ini", "kestrap.html")}
        self.addCleanup(p.make_read_only())
        p.start()
        p.call("window", 15000)
        self.search("sfbay", "bike")

        p.click(SAVE)
        text, _ = p.box("Settings not saved")
        self.assertIn("kestrap.ini", text)
        p.press("Settings not saved", IDOK)
        text, _ = p.box("Save failed")
        for name in ("kestrap.cit", "kestrap.trm", "kestrap.html"):
            self.assertIn(name, text)
        p.press("Save failed", IDOK)
        self.assertEqual(self.browser_opened(), [])

        # leaving is still possible, with the settings reported once more
        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDYES)
        p.box("Settings not saved")
        p.press("Settings not saved", IDOK)
        self.assertEqual(p.wait_for_exit(), 0)
        self.assertEqual({name: p.read(name) for name in before}, before)
        self.assertEqual(p.files(), ["kestrap.exe", "kestrap.html", "kestrap.ini"])

    def test_results_file_held_by_another_program_is_not_replaced_unread(self):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\n")
        p.write("kestrap.html", results_file([E, F]))
        old = p.read("kestrap.html")
        p.start(locked=["kestrap.html"])
        p.call("window", 15000)
        self.assertEqual(p.text(STATUS3), "Error: Could not load kestrap.html")
        self.assertEqual(p.count(), 0)
        self.search("sfbay", "bike")

        # the file's own entries were never read, so replacing it needs a yes
        p.click(SAVE)
        text, buttons = p.box("Replace results file?")
        self.assertIn("kestrap.html", text)
        self.assertEqual(buttons, [IDYES, IDNO])
        p.press("Replace results file?", IDYES)
        # and while it is held it cannot be replaced at all
        text, _ = p.box("Save failed")
        self.assertIn("kestrap.html", text)
        p.press("Save failed", IDOK)
        self.assertEqual(p.read("kestrap.html"), old)

        # let go, the question still comes: No keeps the file
        p.unlock()
        p.click(SAVE)
        p.box("Replace results file?")
        p.press("Replace results file?", IDNO)
        self.assertEqual(p.read("kestrap.html"), old)
        self.assertEqual(self.browser_opened(), [])
        self.assert_close_still_asks()

        p.click(SAVE)
        p.box("Replace results file?")
        p.press("Replace results file?", IDYES)
        wait_until(self.browser_opened, 15, "the browser to be asked")
        self.assertEqual(sorted(links_of_complete_file(p.read("kestrap.html"))),
                         sorted(ad.link for ad in (A, B, C)))
        # the file now holds the list: the next Save does not ask
        self.search("boston", "bike")
        self.save()
        self.assertEqual(p.boxes(), [])
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

    def test_search_started_while_save_asks_holds_the_save_back(self):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\n")
        p.write("kestrap.html", results_file([E, F]))
        old = p.read("kestrap.html")
        p.start(locked=["kestrap.html"])
        p.call("window", 15000)
        p.unlock()
        self.search("sfbay", "bike")

        gate = self.server.hold(*BOSTON_BIKE)
        p.click(SAVE)
        p.box("Replace results file?")
        # the question has no owner: the window goes on working under it
        p.set_text(CITIES, "boston")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*BOSTON_BIKE, 15))
        p.press("Replace results file?", IDYES)
        time.sleep(0.5)
        self.assertEqual(p.read("kestrap.html"), old)
        self.assertNotIn("kestrap.cit", p.files())
        self.assertEqual(self.browser_opened(), [])
        self.assertEqual(p.text(SEARCH), "Kill Search")

        gate.set()
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 20, "the end of the search")
        p.click(SAVE)
        p.box("Replace results file?")
        p.press("Replace results file?", IDYES)
        wait_until(self.browser_opened, 15, "the browser to be asked")
        self.assertEqual(len(links_of_complete_file(p.read("kestrap.html"))), 5)

    def test_save_onto_a_full_disk_leaves_the_old_file_whole(self):
        p = self.program
        self.addCleanup(p.move_to_small_disk(64 * 1024))
        old_ads = many_ads(100)
        # 500 titles of 300 bytes: a results file of about 190 kB
        big = many_ads(500, first=1001, title_length=300)
        self.server.serve_answer(*SFBAY_BIKE, feed(big))
        self.start_with_results(old_ads)
        old = p.read("kestrap.html")
        self.assertEqual(self.search("sfbay", "bike")[1],
                         "Searching in sfbay for bike (sss)... found 500 items, 500 are new.")
        self.assertGreater(len(results_file(old_ads + big)), p.free_bytes())

        self.press_save_expecting_failure("kestrap.html")
        self.assertEqual(p.read("kestrap.html"), old)
        self.assertEqual(p.files(), ["kestrap.cit", "kestrap.exe", "kestrap.html", "kestrap.ini",
                                     "kestrap.trm"])
        self.assertEqual(self.browser_opened(), [])
        self.assert_close_still_asks()

        # with room made, Save writes everything
        p.grow_small_disk(1024 * 1024)
        self.save()
        links = links_of_complete_file(p.read("kestrap.html"))
        self.assertEqual(len(links), 600)
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

    def results_write_started(self, before):
        """True once the Save has begun on the results file: the file itself has changed,
        or a temporary file has grown beyond what a list file holds."""
        p = self.program
        info = os.stat(p.path("kestrap.html"))
        if (info.st_ino, info.st_size) != before:
            return True
        for name in set(p.files()) - {"kestrap.exe", "kestrap.html"}:
            try:
                if os.path.getsize(p.path(name)) > 64 * 1024:
                    return True
            except OSError:
                pass  # renamed or removed in the meantime
        return False

    def test_process_killed_during_a_large_save_leaves_a_whole_file(self):
        p = self.program
        # 9,997 entries with long titles (about 3 MB) and 3 new ones: a Save of 10,000
        old_ads = many_ads(9997, title_length=200)
        old = results_file(old_ads)
        new_links = sorted([ad.link for ad in old_ads] + [A.link, B.link, C.link])
        rng = random.Random(2026)
        # the first Save runs to its end and tells how long one takes; then kills as soon as
        # the results file is being written, then at random moments
        plans = ["whole", "writing", "writing", "random", "random", "random"]
        outcomes = []
        save_time = None
        for attempt, plan in enumerate(plans):
            for leftover in glob.glob(p.path("*.tmp")):
                os.remove(leftover)
            self.start_with_results(old_ads)
            self.assertEqual(p.count(), 9997)
            self.search("sfbay", "bike")
            info = os.stat(p.path("kestrap.html"))
            before = (info.st_ino, info.st_size)
            started = time.monotonic()
            if plan == "whole":
                self.save()
                save_time = time.monotonic() - started
            pids = p.linux_pids()
            if plan == "writing":
                p.click(SAVE)
                # no pause between the looks: the write is over within milliseconds
                deadline = time.monotonic() + 15
                while not self.results_write_started(before):
                    self.assertLess(time.monotonic(), deadline, "the Save did not begin")
            elif plan == "random":
                p.click(SAVE)
                time.sleep(rng.uniform(0, 1.5 * save_time))
            p.kill_hard(pids)
            killed_after = time.monotonic() - started

            text = p.read("kestrap.html")
            if text == old:
                outcome = "old"
            else:
                self.assertEqual(sorted(links_of_complete_file(text)), new_links,
                                 f"attempt {attempt} ({plan}), killed after {killed_after:.3f} s")
                outcome = "new"
            if plan == "whole":
                self.assertEqual(outcome, "new")
            if "kestrap.ini" in p.files():
                self.assertIn("startmenu: done", lines_of(p.read("kestrap.ini")))
            leftovers = [f for f in p.files() if f.endswith(".tmp")]
            outcomes.append(f"{plan}, killed after {killed_after:.3f} s: {outcome} file, "
                            f"temporary files {leftovers}")
        with open(os.path.join(self.logs, "kills.txt"), "w") as log:
            log.write("\n".join(outcomes) + "\n")

    # -- commands while a search runs

    def test_delete_commands_are_refused_while_a_search_runs(self):
        p = self.program
        ancient = Ad("2020-01-01", "Old bike", "http://sfbay.craigslist.org/bik/1.html")
        self.start_with_results([E, ancient])
        loaded = p.items()
        gate = self.server.hold(*SFBAY_BIKE)
        p.set_text(CITIES, "sfbay")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*SFBAY_BIKE, 15))

        p.command(DELETE_OLD)
        p.command(DELETE_ALL)
        for caption in ("List cleared", "Not needed"):
            with self.assertRaises(DriverError):
                p.box(caption, timeout=0.5)
        self.assertEqual(p.boxes(), [])
        self.assertEqual(p.items(), loaded)
        gate.set()
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 20, "the end of the search")
        self.assertEqual(p.items(), [entry(C), entry(B), entry(A)] + loaded)

        # the same command after the run does its work
        p.command(DELETE_OLD)
        text, _ = p.box("List cleared")
        self.assertTrue(text.startswith("Found and cleared 1 item(s)"), text)
        p.press("List cleared", IDOK)
        self.assertEqual(p.count(), 4)

    def test_kill_search_pressed_repeatedly_aborts_once(self):
        p = self.program
        p.start_to_window()
        gate = self.server.hold(*SFBAY_BIKE)
        p.set_text(CITIES, "sfbay\r\nboston")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*SFBAY_BIKE, 15))
        for _ in range(5):
            p.click(SEARCH)
        self.assertEqual(p.text(SEARCH), "Kill Search")
        gate.set()

        wait_until(lambda: p.text(STATUS3) == "Search aborted.", 20, "the abort")
        time.sleep(0.5)  # any further reaction to the presses would show by now
        status = p.status()
        self.assertEqual(status, ["Searching in sfbay for bike (sss)... found 3 items, 3 are new.",
                                  "Searching in boston for bike (sss)...", "Search aborted."])
        self.assert_idle()
        self.assertEqual(p.progress()[0], 0)
        self.assertEqual(p.boxes(), [])
        self.assertEqual([r.path for r in self.feed_requests()], [SFBAY_BIKE[1]])
        # idle for real: the next press starts a run
        self.assertEqual(self.search("sfbay\r\nboston", "bike")[2], "Search Complete")

    def test_search_button_pressed_at_random_moments_ends_consistent(self):
        p = self.program
        p.start_to_window()
        p.set_text(CITIES, "sfbay\r\nboston\r\ntoronto.kijiji.ca\r\nsfbay\r\nboston")
        p.set_text(TERMS, "bike\r\ncta,\"red truck\"")
        rng = random.Random(99)
        for _ in range(25):
            p.click(SEARCH)
            time.sleep(rng.uniform(0, 0.08))

        def settled():
            caption = p.text(SEARCH)
            enabled = [p.enabled(c) for c in RUN_CONTROLS]
            return caption == "Search Now" and all(enabled)
        wait_until(settled, 30, "the runs to end")
        time.sleep(0.3)
        self.assertTrue(settled(), p.status())
        self.assertIn(p.text(STATUS3), ("Search Complete", "Search aborted."))
        # a run that ended between the presses left nothing behind: the button still starts one
        self.assertEqual(self.search("sfbay", "bike")[2], "Search Complete")
        self.assertEqual(p.progress(), (1, 1))

    def test_close_while_results_pour_in_ends_cleanly(self):
        p = self.program
        terms = [f"t{n}" for n in range(6)]
        for n, term in enumerate(terms):
            for host in ("sfbay", "boston"):
                ads = [Ad("2026-11-02", f"{host} {term} {i}",
                          f"http://{host}.craigslist.org/bik/{n}-{i}.html") for i in range(500)]
                self.server.serve_answer(*craigslist(f"{host}.craigslist.org", "sss", term),
                                         feed(ads))
        p.start_to_window()
        p.set_text(CITIES, "sfbay\r\nboston")
        p.set_text(TERMS, "\r\n".join(terms))
        p.click(SEARCH)
        wait_until(lambda: p.count() > 700, 20, "results to arrive")
        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDYES)
        self.assertEqual(p.wait_for_exit(10), 0)
        settings = lines_of(p.read("kestrap.ini"))
        self.assertIn("results: kestrap.html", settings)
        self.assertIn("startmenu: done", settings)
        self.assertNotIn("kestrap.html", p.files())

    # -- the list's capacity

    def test_results_file_over_capacity_loads_the_first_10000(self):
        p = self.program
        ads = many_ads(10001)
        self.start_with_results(ads)
        self.assertEqual(p.count(), 10000)
        self.assertEqual(p.item(9999), entry(ads[9999], False))
        said = [line for line in p.status() if "left out" in line]
        self.assertEqual(said, ["1 entries of kestrap.html were left out: "
                                "the list holds at most 10,000."])
        # a full list takes nothing new, so there is nothing to save
        status = self.search("sfbay", "bike")
        self.assertEqual(status, ["Searching in sfbay for bike (sss)... found 3 items, 0 are new.",
                                  LIST_FULL, "Search Complete"])
        self.assertEqual(p.count(), 10000)
        p.click(SAVE)
        p.box("Search first")
        p.press("Search first", IDOK)

    def test_search_that_fills_the_list_stops_adding_and_says_so_once(self):
        p = self.program
        self.start_with_results(many_ads(9998))
        gate = self.server.hold(*BOSTON_BIKE)
        p.set_text(CITIES, "sfbay\r\nboston")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*BOSTON_BIKE, 15))
        self.assertEqual(p.status(), ["Searching in sfbay for bike (sss)... found 3 items, 2 are new.",
                                      LIST_FULL, "Searching in boston for bike (sss)..."])
        gate.set()
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 20, "the end of the search")
        # the second search into the full list does not repeat the message
        self.assertEqual(p.status(), [LIST_FULL,
                                      "Searching in boston for bike (sss)... found 2 items, 0 are new.",
                                      "Search Complete"])
        self.assertEqual(p.count(), 10000)
        self.assertEqual([p.item(0), p.item(1)], [entry(B), entry(A)])
        self.assertEqual(p.progress(), (2, 2))

        self.save()
        links = links_of_complete_file(p.read("kestrap.html"))
        self.assertEqual(len(links), 10000)
        self.assertIn(B.link, links)
        self.assertNotIn(C.link, links)

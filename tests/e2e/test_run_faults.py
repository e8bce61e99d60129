"""A search run pushed around: commands while it runs, the close in the middle of it, and
a results list that reaches its capacity of 10,000 entries."""
import random
import time

from feeds import A, B, C, E, Ad, entry, feed_answer, many_ads, results_file
from feedserver import craigslist
from harness import (CITIES, DELETE_ALL, DELETE_OLD, IDOK, IDYES, RUN_CONTROLS, SAVE, SEARCH,
                     STATUS3, TERMS, Scenario, links_of_complete_file, lines_of,
                     wait_until, wait_until_first_pair_waits)

SFBAY_BIKE = craigslist("sfbay.craigslist.org", "sss", "bike")
BOSTON_BIKE = craigslist("boston.craigslist.org", "sss", "bike")
LIST_FULL = "The results list is full (10,000 entries): new results are no longer added."


class RunFaultTest(Scenario):
    maxDiff = None

    def start_with_ads(self, ads):
        self.start_with({"kestrap.html": results_file(ads)})

    def test_delete_commands_are_refused_while_a_search_runs(self):
        p = self.program
        ancient = Ad("2020-01-01", "Old bike", "http://sfbay.craigslist.org/bik/1.html")
        self.start_with_ads([E, ancient])
        loaded = p.items()
        gate = self.server.hold(*SFBAY_BIKE)
        p.set_text(CITIES, "sfbay")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*SFBAY_BIKE, 15))

        # handled while the fetch is held: a command that opened a box would fail here
        p.command(DELETE_OLD, handled=True)
        p.command(DELETE_ALL, handled=True)
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
        wait_until_first_pair_waits(p)
        # every press handled while the sfbay answer is held back
        for _ in range(5):
            p.click(SEARCH, handled=True)
        self.assertEqual(p.text(SEARCH), "Kill Search")
        gate.set()

        wait_until(lambda: p.text(SEARCH) == "Search Now", 20, "the end of the aborted run")
        status = p.status()
        self.assertEqual(status, ["Searching in sfbay for bike (sss)... found 3 items, 3 are new.",
                                  "Searching in boston for bike (sss)...", "Search aborted."])
        self.assert_idle()
        self.assertEqual(p.progress()[0], 0)
        self.assertEqual(p.boxes(), [])
        # boston's feed may have been asked for ahead of the kill, but nothing after it
        asked = [(r.host, r.path) for r in self.feed_requests()]
        self.assertIn(SFBAY_BIKE, asked)
        self.assertLessEqual(set(asked), {SFBAY_BIKE, BOSTON_BIKE})
        self.assertEqual(len(asked), len(set(asked)))
        # idle for real: the next press starts a run
        self.assertEqual(self.search("sfbay\r\nboston", "bike")[2], "Search Complete")

    def test_search_button_pressed_at_random_moments_ends_consistent(self):
        p = self.program
        p.start_to_window()
        p.set_text(CITIES, "sfbay\r\nboston\r\ntoronto.kijiji.ca\r\nsfbay\r\nboston")
        p.set_text(TERMS, "bike\r\ncta,\"red truck\"")
        rng = random.Random(99)
        for _ in range(25):
            p.click(SEARCH, handled=True)
            time.sleep(rng.uniform(0, 0.08))

        def settled():
            caption = p.text(SEARCH)
            enabled = [p.enabled(c) for c in RUN_CONTROLS]
            return caption == "Search Now" and all(enabled)
        wait_until(settled, 30, "the runs to end")
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
                                         feed_answer(ads))
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
        self.start_with_ads(ads)
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
        self.start_with_ads(many_ads(9998))
        gate = self.server.hold(*BOSTON_BIKE)
        p.set_text(CITIES, "sfbay\r\nboston")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        wait_until(lambda: p.text(STATUS3) == "Searching in boston for bike (sss)...", 15,
                   "the run to reach boston")
        self.assertEqual(p.status(), [
            "Searching in sfbay for bike (sss)... found 3 items, 2 are new.",
            LIST_FULL, "Searching in boston for bike (sss)..."])
        gate.set()
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 20, "the end of the search")
        # the second search into the full list does not repeat the message
        self.assertEqual(p.status(), [
            LIST_FULL, "Searching in boston for bike (sss)... found 2 items, 0 are new.",
            "Search Complete"])
        self.assertEqual(p.count(), 10000)
        self.assertEqual([p.item(0), p.item(1)], [entry(B), entry(A)])
        self.assertEqual(p.progress(), (2, 2))

        self.save_and_wait()
        links = links_of_complete_file(p.read("kestrap.html"))
        self.assertEqual(len(links), 10000)
        self.assertIn(B.link, links)
        self.assertNotIn(C.link, links)

"""Search runs: requests on the wire, status lines, progress, results, abort, bad answers."""
import random

from feeds import A, B, C, D, E, F, G, H, I, entry
from feedserver import (UPDATE_HOST, UPDATE_PATH, craigslist, http_answer, kijiji,
                        read_fixture)
from harness import (CITIES, DELETE_ALL, IDOK, RESULTS_LIST, RUN_CONTROLS, SEARCH, STATUS3,
                     TERMS, Scenario, raw_request, wait_until, wait_until_first_pair_waits)

SFBAY_BIKE = craigslist("sfbay.craigslist.org", "sss", "bike")
SFBAY_TRUCK = craigslist("sfbay.craigslist.org", "cta", "%22red+truck%22")
BOSTON_BIKE = craigslist("boston.craigslist.org", "sss", "bike")
BOSTON_TRUCK = craigslist("boston.craigslist.org", "cta", "%22red+truck%22")
TORONTO_BIKE = kijiji("toronto.kijiji.ca", "bike")
TORONTO_DESK = kijiji("toronto.kijiji.ca", "desk", "100027")

# blank and comment lines are not searched; a Kijiji category skips the Craigslist cities
# and a Craigslist section the Kijiji one
CITIES_TEXT = "sfbay\r\n\r\n# east coast\r\nboston\r\n   \r\ntoronto.kijiji.ca\r\n"
TERMS_TEXT = 'bike\r\ncta, "red truck" \r\n100027,desk'


class SearchTest(Scenario):

    def assert_running(self):
        p = self.program
        self.assertEqual(p.text(SEARCH), "Kill Search")
        for control in RUN_CONTROLS:
            self.assertFalse(p.enabled(control), control)
        self.assertTrue(p.enabled(SEARCH))
        self.assertTrue(p.enabled(RESULTS_LIST))

    def test_search_over_two_craigslist_cities_and_a_kijiji_city(self):
        p = self.program
        p.start_to_window()
        first = self.server.hold(*SFBAY_BIKE)
        fourth = self.server.hold(*BOSTON_BIKE)
        p.set_text(CITIES, CITIES_TEXT)
        p.set_text(TERMS, TERMS_TEXT)
        p.click(SEARCH)

        self.assertIsNotNone(self.server.wait_for_request(*SFBAY_BIKE, 15))
        # the request goes out ahead of the run: wait until the run shows its first pair
        wait_until(lambda: p.progress() == (1, 9), 15, "the run's first pair")
        self.assert_running()
        self.assertEqual(p.status()[1:], ["About to search 3 cities for 3 terms.",
                                          "Searching in sfbay for bike (sss)..."])
        first.set()

        # boston's feed was asked for ahead of time; the run reaches it after sfbay's two
        wait_until(lambda: p.text(STATUS3) == "Searching in boston for bike (sss)...", 15,
                   "the run to reach boston")
        self.assert_running()
        self.assertEqual(p.status(), [
            "Searching in sfbay for bike (sss)... found 3 items, 3 are new.",
            'Searching in sfbay for "red truck" (cta)... found 2 items, 1 are new.',
            "Searching in boston for bike (sss)..."])
        self.assertEqual(p.progress(), (4, 9))
        self.assertEqual(p.items(), [entry(D), entry(C), entry(B), entry(A)])
        fourth.set()

        wait_until(lambda: p.text(STATUS3) == "Search Complete", 30, "the end of the search")
        self.assertEqual(p.status()[:2], [
            "Searching in toronto.kijiji.ca for bike (sss)... found 2 items, 2 are new.",
            "Searching in toronto.kijiji.ca for desk (100027)... found 1 items, 1 are new."])
        self.assertEqual(p.progress(), (9, 9))
        self.assert_idle()
        # the newest find on top; a link seen earlier in the run is not added again
        self.assertEqual(p.items(), [entry(ad) for ad in (I, H, G, F, E, D, C, B, A)])
        self.screenshot("screenshot.png")

        # fetched ahead: the sites are asked at once, each site's requests in the run's order
        requests = [r.raw for r in self.feed_requests()]
        self.assertEqual(sorted(requests), sorted([
            raw_request(*SFBAY_BIKE), raw_request(*SFBAY_TRUCK),
            raw_request(*BOSTON_BIKE), raw_request(*BOSTON_TRUCK),
            raw_request(*TORONTO_BIKE), raw_request(*TORONTO_DESK)]))
        for first, then in ((SFBAY_BIKE, SFBAY_TRUCK), (BOSTON_BIKE, BOSTON_TRUCK),
                            (TORONTO_BIKE, TORONTO_DESK)):
            self.assertLess(requests.index(raw_request(*first)), requests.index(raw_request(*then)))
        self.assertEqual([r.raw for r in self.server.logged(UPDATE_HOST)],
                         [raw_request(UPDATE_HOST, UPDATE_PATH)])
        with open(self.server.log_path, "rb") as log:
            self.assertEqual(log.read(), b"".join(r.raw for r in self.server.logged()))

    def test_kill_search_during_a_slow_answer(self):
        p = self.program
        p.start_to_window()
        gate = self.server.hold(*SFBAY_BIKE)
        p.set_text(CITIES, "sfbay\r\nboston")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*SFBAY_BIKE, 15))
        wait_until_first_pair_waits(p)

        p.click(SEARCH, handled=True)
        p.click(SEARCH, handled=True)  # a second press while the abort is pending changes nothing
        # the delete commands are refused while a run is in progress: no box opens
        p.command(DELETE_ALL, handled=True)
        self.assert_running()
        gate.set()

        # the fetch under way completes, the next pair is announced, then the run stops
        wait_until(lambda: p.text(SEARCH) == "Search Now", 20, "the end of the aborted run")
        self.assertEqual(p.text(STATUS3), "Search aborted.")
        self.assertEqual(p.status()[:2], ["Searching in sfbay for bike (sss)... found 3 items, 3 are new.",
                                          "Searching in boston for bike (sss)..."])
        self.assertEqual(p.progress()[0], 0)
        self.assert_idle()
        self.assertEqual(p.items(), [entry(C), entry(B), entry(A)])
        # boston's feed may have been asked for ahead of the kill, but not after it
        requests = [r.raw for r in self.feed_requests()]
        self.assertEqual(requests[0] if requests[0] != raw_request(*BOSTON_BIKE) else requests[1],
                         raw_request(*SFBAY_BIKE))
        self.assertLessEqual(set(requests), {raw_request(*SFBAY_BIKE), raw_request(*BOSTON_BIKE)})
        self.assertEqual(len(requests), len(set(requests)))

        # the next run starts afresh and knows what the aborted one found
        status = self.search("sfbay\r\nboston", "bike")
        self.assertEqual(status[:2], ["Searching in sfbay for bike (sss)... found 3 items, 0 are new.",
                                      "Searching in boston for bike (sss)... found 2 items, 2 are new."])
        self.assertEqual(p.items(), [entry(ad) for ad in (F, E, C, B, A)])

    def test_unreachable_host_is_reported_and_the_run_goes_on(self):
        p = self.program
        p.start_to_window()
        # a city is shown as typed and asked for in lower case
        status = self.search("unreachable.craigslist.org\r\nSFBay", "bike")
        self.assertEqual(status, ["HTTP Error -- retrying... no matches.",
                                  "Searching in SFBay for bike (sss)... found 3 items, 3 are new.",
                                  "Search Complete"])
        self.assertEqual([r.raw for r in self.feed_requests()], [raw_request(*SFBAY_BIKE)])
        self.assertEqual(len(p.items()), 3)

    def test_empty_lists_are_refused(self):
        p = self.program
        p.start_to_window()
        p.set_text(CITIES, "   \r\n# nothing yet\r\n")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        text, buttons = p.box("City Error")
        self.assertEqual(text, "You need to define some cities to search. "
                               "If you're not sure how, use the help form.")
        self.assertEqual(buttons, [IDOK])
        p.press("City Error", IDOK)

        p.set_text(CITIES, "sfbay")
        p.set_text(TERMS, "\r\n#bike\r\n")
        p.click(SEARCH)
        text, buttons = p.box("Search Term Error")
        self.assertEqual(text, "You need to define some terms to search for. "
                               "If you're not sure how, use the help form.")
        p.press("Search Term Error", IDOK)
        self.assert_idle()
        self.assertEqual(self.feed_requests(), [])

    def test_redirected_feed_is_followed(self):
        p = self.program
        p.start_to_window()
        self.server.serve_answer(*SFBAY_BIKE, (
            "HTTP/1.0 302 Found\r\nLocation: http://boston.craigslist.org"
            "/search/sss?query=bike&format=rss\r\nContent-Length: 0\r\n\r\n").encode("ascii"))
        status = self.search("sfbay", "bike")
        self.assertEqual(status[1], "Searching in sfbay for bike (sss)... found 2 items, 2 are new.")
        self.assertEqual(p.items(), [entry(F), entry(E)])
        self.assertEqual([r.raw for r in self.feed_requests()],
                         [raw_request(*SFBAY_BIKE), raw_request(*BOSTON_BIKE)])

    def test_bad_answers_find_nothing_and_the_run_goes_on(self):
        p = self.program
        p.start_to_window()
        feed = read_fixture("boston-bike.xml")
        # the connection drops in the middle of the second item's link
        cut = feed.index(b"<link>", feed.index(b"</item>")) + 20
        head = http_answer(feed)[:-len(feed)]
        self.server.serve_answer(*BOSTON_BIKE, head + feed[:cut])
        self.server.serve_answer(*SFBAY_BIKE, http_answer(
            b"<html><body><h1>Internal Server Error</h1></body></html>", "500 Internal Server Error"))
        noise = random.Random(7).randbytes(200_000)
        self.server.serve_answer(*TORONTO_BIKE, b"HTTP/1.0 200 OK\r\n\r\n" + noise)
        status = self.search("boston\r\nsfbay\r\ntoronto.kijiji.ca", "bike")
        self.assertEqual(status, ["Searching in sfbay for bike (sss)... no matches.",
                                  "Searching in toronto.kijiji.ca for bike (sss)... no matches.",
                                  "Search Complete"])
        # the item before the break is read whole
        self.assertIn(entry(E), p.items())
        self.assertLessEqual(len(p.items()), 2)

    def test_kill_during_the_last_pair_lets_the_run_complete(self):
        p = self.program
        p.start_to_window()
        gate = self.server.hold(*SFBAY_BIKE)
        p.set_text(CITIES, "sfbay")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*SFBAY_BIKE, 15))
        wait_until_first_pair_waits(p)
        p.click(SEARCH, handled=True)
        gate.set()
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 20, "the end of the search")
        self.assertEqual(p.progress(), (1, 1))
        self.assert_idle()
        self.assertEqual(len(p.items()), 3)

    def test_a_feed_over_capacity_is_cut_at_500_items(self):
        p = self.program
        p.start_to_window()
        items = "".join(
            f"<item><title>Bike {n}</title><link>http://sfbay.craigslist.org/bik/{n}.html</link>"
            f"<dc:date>2026-12-01T10:00:00-08:00</dc:date></item>\n" for n in range(1, 601))
        feed = f"<rdf:RDF><channel><title>big</title></channel>\n{items}</rdf:RDF>\n"
        self.server.serve_answer(*SFBAY_BIKE, http_answer(feed.encode("ascii")))
        status = self.search("sfbay", "bike")
        shown = p.items()
        self.assertEqual(len(shown), 500)
        self.assertEqual(shown[0], "2026-12-01 || Bike 500 || http://sfbay.craigslist.org/bik/500.html || NEW")
        self.assertEqual(shown[-1], "2026-12-01 || Bike 1 || http://sfbay.craigslist.org/bik/1.html || NEW")
        # the cut is reported in the status area
        self.assertTrue(any("500" in line for line in status[:2]), status)

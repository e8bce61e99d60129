"""Kill Search against a server that never answers: the run gives the pair on screen its
grace, then gives the fetch up, and asks nothing more."""
import time

from feedserver import craigslist
from harness import (CITIES, SEARCH, STATUS3, TERMS, Scenario, wait_until,
                     wait_until_first_pair_waits)

SFBAY_BIKE = craigslist("sfbay.craigslist.org", "sss", "bike")
BOSTON_BIKE = craigslist("boston.craigslist.org", "sss", "bike")


class StopTest(Scenario):
    maxDiff = None

    def test_kill_while_a_server_is_silent_aborts_within_three_seconds(self):
        p = self.program
        p.start_to_window()
        self.server.hold(*SFBAY_BIKE)  # never released while the test looks
        p.set_text(CITIES, "sfbay\r\nboston")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        self.assertIsNotNone(self.server.wait_for_request(*SFBAY_BIKE, 15))
        # boston's feed is fetched ahead, before the press
        self.assertIsNotNone(self.server.wait_for_request(*BOSTON_BIKE, 15))
        asked_before = len(self.feed_requests())
        wait_until_first_pair_waits(p)

        pressed = time.monotonic()
        p.click(SEARCH, handled=True)
        wait_until(lambda: p.text(STATUS3) == "Search aborted.", 10, "the abort")
        self.assertLess(time.monotonic() - pressed, 3.0)
        self.assertEqual(p.status()[1:], ["Searching in sfbay for bike (sss)...", "Search aborted."])
        self.assert_idle()
        self.assertEqual(p.progress()[0], 0)
        self.assertEqual(p.items(), [])
        # nothing was asked after the press: not sfbay again, not boston again
        time.sleep(0.5)
        self.assertEqual(len(self.feed_requests()), asked_before)

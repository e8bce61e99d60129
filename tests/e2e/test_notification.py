"""The notification of new ads: a balloon beside the program's icon in the notification area.

Under Wine without a desktop, explorer holds the icons in a stand-alone tray window and
shows a balloon as a top-level tooltip window of its own, about two seconds after the icon
came.
"""
import os
import time

from feeds import J, entry
from harness import CITIES, SEARCH, STATUS3, TERMS, Scenario, wait_until

# the longest a /search run keeps its icon, and what Wine may add to it on a busy machine
ICON_TIME = 60
SLACK = 10


class NotificationTest(Scenario):

    def prepare_folder(self):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\nresults: cars.html\r\n")
        p.write("cars.cit", "sfbay\r\n")
        p.write("cars.trm", "bike\r\n")

    def balloons(self):
        return self.program.call("balloons")

    def tray_icons(self):
        return int(self.program.call("trayicons")[0])

    def wait_for_balloon(self, text):
        return wait_until(lambda: text in self.balloons(), 20, f"the balloon {text!r}")

    def test_scheduled_run_with_new_ads_keeps_its_balloon_at_most_a_minute(self):
        p = self.program
        self.prepare_folder()
        started = time.monotonic()
        p.start(arguments="/search")
        self.wait_for_balloon("3 new ads in cars.html")
        self.assertTrue(p.alive())
        self.assertEqual(self.tray_icons(), 1)
        time.sleep(1)  # drawn by now
        self.screenshot("notification.png")
        # saved and logged before the wait, and the program folder is free again: another
        # run goes ahead at once instead of waiting for this one
        self.assertIn("3 new ads", p.read("kestrap.log"))
        self.assertEqual(p.run_beside("/search /quiet", timeout=30), 0)
        self.assertIn("3 items found, 0 new ads", p.read("kestrap.log").splitlines()[1])

        self.assertEqual(p.wait_for_exit(timeout=ICON_TIME + SLACK), 0)
        self.assertLess(time.monotonic() - started, ICON_TIME + SLACK)
        self.assertGreater(time.monotonic() - started, ICON_TIME - 1)
        wait_until(lambda: self.tray_icons() == 0, 10, "the icon to go")
        self.assertEqual(self.browser_opened(), [])

    def test_click_on_the_icon_opens_the_saved_page(self):
        p = self.program
        self.prepare_folder()
        p.start(arguments="/search cars")
        self.wait_for_balloon("3 new ads in cars.html")
        self.assertEqual(p.call("trayclick"), ["1"])
        self.assertEqual(p.wait_for_exit(timeout=10), 0)
        opened = wait_until(self.browser_opened, 15, "the browser to be asked")
        self.assertEqual(len(opened), 1)
        self.assertTrue(opened[0].endswith(f"/c:/e2e/{p.name}/cars.html"), opened)
        wait_until(lambda: self.tray_icons() == 0, 10, "the icon to go")

    def test_runs_without_new_ads_or_quiet_show_nothing(self):
        p = self.program
        self.prepare_folder()
        # /quiet: new ads saved, no icon, no wait
        self.assertEqual(p.run_beside("/search /quiet", timeout=30), 0)
        self.assertIn("3 new ads", p.read("kestrap.log"))
        # nothing new: no icon, no wait
        self.assertEqual(p.run_beside("/search", timeout=30), 0)
        self.assertIn("0 new ads", p.read("kestrap.log").splitlines()[1])
        # a run that fails tells its log line only
        os.remove(p.path("cars.trm"))
        p.start(arguments="/search")
        self.assertEqual(p.wait_for_exit(timeout=30), 1)
        self.assertIn("could not run", p.read("kestrap.log").splitlines()[2])
        self.assertEqual((self.tray_icons(), self.balloons()), (0, []))

    def test_window_search_that_ends_behind_another_window_shows_one(self):
        p = self.program
        self.start_with({})
        p.call("cover")
        self.assertEqual(p.call("front"), ["0"])
        p.set_text(CITIES, "sfbay")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 30, "the end of the search")
        self.wait_for_balloon("3 new ads in kestrap.html")
        self.assertEqual(self.tray_icons(), 1)

        # a click brings the window to the front, and the icon goes
        self.assertEqual(p.call("trayclick"), ["1"])
        wait_until(lambda: p.call("front") == ["1"], 10, "the window to come to the front")
        wait_until(lambda: self.tray_icons() == 0, 10, "the icon to go")

        # a search that ends in front tells nothing
        self.server.serve_fixture("sfbay.craigslist.org", "/search/sss?query=bike&format=rss",
                                  "sfbay-bike-later.xml")
        before = len(self.feed_requests())
        p.click(SEARCH)
        wait_until(lambda: len(self.feed_requests()) > before, 30, "the second search's request")
        wait_until(lambda: p.text(STATUS3) == "Search Complete" and p.text(SEARCH) == "Search Now",
                   30, "the end of the second search")
        self.assertEqual(p.item(0), entry(J))
        time.sleep(3)  # a balloon comes two seconds after its icon
        self.assertEqual((self.tray_icons(), self.balloons()), (0, []))

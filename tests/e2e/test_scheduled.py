"""Searches without a window, as Task Scheduler starts them: kestrap.exe /search."""
import re

from feeds import A, B, C, J, item_line
from feedserver import UPDATE_HOST, craigslist
from harness import IDOK, Scenario, lines_of, wait_until

LOG_LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  (.*)$")


class ScheduledTest(Scenario):
    maxDiff = None

    def prepare_folder(self):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\nresults: cars.html\r\n")
        p.write("cars.cit", "sfbay\r\n")
        p.write("cars.trm", "bike\r\n")

    def log(self):
        """What each line of kestrap.log says after its date and time."""
        lines = lines_of(self.program.read("kestrap.log"))
        for line in lines:
            self.assertRegex(line, LOG_LINE)
        return [LOG_LINE.match(line).group(1) for line in lines]

    def test_runs_save_only_new_ads_and_new_marks_add_up(self):
        p = self.program
        self.prepare_folder()
        settings = p.read("kestrap.ini")

        # the results file of the settings, searched and saved, and nothing else happens
        # (the notification of new ads has scenarios of its own)
        self.assertEqual(p.run_beside("/search /quiet"), 0)
        self.assertEqual(p.files(), ["cars.cit", "cars.html", "cars.trm", "kestrap.exe",
                                     "kestrap.ini", "kestrap.log"])
        saved = p.read("cars.html")
        self.assertEqual(lines_of(saved)[1:], [
            "<h3>December 6, 2026</h3>", "<ul>", item_line(B), "</ul>",
            "<h3>December 5, 2026</h3>", "<ul>", item_line(A), "</ul>",
            "<h3>December 4, 2026</h3>", "<ul>", item_line(C), "</ul>"])
        self.assertEqual((p.read("cars.cit"), p.read("cars.trm")), ("sfbay\r\n", "bike\r\n"))
        self.assertEqual(self.log(),
                         ["cars.html  1 pairs, 3 items found, 3 new ads, 0 failed fetches"])
        self.assertEqual(self.browser_opened(), [])
        self.assertEqual(self.server.logged(UPDATE_HOST), [])

        # nothing new: the file stays as it was, byte for byte
        self.assertEqual(p.run_beside("/search cars"), 0)
        self.assertEqual(p.read("cars.html"), saved)
        self.assertEqual(self.log()[1],
                         "cars.html  1 pairs, 3 items found, 0 new ads, 0 failed fetches")

        # one more ad: the earlier NEW marks stay, and /open shows the page
        self.server.serve_fixture(*craigslist("sfbay.craigslist.org", "sss", "bike"),
                                  "sfbay-bike-later.xml")
        self.assertEqual(p.run_beside('/search "cars.html" /open /quiet'), 0)
        lines = lines_of(p.read("cars.html"))
        for ad in (J, A, B, C):
            self.assertIn(item_line(ad), lines)
        self.assertEqual(self.log()[2],
                         "cars.html  1 pairs, 3 items found, 1 new ads, 0 failed fetches")
        # the shell hands the page on after the program has ended
        opened = wait_until(self.browser_opened, 15, "the browser to be asked")
        self.assertEqual(len(opened), 1)
        self.assertTrue(opened[0].endswith(f"/c:/e2e/{p.name}/cars.html"), opened)
        self.assertEqual(p.read("kestrap.ini"), settings)

    def test_run_while_the_window_is_open_writes_nothing(self):
        p = self.program
        self.prepare_folder()
        p.start()
        p.call("window", 30000)
        before = len(self.feed_requests())

        self.assertEqual(p.run_beside("/search"), 1)
        self.assertEqual(p.files(), ["cars.cit", "cars.trm", "kestrap.exe", "kestrap.ini",
                                     "kestrap.log"])
        self.assertEqual(self.log(),
                         ["cars.html  could not run: the window is open on this program folder"])
        self.assertEqual(len(self.feed_requests()), before)
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

    def test_bad_switch_shows_the_usage_and_exits_with_1(self):
        p = self.program
        p.start(arguments="/serch cars")
        text, buttons = p.box("Kestrap command line")
        self.assertIn("Unknown or repeated switch: /serch", text)
        self.assertIn("kestrap.exe /search [results file name] [/open]", text)
        self.assertEqual(buttons, [IDOK])
        p.press("Kestrap command line", IDOK)
        self.assertEqual(p.wait_for_exit(), 1)
        self.assertEqual(self.log(), ["-  could not run: bad command line"])
        self.assertEqual(p.files(), ["kestrap.exe", "kestrap.log"])

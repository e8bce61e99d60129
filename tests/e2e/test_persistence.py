"""What survives the program: Save and its files, the next start, pruning of old entries."""
import os
import time

from feeds import A, B, C, D, E, J, Ad, entry, item_line
from feedserver import craigslist
from harness import (CITIES, DELETE_ALL, DELETE_OLD, IDOK, IDYES, LOAD, RESULTS_FILE, SAVE,
                     STATUS1, STATUS2, STATUS3, TERMS, Scenario, lines_of, wait_until)

SAVE_REFUSED = "You haven't found anything to save!"


class PersistenceTest(Scenario):
    maxDiff = None

    def assert_save_refused(self):
        p = self.program
        p.click(SAVE)
        text, buttons = p.box("Search first")
        self.assertEqual((text, buttons), (SAVE_REFUSED, [IDOK]))
        p.press("Search first", IDOK)

    def save(self, results_file):
        """Presses Save and waits until the browser has been asked to open the file."""
        before = len(self.browser_opened())
        self.program.click(SAVE)
        wait_until(lambda: len(self.browser_opened()) > before, 15, "the browser to be asked")
        wait_until(lambda: results_file in self.program.files(), 5, f"{results_file} to be written")

    def test_save_writes_results_lists_and_settings_and_opens_the_browser(self):
        p = self.program
        p.start_to_window()
        self.assert_save_refused()
        self.assertEqual(p.files(), ["kestrap.exe"])

        cities = "sfbay\r\n# later: boston"
        terms = ' bike \r\ncta,"red truck"\r\n'
        self.search(cities, terms)
        shown = p.items()
        p.type(RESULTS_FILE, "my.results")
        self.save("my.results.html")

        self.assertEqual(p.files(), ["kestrap.exe", "kestrap.ini", "my.cit", "my.results.html", "my.trm"])
        self.assertEqual(p.read("my.cit"), cities)
        self.assertEqual(p.read("my.trm"), terms)
        lines = lines_of(p.read("my.results.html"))
        self.assertRegex(lines[0], r"^<h3>Kestrap build for \d\d-\d\d-\d{4} at \d\d:\d\d:\d\d</h3>$")
        self.assertEqual(lines[1:], [
            "<h3>December 6, 2026</h3>", "<ul>", item_line(D), item_line(B), "</ul>",
            "<h3>December 5, 2026</h3>", "<ul>", item_line(A), "</ul>",
            "<h3>December 4, 2026</h3>", "<ul>", item_line(C), "</ul>"])
        settings = lines_of(p.read("kestrap.ini"))
        self.assertIn("recent: my.results.html,", settings)
        self.assertIn("results: my.results.html", settings)
        self.assertIn("startmenu: done", settings)
        selected, items = p.combo()
        self.assertEqual(items[selected], "my.results.html")
        opened = self.browser_opened()
        self.assertEqual(len(opened), 1)
        self.assertTrue(opened[0].startswith("file://"), opened)
        self.assertTrue(opened[0].endswith(f"/c:/e2e/{p.name}/my.results.html"), opened)
        # the file is sorted, the list box keeps the order of finding
        self.assertEqual(p.items(), shown)

        # saved: the window closes without asking
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

        # the next start opens the same file with its lists, every line stripped and ended
        p.start()
        p.call("window", 30000)
        selected, items = p.combo()
        self.assertEqual(items[selected], "my.results.html")
        self.assertEqual(p.items(), [entry(ad, False) for ad in (D, B, A, C)])
        self.assertEqual(p.text(CITIES), "sfbay\r\n# later: boston\r\n")
        self.assertEqual(p.text(TERMS), 'bike\r\ncta,"red truck"\r\n')

    def test_ansi_bytes_and_long_titles_survive_save_and_reload(self):
        p = self.program
        # euro sign, curly quotes, accented letters, a byte 255 and an entity, as sent
        odd = Ad("2026-12-02", "\x80 99 \x93bargain\x94 \xc9t\xe9 \xff &amp; more",
                 "http://sfbay.craigslist.org/bik/7000000001.html")
        # longer than the list box takes from a search, short enough for the driver to read
        long_title = "Long " + "x" * 600
        long = Ad("2026-12-01", long_title, "http://sfbay.craigslist.org/bik/7000000002.html")
        feed = ("<rdf:RDF><channel><title>odd</title></channel>\n" + "".join(
            f"<item><title><![CDATA[{ad.title}]]></title><link>{ad.link}</link>"
            f"<dc:date>{ad.date}T10:00:00-08:00</dc:date></item>\n" for ad in (odd, long)) +
            "</rdf:RDF>\n").encode("latin-1")
        self.server.serve_answer(*craigslist("sfbay.craigslist.org", "sss", "bike"),
                                 b"HTTP/1.0 200 OK\r\n\r\n" + feed)
        p.start_to_window()
        self.search("sfbay", "bike")
        # the list box holds the first 511 bytes of a long entry
        self.assertEqual(p.items(), [entry(long)[:511], entry(odd)])
        self.save("kestrap.html")
        lines = lines_of(p.read("kestrap.html"))
        self.assertIn(item_line(odd), lines)
        self.assertIn(item_line(long), lines)
        p.close()
        p.wait_for_exit()

        p.start()
        p.call("window", 30000)
        # read back from the file, the whole entry is shown (longer than Wine carries across
        # to another process, so its length tells)
        self.assertEqual(p.count(), 2)
        self.assertEqual(p.item(0), entry(odd, False))
        self.assertEqual(p.length(1), len(entry(long, False)))

    def test_failed_save_is_reported_and_nothing_is_opened(self):
        p = self.program
        p.start_to_window()
        self.search("sfbay", "bike")
        # a folder where the results file should go cannot be written as a file
        os.makedirs(p.path("kestrap.html"))
        p.click(SAVE)
        captions = wait_until(p.boxes, 10, "a message box")
        text, buttons = p.box(captions[0])
        self.assertIn("kestrap.html", text)
        self.assertEqual(buttons, [IDOK])
        p.press(captions[0], IDOK)
        self.assertEqual(self.browser_opened(), [])
        # the results still count as unsaved
        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDYES)
        p.wait_for_exit()

    def test_unusual_results_file_names(self):
        p = self.program
        p.start_to_window()
        self.search("sfbay", "bike")

        # an empty name saves to the default file
        p.type(RESULTS_FILE, "\b")
        self.assertEqual(p.combo()[0], -1)
        self.assertEqual(p.text(RESULTS_FILE), "")
        self.save("kestrap.html")
        self.assertEqual(self.browser_opened()[0][-len("/kestrap.html"):], "/kestrap.html")
        self.assertIn("kestrap.cit", p.files())
        self.assertIn("kestrap.trm", p.files())

        # a name the drop-down list could not hold is refused, nothing is written
        before = p.files()
        p.type(RESULTS_FILE, "\b")
        p.set_text(RESULTS_FILE, "r" * 200)
        p.click(SAVE)
        captions = wait_until(p.boxes, 10, "a message box")
        p.press(captions[0], IDOK)
        self.assertEqual(p.files(), before)
        self.assertEqual(len(self.browser_opened()), 1)

    def test_restart_restores_entries_and_tags_only_unseen_links(self):
        p = self.program
        p.start_to_window()
        self.search("sfbay", "bike")
        self.save("kestrap.html")
        p.close()
        p.wait_for_exit()

        p.start()
        p.call("window", 30000)
        self.assertEqual(p.items(), [entry(B, False), entry(A, False), entry(C, False)])
        self.assertEqual(p.text(CITIES), "sfbay\r\n")
        self.assertEqual(p.text(TERMS), "bike\r\n")
        # a file that loads posts nothing: the start-up lines are still there
        self.assertEqual(p.text(STATUS1), "Tool by Orvane (www.orvane.net), Version 1.04")
        self.assertNotEqual(p.text(STATUS2), "")
        self.assertEqual(p.text(STATUS3), "Enjoy!")
        # results loaded from a file are nothing new to save
        self.assert_save_refused()

        self.server.serve_fixture(*craigslist("sfbay.craigslist.org", "sss", "bike"),
                                  "sfbay-bike-later.xml")
        status = self.search("sfbay", "bike")
        self.assertEqual(status[1], "Searching in sfbay for bike (sss)... found 3 items, 1 are new.")
        self.assertEqual(p.items(), [entry(J), entry(B, False), entry(A, False), entry(C, False)])
        self.save("kestrap.html")
        self.assertIn(item_line(J), lines_of(p.read("kestrap.html")))
        self.assertIn(item_line(A, False), lines_of(p.read("kestrap.html")))

        # a double-click opens the advertisement
        p.double_click(2)
        wait_until(lambda: A.link in self.browser_opened(), 15, "the link to be opened")

    def test_load_and_recent_pick_bring_their_own_lists(self):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\n")
        p.write("old.html", "<h3>Kestrap build for 12-01-2026 at 10:00:00</h3>\r\n<ul>\r\n" +
                item_line(A, False) + "\r\n" + item_line(E, False) + "\r\n</ul>\r\n")
        # Ctrl-Z ends a list file
        p.write("old.cit", "boston\r\n\x1a\r\nnot read")
        p.write("old.trm", '  cta,"red truck"  \r\n\r\n#x')
        p.write("clsearch.txt", "bike\r\n")
        p.start()
        p.call("window", 30000)
        self.assertEqual(p.text(STATUS3), "Error: Could not load kestrap.html")
        # without lists of their own the defaults fill in, else the placeholders
        self.assertEqual(p.text(TERMS), "bike\r\n")
        self.assertEqual(p.text(CITIES), "Enter city list here")

        p.type(RESULTS_FILE, "old")
        p.click(LOAD)
        wait_until(lambda: p.items() == [entry(A, False), entry(E, False)], 10, "old.html to load")
        self.assertEqual(p.text(CITIES), "boston\r\n")
        self.assertEqual(p.text(TERMS), 'cta,"red truck"\r\n\r\n#x\r\n')
        selected, items = p.combo()
        self.assertEqual(items[selected], "old.html")

        p.type(RESULTS_FILE, "Missing.HTM")
        p.click(LOAD)
        wait_until(lambda: p.text(STATUS3) == "Error: Could not load Missing.HTM", 10,
                   "the missing file to be reported")
        self.assertEqual(p.items(), [])
        self.assertEqual(p.text(TERMS), "bike\r\n")
        self.assertNotIn("Missing.HTM", p.combo()[1])

        p.pick(p.combo()[1].index("old.html"))
        wait_until(lambda: len(p.items()) == 2, 10, "the picked file to load")
        p.close()
        p.wait_for_exit()
        settings = lines_of(p.read("kestrap.ini"))
        self.assertIn("recent: Missing.HTM,old.html,", settings)
        self.assertIn("results: old.html", settings)

        p.start()
        p.call("window", 30000)
        selected, items = p.combo()
        self.assertEqual(items[selected], "old.html")
        self.assertIn("missing.htm", items)
        self.assertEqual(len(p.items()), 2)

    def test_prune_removes_entries_older_than_two_months(self):
        p = self.program
        year, month, day = time.localtime()[:3]

        def months_back(count):
            y, m = year, month
            for _ in range(count):
                m -= 1
                if m == 0:
                    y, m = y - 1, 12
            return f"{y:04d}-{m:02d}-{day:02d}"

        cutoff = months_back(2)
        today = Ad(months_back(0), "Listed today", "http://sfbay.craigslist.org/a/1.html")
        last_month = Ad(months_back(1), "Listed last month", "http://sfbay.craigslist.org/a/2.html")
        on_cutoff = Ad(cutoff, "Listed on the cutoff", "http://sfbay.craigslist.org/a/3.html")
        older = Ad(months_back(3), "Listed three months ago", "http://sfbay.craigslist.org/a/4.html")
        oldest = Ad(months_back(15), "Listed last year", "http://sfbay.craigslist.org/a/5.html")
        # deliberately out of order: pruning sorts what it keeps
        stored = [older, on_cutoff, today, oldest, last_month]
        p.write("kestrap.html", "\r\n".join(
            ["<h3>Kestrap build for 01-01-2026 at 10:00:00</h3>", "<ul>"] +
            [item_line(ad, False) for ad in stored] + ["</ul>", ""]))
        p.write("kestrap.ini", "startmenu: done\r\n")

        p.start()
        p.call("window", 30000)
        self.assertEqual(p.items(), [entry(ad, False) for ad in stored])

        p.command(DELETE_OLD)
        text, buttons = p.box("List cleared")
        self.assertEqual(text, f"Found and cleared 2 item(s) older than two months ({cutoff}) found.")
        self.assertEqual(buttons, [IDOK])
        p.press("List cleared", IDOK)
        self.assertEqual(p.items(), [entry(ad, False) for ad in (today, last_month, on_cutoff)])

        p.command(DELETE_OLD)
        text, _ = p.box("Not needed")
        self.assertEqual(text, f"No items older than two months ({cutoff}) found.")
        p.press("Not needed", IDOK)
        self.assertEqual(len(p.items()), 3)

        p.command(DELETE_ALL)
        text, _ = p.box("List cleared")
        self.assertEqual(text, "List cleared. You can save your fresh results after your next search.")
        p.press("List cleared", IDOK)
        self.assertEqual(p.items(), [])
        # neither command counts as a result to save; the file is untouched
        self.assert_save_refused()
        self.assertIn(item_line(oldest, False), p.read("kestrap.html"))

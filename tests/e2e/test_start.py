"""Start-up in an empty program folder, the start-menu question and closing without results."""
import glob
import os
import random

from harness import (CITIES, IDCANCEL, IDNO, IDYES, RESULTS_FILE, RESULTS_LIST, RUN_CONTROLS,
                     SEARCH, STATUS1, STATUS2, STATUS3, TERMS, DriverError, Scenario, lines_of)

START_MENU_QUESTION = ("Would you like to add Kestrap to your start menu? Select 'yes' to do so, "
                       "'no' not to, or 'cancel' to ask again later.")


class StartTest(Scenario):

    def settings(self):
        return lines_of(self.program.read("kestrap.ini"))

    def test_first_start_in_an_empty_folder(self):
        p = self.program
        p.start()
        text, buttons = p.box("Start Menu?")
        self.assertEqual(text, START_MENU_QUESTION)
        self.assertEqual(buttons, [IDCANCEL, IDYES, IDNO])
        # the question comes while the main window is still hidden
        with self.assertRaises(DriverError):
            p.call("window", 0)
        p.press("Start Menu?", IDNO)
        p.call("window", 30000)

        self.assertEqual(p.text(STATUS3), "Error: Could not load kestrap.html")
        self.assertEqual(p.text(STATUS2), "Enjoy!")
        self.assertNotEqual(p.text(STATUS1), "")
        self.assertEqual(p.text(TERMS), "Enter search terms")
        self.assertEqual(p.text(CITIES), "Enter city list here")
        selected, items = p.combo()
        self.assertGreaterEqual(selected, 0)
        self.assertEqual(items[selected], "kestrap.html")
        self.assertEqual(p.text(SEARCH), "Search Now")
        self.assertEqual(p.items(RESULTS_LIST), [])
        self.assertEqual(p.progress()[0], 0)
        for control in RUN_CONTROLS:
            self.assertTrue(p.enabled(control), control)
        self.assertEqual(p.files(), ["kestrap.exe"])

        # nothing unsaved: the window closes without asking and writes the settings
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)
        settings = self.settings()
        self.assertRegex(settings[0], r"^lastrun: \d\d-\d\d-\d{4} \d\d:\d\d:\d\d$")
        self.assertEqual(settings[1:4], ["recent: ", "results: kestrap.html", "startmenu: done"])
        for line in settings[4:]:
            self.assertRegex(line, r"^dialog[xy]: \d+$")
        self.assertEqual(p.files(), ["kestrap.exe", "kestrap.ini"])

        # answered once, never asked again: the window shows at once
        p.start()
        p.call("window", 30000)
        self.assertEqual(p.boxes(), [])
        self.assertEqual(p.text(STATUS3), "Error: Could not load kestrap.html")

    def test_start_menu_question_cancelled_then_accepted(self):
        p = self.program
        p.start_to_window(start_menu_answer=IDCANCEL)
        p.close()
        p.wait_for_exit()
        self.assertIn("startmenu: later", self.settings())

        p.start_to_window(start_menu_answer=IDYES)
        links = glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", "**",
                                       "Orvane Kestrap.lnk"), recursive=True)
        self.assertEqual(len(links), 1, links)
        self.assertIn(os.path.join("Start Menu", "Programs"), links[0])
        with open(links[0], "rb") as f:
            link = f.read()
        # the link names the program in its own folder (ANSI or UTF-16 strings)
        target = p.windows_folder + "kestrap.exe"
        self.assertTrue(target.encode("latin-1") in link or target.encode("utf-16-le") in link)
        p.close()
        p.wait_for_exit()
        self.assertIn("startmenu: done", self.settings())

    def test_damaged_files_in_the_program_folder(self):
        p = self.program
        noise = random.Random(11).randbytes(5000).decode("latin-1")
        recent = ",".join(f"old{n}.html" for n in range(60))
        p.write("kestrap.ini", "\r\n".join([
            noise, "startmenu: done", f"recent: {recent}", "dialogx: 99999999999",
            "dialogy: -40", "results: kestrap.html", "dialog", ":", noise, ""]))
        p.write("kestrap.html", "\r\n".join([
            "<h3>Kestrap build</h3>", "<ul>",
            '<li>2026-01-01 <a href="http://sfbay.craigslist.org/1.html">First</a></li>',
            noise.replace("<li>", ""),
            "<li>",
            "<li>2026-01-02 \x00 nul <a href=\"http://x/2\">" + "a" * 300_000,
            "</ul>", ""]))
        p.write("kestrap.cit", noise)
        p.start()
        p.call("window", 30000)
        # every line with a list item is an entry, however damaged
        self.assertEqual(p.count(), 3)
        self.assertEqual(p.item(0), "2026-01-01 || First || http://sfbay.craigslist.org/1.html")
        # at most 48 remembered names, each once
        _, names = p.combo(RESULTS_FILE)
        self.assertLessEqual(len(names), 49)
        self.assertEqual(len(names), len(set(names)))
        # the window stays within reach and works
        width, height = p.client()
        self.assertLess(width, 20000)
        self.assertGreater(height, 0)
        self.assertEqual(self.search("sfbay", "bike")[1],
                         "Searching in sfbay for bike (sss)... found 3 items, 3 are new.")

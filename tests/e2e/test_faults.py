"""Save when the program folder will not take it: a read-only results file, a write-protected
folder, a file held open by another program, a full disk, and the process killed mid-Save."""
import glob
import os
import random
import stat
import time

import mounts
from feeds import A, B, C, E, F, feed_answer, many_ads, results_file
from feedserver import craigslist
from harness import (CITIES, IDNO, IDOK, IDYES, LOAD, RESULTS_FILE, SAVE, SEARCH, STATUS3, TERMS,
                     Scenario, links_of_complete_file, lines_of, wait_until)

SFBAY_BIKE = craigslist("sfbay.craigslist.org", "sss", "bike")
BOSTON_BIKE = craigslist("boston.craigslist.org", "sss", "bike")
FILE_ATTRIBUTE_HIDDEN = 2


def hold_results_file(program):
    """What another program does that opens the results file with no sharing."""
    program.lock("kestrap.html")


def hide_results_file(program):
    program.set_attributes("kestrap.html", FILE_ATTRIBUTE_HIDDEN)


class SaveFaultTest(Scenario):
    maxDiff = None

    def start_with_ads(self, ads):
        self.start_with({"kestrap.html": results_file(ads)})

    def press_save_expecting_failure(self, name):
        p = self.program
        p.click(SAVE)
        text, buttons = p.box("Save failed")
        self.assertIn(name, text)
        self.assertEqual(buttons, [IDOK])
        p.press("Save failed", IDOK)

    def assert_close_still_asks(self):
        p = self.program
        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDNO)
        self.assertTrue(p.alive())

    def test_save_into_a_read_only_results_file_keeps_it_and_the_results_unsaved(self):
        p = self.program
        self.start_with_ads([E, F])
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
        self.save_and_wait()
        self.assertEqual(sorted(links_of_complete_file(p.read("kestrap.html"))),
                         sorted(ad.link for ad in (A, B, C, E, F)))
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

    def test_save_on_a_write_protected_medium_reports_every_file(self):
        p = self.program
        p.write("kestrap.ini", "startmenu: done\r\n")
        p.write("kestrap.html", results_file([E, F]))
        before = {name: p.read(name) for name in ("kestrap.ini", "kestrap.html")}
        self.addCleanup(mounts.make_read_only(p.folder))
        p.start()
        p.call("window", 30000)
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
        self.start_with({"kestrap.html": results_file([E, F])}, prepare=hold_results_file)
        old = p.read("kestrap.html")
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
        self.save_and_wait()
        self.assertEqual(p.boxes(), [])
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

    def test_hidden_results_file_is_not_replaced_unread(self):
        p = self.program
        self.start_with({"kestrap.html": results_file([E, F])}, prepare=hide_results_file)
        old = p.read("kestrap.html")
        # a hidden file does not count as there
        self.assertEqual(p.text(STATUS3), "Error: Could not load kestrap.html")
        self.search("sfbay", "bike")
        p.click(SAVE)
        p.box("Replace results file?")
        p.press("Replace results file?", IDNO)
        self.assertEqual(p.read("kestrap.html"), old)
        self.assertEqual(self.browser_opened(), [])

    def test_names_that_are_no_files_neither_hang_nor_count_as_loaded(self):
        p = self.program
        # AUX, COM1, NUL and the like are devices in every folder; reading AUX never ends
        self.start_with({"kestrap.ini": "startmenu: done\r\nresults: aux.html\r\n"})
        self.assertEqual(p.text(STATUS3), "Error: Could not load aux.html")
        self.assertEqual(p.text(TERMS), "Enter search terms")
        for name in ("nul", "COM1.htm", "con", "x?y", "nosuch\\sub"):
            p.type(RESULTS_FILE, "\b")
            p.set_text(RESULTS_FILE, name)
            p.click(LOAD)
            shown = name if name.endswith(".htm") else name + ".html"
            wait_until(lambda: p.text(STATUS3) == f"Error: Could not load {shown}", 10,
                       f"{shown} to be refused")

        # a device holds no entries to lose, nor does a name Windows refuses: Save just
        # cannot write there
        self.search("sfbay", "bike")
        for name in ("con", "lpt1", "a|b", "nosuch\\sub"):
            p.type(RESULTS_FILE, "\b")
            p.set_text(RESULTS_FILE, name)
            self.press_save_expecting_failure(f"{name}.html")
        self.assertEqual(self.browser_opened(), [])
        self.assert_close_still_asks()

    def test_search_started_while_save_asks_holds_the_save_back(self):
        p = self.program
        self.start_with({"kestrap.html": results_file([E, F])}, prepare=hold_results_file)
        old = p.read("kestrap.html")
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
        # the window answers once the Save that asked has returned
        self.assertEqual(p.text(SEARCH), "Kill Search")
        self.assertEqual(p.read("kestrap.html"), old)
        self.assertNotIn("kestrap.cit", p.files())
        self.assertEqual(self.browser_opened(), [])

        gate.set()
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 20, "the end of the search")
        p.click(SAVE)
        p.box("Replace results file?")
        p.press("Replace results file?", IDYES)
        wait_until(self.browser_opened, 15, "the browser to be asked")
        self.assertEqual(len(links_of_complete_file(p.read("kestrap.html"))), 5)

    def test_save_onto_a_full_disk_leaves_the_old_file_whole(self):
        p = self.program
        self.addCleanup(mounts.move_to_small_disk(p.folder, 64 * 1024))
        old_ads = many_ads(100)
        # 500 titles of 300 bytes: a results file of about 190 kB
        big = many_ads(500, first=1001, title_length=300)
        self.server.serve_answer(*SFBAY_BIKE, feed_answer(big))
        self.start_with_ads(old_ads)
        old = p.read("kestrap.html")
        self.assertEqual(self.search("sfbay", "bike")[1],
                         "Searching in sfbay for bike (sss)... found 500 items, 500 are new.")
        self.assertGreater(len(results_file(old_ads + big)), mounts.free_bytes(p.folder))

        self.press_save_expecting_failure("kestrap.html")
        self.assertEqual(p.read("kestrap.html"), old)
        self.assertEqual(p.files(), ["kestrap.cit", "kestrap.exe", "kestrap.html", "kestrap.ini",
                                     "kestrap.trm"])
        self.assertEqual(self.browser_opened(), [])
        self.assert_close_still_asks()

        # with room made, Save writes everything
        mounts.grow_small_disk(p.folder, 1024 * 1024)
        self.save_and_wait()
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
            self.start_with_ads(old_ads)
            self.assertEqual(p.count(), 9997)
            self.search("sfbay", "bike")
            pids = p.linux_pids()
            info = os.stat(p.path("kestrap.html"))
            before = (info.st_ino, info.st_size)
            started = time.monotonic()
            if plan == "whole":
                self.save_and_wait()
                save_time = time.monotonic() - started
            elif plan == "writing":
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
            # the other files of a Save are whole as well, or not there yet
            if "kestrap.ini" in p.files():
                self.assertIn("startmenu: done", lines_of(p.read("kestrap.ini")))
            for name, text in (("kestrap.cit", "sfbay"), ("kestrap.trm", "bike")):
                if name in p.files():
                    self.assertEqual(p.read(name), text)
            leftovers = [f for f in p.files() if f.endswith(".tmp")]
            outcomes.append(f"{plan}, killed after {killed_after:.3f} s: {outcome} file, "
                            f"temporary files {leftovers}")
        with open(os.path.join(self.logs, "kills.txt"), "w") as log:
            log.write("\n".join(outcomes) + "\n")

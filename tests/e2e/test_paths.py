"""A program folder whose name the ANSI code page cannot write: everything still works."""
import glob
import os
import re

import mounts
from harness import CITIES, IDOK, IDYES, RESULTS_FILE, SAVE, Program, Scenario, lines_of, wait_until


class ForeignFolderTest(Scenario):
    def setUp(self):
        super().setUp()
        name = self.program.name
        self.program = Program(self.work, name, self.kestrap_exe, self.driver_exe, self.prefix,
                               folder_name="\u0141ukasz-" + name)
        for link in self.start_menu_links():
            os.remove(link)

    def start_menu_links(self):
        pattern = os.path.join(self.prefix, "drive_c", "users", "*", "**", "Orvane Kestrap.lnk")
        return glob.glob(pattern, recursive=True)

    def test_start_shortcut_save_and_load_in_a_folder_named_outside_the_code_page(self):
        p = self.program
        p.start_to_window(start_menu_answer=IDYES)
        links = wait_until(self.start_menu_links, 10, "the start-menu shortcut")
        with open(links[0], "rb") as f:
            self.assertIn(p.windows_folder.encode("utf-16-le"), f.read())

        self.search("sfbay", "bike")
        found = [item.removesuffix(" || NEW") for item in p.items()]
        self.assertTrue(found)
        p.type(RESULTS_FILE, "caf\xe9")
        self.save_and_wait()
        wait_until(lambda: "caf\xe9.html" in p.files(), 5, "the results file")
        self.assertEqual(p.files(), ["caf\xe9.cit", "caf\xe9.html", "caf\xe9.trm", "kestrap.exe",
                                     "kestrap.ini"])
        self.assertIn("results: caf\xe9.html", lines_of(p.read("kestrap.ini")))
        self.assertEqual(p.read("caf\xe9.cit"), "sfbay")
        opened = self.browser_opened()
        self.assertEqual(len(opened), 1)
        self.assertIn("ukasz-", opened[0])
        self.assertTrue(opened[0].endswith(".html"), opened)
        p.close()
        self.assertEqual(p.wait_for_exit(), 0)

        # the next start finds its settings, the results file and its lists again
        p.start()
        p.call("window", 30000)
        selected, items = p.combo()
        self.assertEqual(items[selected], "caf\xe9.html")
        self.assertEqual(sorted(p.items()), sorted(found))
        self.assertEqual(p.text(CITIES), "sfbay\r\n")


class FailureReasonTest(Scenario):
    """The settings box says why the file could not be written, in the system's words."""

    def reason_after_save(self, fault):
        p = self.program
        p.start_to_window()
        self.search("sfbay", "bike")
        fault(p)
        p.click(SAVE)
        text, _ = p.box("Settings not saved")
        p.press("Settings not saved", IDOK)
        p.stop_driver()
        return re.search(r"kestrap\.ini \((.+?)\)\.", text).group(1)

    def test_a_locked_file_a_full_disk_and_a_missing_folder_read_differently(self):
        name = self.program.name

        def read_only(p):
            p.write("kestrap.ini", "startmenu: done\r\n")
            os.chmod(p.path("kestrap.ini"), 0o444)

        def gone(p):
            os.rename(p.folder, p.folder + "-gone")
            self.addCleanup(os.rename, p.folder + "-gone", p.folder)

        def full(p):
            pass  # the folder is on a full disk from the start

        reasons = {}
        for fault, make in (("read-only", read_only), ("missing", gone), ("full", full)):
            self.program = Program(self.work, name, self.kestrap_exe, self.driver_exe,
                                   self.prefix, folder_name=f"{name}-{fault}")
            if fault == "full":
                self.addCleanup(mounts.move_to_small_disk(self.program.folder, 0))
            reasons[fault] = self.reason_after_save(make)
        self.assertEqual(len(set(reasons.values())), 3, reasons)

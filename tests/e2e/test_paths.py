"""A program folder whose name the ANSI code page cannot write: everything still works."""
import glob
import os

from harness import CITIES, IDYES, RESULTS_FILE, Program, Scenario, lines_of, wait_until


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

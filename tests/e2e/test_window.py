"""The main window: the close prompt and the layout on resize."""
from feedserver import craigslist
from harness import (CITIES, CITIES_LABEL, IDCANCEL, IDNO, IDOK, IDYES, LOAD, PROGRESS, RESULTS_FILE,
                     RESULTS_FILE_LABEL, RESULTS_LIST, SAVE, SEARCH, STATUS1, STATUS2, STATUS3,
                     TERMS, TERMS_LABEL, DriverError, Scenario, lines_of, wait_until)

BOSTON_BIKE = craigslist("boston.craigslist.org", "sss", "bike")
UNSAVED_QUESTION = "You have unsaved results. Are you sure you want to exit without saving?"

# Geometry in dialog units (x, y, w, h) as built, and with the client area widened by 40
# and heightened by 20.
BUILT = {
    RESULTS_FILE_LABEL: (6, 7, 44, 10),
    LOAD: (140, 5, 35, 15),
    SAVE: (180, 5, 35, 15),
    SEARCH: (255, 5, 55, 15),
    RESULTS_LIST: (5, 25, 305, 65),
    CITIES_LABEL: (5, 95, 70, 10),
    CITIES: (5, 105, 180, 78),
    TERMS_LABEL: (190, 95, 70, 10),
    TERMS: (190, 105, 120, 78),
    STATUS1: (5, 190, 305, 10),
    STATUS2: (5, 200, 305, 10),
    STATUS3: (5, 210, 305, 10),
    PROGRESS: (5, 220, 305, 10),
}
GROWN = {
    RESULTS_FILE_LABEL: (6, 7, 44, 10),
    LOAD: (140, 5, 35, 15),
    SAVE: (180, 5, 35, 15),
    SEARCH: (295, 5, 55, 15),
    RESULTS_LIST: (5, 25, 345, 85),
    CITIES_LABEL: (5, 115, 70, 10),
    CITIES: (5, 125, 180, 78),
    TERMS_LABEL: (190, 115, 70, 10),
    TERMS: (190, 125, 160, 78),
    STATUS1: (5, 210, 305, 10),
    STATUS2: (5, 220, 305, 10),
    STATUS3: (5, 230, 305, 10),
    PROGRESS: (5, 240, 345, 10),
}


class WindowTest(Scenario):
    maxDiff = None

    def test_close_prompt_with_unsaved_results(self):
        p = self.program
        p.start_to_window()
        self.search("sfbay", "bike")
        p.close()
        text, buttons = p.box("Really exit?")
        self.assertEqual(text, UNSAVED_QUESTION)
        self.assertEqual(buttons, [IDYES, IDNO])
        p.press("Really exit?", IDNO)
        self.assertTrue(p.alive())
        # Escape and Enter neither close the window nor ask
        p.command(IDCANCEL)
        p.command(IDOK)
        with self.assertRaises(DriverError):
            p.wait_for_exit(1)
        self.assertEqual(p.boxes(), [])
        self.assertEqual(len(p.items()), 3)
        self.assertEqual(p.files(), ["kestrap.exe"])

        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDYES)
        self.assertEqual(p.wait_for_exit(), 0)
        # the settings are written, the results are not
        self.assertEqual(p.files(), ["kestrap.exe", "kestrap.ini"])

    def test_close_during_a_search_does_not_wait_for_it(self):
        p = self.program
        p.start_to_window()
        self.server.hold(*BOSTON_BIKE)
        p.set_text(CITIES, "sfbay\r\nboston")
        p.set_text(TERMS, "bike")
        p.click(SEARCH)
        wait_until(lambda: p.text(STATUS3) == "Searching in boston for bike (sss)...", 15,
                   "the run to reach boston")

        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDNO)
        self.assertEqual(p.text(SEARCH), "Kill Search")
        self.assertEqual(p.text(STATUS3), "Searching in boston for bike (sss)...")

        # the answer is still held back: the process ends without the search thread
        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDYES)
        self.assertEqual(p.wait_for_exit(10), 0)

    def test_resize_moves_and_grows_controls(self):
        p = self.program
        p.start_to_window()
        unit_x, unit_y = (int(v) for v in p.call("dlu"))

        def to_units(pixels, unit):
            return (pixels * 1024 + unit // 2) // unit

        def to_pixels(units, unit):
            return (units * unit + 512) // 1024

        def assert_geometry(expected_units):
            for control, expected in expected_units.items():
                x, y, w, h = p.rect(control)
                actual = (to_units(x, unit_x), to_units(y, unit_y),
                          to_units(w, unit_x), to_units(h, unit_y))
                if control == RESULTS_LIST:
                    # a list box keeps whole lines, so it may come out up to a line short
                    self.assertLessEqual(expected[3] - actual[3], 10, actual)
                    self.assertLessEqual(actual[3], expected[3] + 1, actual)
                    actual, expected = actual[:3], expected[:3]
                for got, want in zip(actual, expected):
                    self.assertLessEqual(abs(got - want), 1, (control, actual, expected))

        def pixels_of_all():
            return {control: p.rect(control) for control in (*GROWN, RESULTS_FILE)}

        width, height = p.client()
        self.assertEqual((to_units(width, unit_x), to_units(height, unit_y)), (315, 234))
        assert_geometry(BUILT)
        combo = p.rect(RESULTS_FILE)

        grown = (to_pixels(355, unit_x), to_pixels(254, unit_y))
        p.resize(*grown)
        self.assertEqual(p.client(), grown)
        assert_geometry(GROWN)
        # the combo box's height is that of its edit field; where it is and its width count
        self.assertEqual(p.rect(RESULTS_FILE)[:3], combo[:3])

        # every layout starts from the recorded geometry: nothing drifts over resizes
        at_grown = pixels_of_all()
        p.resize(width + 333, height + 177)
        p.resize(*grown)
        self.assertEqual(pixels_of_all(), at_grown)

        # the window cannot be made smaller than at its start
        p.resize(width - 100, height - 80)
        small_width, small_height = p.client()
        self.assertGreaterEqual(small_width, width)
        self.assertGreaterEqual(small_height, height)

        # the size is kept as the client size plus the frame's 5 by 17 units
        p.resize(*grown)
        p.close()
        p.wait_for_exit()
        settings = lines_of(p.read("kestrap.ini"))
        self.assertIn("dialogx: 360", settings)
        self.assertIn("dialogy: 271", settings)

        # the next start restores about that size, lays the controls out for it and still
        # refuses to get smaller than the window as built
        p.start()
        p.call("window", 30000)
        restored_width, restored_height = (to_units(v, u) for v, u in zip(p.client(), (unit_x, unit_y)))
        self.assertLessEqual(abs(restored_width - 355), 8)
        self.assertLessEqual(abs(restored_height - 254), 8)
        _, _, list_width, _ = p.rect(RESULTS_LIST)
        self.assertLessEqual(abs(to_units(list_width, unit_x) - (restored_width - 10)), 1)
        p.resize(width - 100, height - 80)
        self.assertGreaterEqual(p.client(), (width, height))

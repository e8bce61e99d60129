"""The main window: the close prompt and the layout on resize."""
from harness import (CITIES, CITIES_LABEL, IDNO, IDYES, LOAD, PROGRESS, RESULTS_FILE,
                     RESULTS_FILE_LABEL, RESULTS_LIST, SAVE, SEARCH, STATUS1, STATUS2, STATUS3,
                     TERMS, TERMS_LABEL, Scenario, lines_of)

UNSAVED_QUESTION = "You have unsaved results. Are you sure you want to exit without saving?"

# Geometry in dialog units with the client area widened by 40 and heightened by 20.
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
        self.assertEqual(len(p.items()), 3)
        self.assertEqual(p.files(), ["kestrap.exe"])

        p.close()
        p.box("Really exit?")
        p.press("Really exit?", IDYES)
        self.assertEqual(p.wait_for_exit(), 0)
        # the settings are written, the results are not
        self.assertEqual(p.files(), ["kestrap.exe", "kestrap.ini"])

    def test_resize_moves_and_grows_controls(self):
        p = self.program
        p.start_to_window()
        unit_x, unit_y = (int(v) for v in p.call("dlu"))

        def to_units(pixels, unit):
            return (pixels * 1024 + unit // 2) // unit

        def to_pixels(units, unit):
            return (units * unit + 512) // 1024

        def units_of(control):
            x, y, w, h = p.rect(control)
            return (to_units(x, unit_x), to_units(y, unit_y), to_units(w, unit_x), to_units(h, unit_y))

        width, height = p.client()
        self.assertEqual((to_units(width, unit_x), to_units(height, unit_y)), (315, 234))
        initial = {control: p.rect(control) for control in (*GROWN, RESULTS_FILE)}
        x, y, w, _ = initial[RESULTS_FILE]
        self.assertEqual((to_units(x, unit_x), to_units(y, unit_y), to_units(w, unit_x)), (50, 5, 85))

        p.resize(to_pixels(355, unit_x), to_pixels(254, unit_y))
        for control, expected in GROWN.items():
            actual = units_of(control)
            if control == RESULTS_LIST:
                # a list box keeps whole lines, so its height may come out a line short
                self.assertLessEqual(abs(actual[3] - expected[3]), 10, actual)
                actual, expected = actual[:3], expected[:3]
            for got, want in zip(actual, expected):
                self.assertLessEqual(abs(got - want), 1, (control, actual, expected))
        # the combo box's height is that of its edit field; where it is and its width count
        self.assertEqual(p.rect(RESULTS_FILE)[:3], initial[RESULTS_FILE][:3])

        # back to the first size, every control is exactly where it was
        p.resize(width, height)
        self.assertEqual({control: p.rect(control) for control in initial}, initial)

        # the window cannot be made smaller than at its start
        p.resize(width - 100, height - 80)
        small_width, small_height = p.client()
        self.assertGreaterEqual(small_width, width)
        self.assertGreaterEqual(small_height, height)

        p.close()
        p.wait_for_exit()
        settings = lines_of(p.read("kestrap.ini"))
        self.assertIn(f"dialogx: {to_units(small_width, unit_x) + 5}", settings)
        self.assertIn(f"dialogy: {to_units(small_height, unit_y) + 17}", settings)

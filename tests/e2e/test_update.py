"""The update check at every start."""
from feedserver import UPDATE_HOST, UPDATE_PATH
from harness import IDNO, IDYES, RESULTS_LIST, SEARCH, DriverError, Scenario, wait_until

OFFER = ("A new version exists (1.10). Would you like to visit the software's homepage?")


class UpdateTest(Scenario):

    def test_newer_version_is_offered_and_opened(self):
        p = self.program
        self.server.set_update_version("1.10")
        p.start_to_window()
        text, buttons = p.box("Update Available")
        self.assertEqual(text, OFFER)
        self.assertEqual(buttons, [IDYES, IDNO])
        # the box has no owner: the main window stays usable meanwhile
        self.assertTrue(p.enabled(SEARCH))
        p.press("Update Available", IDYES)
        wait_until(self.browser_opened, 15, "the browser to be asked")
        self.assertEqual(self.browser_opened(), [f"http://{UPDATE_HOST}{UPDATE_PATH}"])

    def test_same_version_shows_nothing(self):
        p = self.program
        p.start_to_window()
        self.assertIsNotNone(self.server.wait_for_request(UPDATE_HOST, UPDATE_PATH, 15))
        with self.assertRaises(DriverError):
            p.box("Update Available", timeout=2)
        self.assertEqual(self.browser_opened(), [])

    def test_silent_update_server_does_not_hold_up_the_window(self):
        p = self.program
        gate = self.server.hold(UPDATE_HOST, UPDATE_PATH)
        p.start_to_window()
        self.assertIsNotNone(self.server.wait_for_request(UPDATE_HOST, UPDATE_PATH, 15))
        # the check is still waiting for its answer while a search runs to its end
        status = self.search("sfbay", "bike")
        self.assertEqual(status[1], "Searching in sfbay for bike (sss)... found 3 items, 3 are new.")
        self.assertEqual(len(p.items(RESULTS_LIST)), 3)
        self.assertFalse(gate.is_set())

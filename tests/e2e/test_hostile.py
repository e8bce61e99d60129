"""Hostile answers and a foreign file: a large feed that is not well formed, a body that says
"302 Found" with a Location line, a 302 with another reason phrase, an https feed that
points to plain http, and a page of the user's own typed as the results file."""
import time

from feeds import A, entry
from feedserver import craigslist, http_answer
from harness import IDNO, IDYES, LOAD, RESULTS_FILE, SAVE, STATUS3, Scenario, wait_until

SFBAY_BIKE = craigslist("sfbay.craigslist.org", "sss", "bike")


def rss(items):
    body = "<rss><channel><title>t</title>" + "".join(
        f"<item><title>{title}</title><link>{link}</link>{extra}"
        "<pubDate>Sat, 05 Dec 2026 10:00:00 GMT</pubDate></item>" for title, link, extra in items)
    return body + "</channel></rss>"


def not_well_formed(size):
    """One ad, then empty items up to `size` bytes, then a fault at the very end."""
    body = rss([("bike one", "http://feeds.test/ad/1", "")])[:-len("</channel></rss>")]
    body += "<item/>" * ((size - len(body)) // 7)
    return body + "<item></item><"


NOTES = ("<html><body><h1>My notes</h1>\r\n<ul>\r\n"
         '<li><a href="http://www.example.com/shop">bike shop</a> open till six</li>\r\n'
         "<li>call Tom about the trailer</li>\r\n</ul></body></html>\r\n")


class HostileTest(Scenario):
    maxDiff = None

    def search_one(self, city):
        """Searches one city for "bike"; the status lines from "Searching in" on."""
        status = self.search(city, "bike")
        searching = f"Searching in {city} for bike (sss)..."
        return status[next(n for n, line in enumerate(status) if line.startswith(searching)):]

    def test_hostile_answers_are_bounded_and_never_steer_the_fetch(self):
        s = self.server
        s.serve_answer("feeds.test", "/broken.xml",
                       http_answer(not_well_formed(2 << 20).encode("ascii")))
        s.serve_answer("feeds.test", "/says-moved.xml", http_answer(rss([(
            "bike two", "/ad/2",
            "<description>Sold: 302 Found in garage\r\nLocation: http://feeds.test/evil\r\n"
            "</description>")]).encode("ascii")))
        s.serve_answer("feeds.test", "/evil", http_answer(rss([("bike evil", "/ad/x", "")]).encode("ascii")))
        s.serve_answer("feeds.test", "/moved.xml",
                       b"HTTP/1.1 302 Moved Temporarily\r\nLocation: /feeds/real.xml\r\n\r\n")
        s.serve_answer("feeds.test", "/feeds/real.xml",
                       http_answer(rss([("bike three", "ad/3", "")]).encode("ascii")))
        s.serve_answer("secure.test", "/feed.xml",
                       b"HTTP/1.1 301 Moved Permanently\r\nLocation: http://feeds.test/plain.xml\r\n\r\n",
                       scheme="https")
        s.serve_answer("feeds.test", "/plain.xml", http_answer(rss([("bike four", "/ad/4", "")]).encode("ascii")))
        self.start_with({})

        city = "http://feeds.test/says-moved.xml"
        self.assertEqual(self.search_one(city),
                         [f"Searching in {city} for bike (sss)... found 1 items, 1 are new.", "Search Complete"])
        city = "http://feeds.test/moved.xml"
        self.assertEqual(self.search_one(city),
                         [f"Searching in {city} for bike (sss)... found 1 items, 1 are new.", "Search Complete"])
        city = "https://secure.test/feed.xml"
        self.assertEqual(self.search_one(city), [f"Searching in {city} for bike (sss)...",
                                                 "HTTP Error -- retrying... no matches.", "Search Complete"])

        started = time.monotonic()
        city = "http://feeds.test/broken.xml"
        self.assertEqual(self.search_one(city),
                         [f"Searching in {city} for bike (sss)... found 1 items, 1 are new.", "Search Complete"])
        self.assertLess(time.monotonic() - started, 20)

        self.assertEqual(sorted(self.program.items()), [
            "2026-12-05 || bike one || http://feeds.test/ad/1 || NEW",
            "2026-12-05 || bike three || http://feeds.test/feeds/ad/3 || NEW",
            "2026-12-05 || bike two || http://feeds.test/ad/2 || NEW"])
        paths = [r.path for r in self.feed_requests()]
        self.assertNotIn("/evil", paths)
        self.assertNotIn("/plain.xml", paths)

    def test_a_foreign_page_is_not_replaced_unasked(self):
        p = self.program
        self.server.serve_fixture(*SFBAY_BIKE, "sfbay-bike.xml")
        self.start_with({"notes.html": NOTES})
        p.type(RESULTS_FILE, "notes.html")
        p.click(LOAD)
        wait_until(lambda: "not a Kestrap results file" in p.text(STATUS3), 10, "the load")
        self.search("sfbay", "bike")
        self.assertIn(entry(A), p.items())

        p.click(SAVE)
        text, buttons = p.box("Replace results file?")
        self.assertIn("notes.html", text)
        self.assertEqual(buttons, [IDYES, IDNO])
        p.press("Replace results file?", IDNO)
        self.assertEqual(p.read("notes.html"), NOTES)
        self.assertEqual(self.browser_opened(), [])

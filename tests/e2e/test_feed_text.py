"""Feed text is data: hostile and UTF-8 feeds searched, saved, read back, and the saved file
rendered in headless Chromium as a reader's browser would show it."""
import html.parser
import os
import shutil
import subprocess
import tempfile

from feedserver import craigslist, http_answer, kijiji
from harness import IDOK, SAVE, Scenario, lines_of, wait_until

LINK_BOX = "Link not opened"
LINK_REFUSED = "The link of this entry is not a web address and was not opened."

# (title, link, date) as the hostile feed sends them
HOSTILE = [
    ("<img src=x onerror=alert(1)>Bike", "http://sfbay.craigslist.org/bik/1.html", "2026-12-05"),
    ("<script>document.title='owned';alert(2)</script>Script",
     'http://x.test/a" onmouseover="alert(1)', "2026-12-05"),
    ("Lamp &#x0024;5", "javascript:alert(1)", "<b>2026-12-05"),
    ("Calc", "C:\\Windows\\System32\\calc.exe", "2026-12-04"),
    ("Share", "\\\\host\\share\\x.exe", "2026-12-04"),
    ("Dots", "http\\..\\..\\windows\\system32\\calc.exe", "2026-12-04"),
    ("Wrapped", "\n    http://sfbay.craigslist.org/bik/7.html\n  ", "2026-12-03"),
]
UTF8 = [
    ("V\u00e9lo \u2013 tr\u00e8s bon \u00e9tat", "http://toronto.kijiji.ca/v-v\u00e9lo/1"),
    ("\u0141\u00f3d\u017a desk \u20ac40 or &#x0024;35", "http://toronto.kijiji.ca/v-desk/2"),
]
# the feeds' own attack on the page: none of it may appear as markup
OWN_TAGS = {"html", "head", "body", "h3", "ul", "li", "a", "b", "script"}


def hostile_feed():
    items = "".join(f"<item><title><![CDATA[{title}]]></title><link>{link}</link>"
                    f"<dc:date>{date}T10:00:00-08:00</dc:date></item>\n"
                    for title, link, date in HOSTILE)
    body = f"<rdf:RDF><channel><title>feed</title></channel>\n{items}</rdf:RDF>\n"
    return http_answer(body.encode("latin-1"))


def utf8_feed():
    items = "".join(f"<item><title>{title}</title><link>{link}</link>"
                    f"<pubDate>Sat, 05 Dec 2026 09:00:00 EST</pubDate></item>\n"
                    for title, link in UTF8)
    body = ('<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0"><channel>'
            f"<title>Kijiji</title><image><title>Kijiji</title></image>\n{items}</channel></rss>\n")
    return http_answer(body.encode("utf-8"))


class PageParts(html.parser.HTMLParser):
    """The elements, attributes and hrefs of a page, and its text."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags, self.attributes, self.hrefs, self.text = [], [], [], []

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        for name, value in attrs:
            self.attributes.append((tag, name))
            if tag == "a" and name == "href":
                self.hrefs.append(value)

    def handle_data(self, data):
        self.text.append(data)


def inert_or_web(href):
    """An href that goes nowhere (a place in the page) or to a web host."""
    if href.startswith("#"):
        return True
    scheme, _, rest = href.partition("://")
    return scheme.lower() in ("http", "https") and rest.split("/")[0] != ""


class FeedTextTest(Scenario):
    maxDiff = None

    def chromium(self, page, *options):
        profile = tempfile.mkdtemp(prefix="kestrap-chromium-")
        try:
            return subprocess.run(
                ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", f"--user-data-dir={profile}", *options, "file://" + page],
                capture_output=True, timeout=120, check=True).stdout
        finally:
            shutil.rmtree(profile, ignore_errors=True)

    def test_hostile_and_utf8_feeds_are_shown_saved_and_rendered_as_text(self):
        p = self.program
        self.server.serve_answer(*craigslist("sfbay.craigslist.org", "sss", "bike"), hostile_feed())
        self.server.serve_answer(*kijiji("toronto.kijiji.ca", "bike"), utf8_feed())
        p.start_to_window()
        self.search("sfbay\r\ntoronto.kijiji.ca", "bike")
        shown = p.items()
        self.assertEqual(len(shown), len(HOSTILE) + len(UTF8))
        # the list box shows ANSI text: no UTF-8 bytes, "Ł" as a character reference
        self.assertIn("2026-12-05 || V\xe9lo \x96 tr\xe8s bon \xe9tat || "
                      "http://toronto.kijiji.ca/v-v%C3%A9lo/1 || NEW", shown)
        self.assertIn("2026-12-05 || &#321;\xf3d&#378; desk \x8040 or &#x0024;35 || "
                      "http://toronto.kijiji.ca/v-desk/2 || NEW", shown)
        self.assertIn("2026-12-05 || &lt;img src=x onerror=alert(1)&gt;Bike || "
                      "http://sfbay.craigslist.org/bik/1.html || NEW", shown)
        self.assertIn("_b_2026-12 || Lamp &#x0024;5 || javascript:alert(1) || NEW", shown)

        # a double-click opens web addresses only
        for index, line in enumerate(shown):
            if "|| javascript:" in line or "|| http\\..\\" in line:
                p.double_click(index)
                text, buttons = p.box(LINK_BOX)
                self.assertEqual((text, buttons), (LINK_REFUSED, [IDOK]))
                p.press(LINK_BOX, IDOK)
        self.assertEqual(self.browser_opened(), [])

        before = len(self.browser_opened())
        p.click(SAVE)
        wait_until(lambda: len(self.browser_opened()) > before, 15, "the browser to be asked")
        saved = p.read("kestrap.html")
        for line in lines_of(saved):
            self.assertNotIn("<img", line)
            self.assertNotIn("<script", line)
            self.assertNotIn("onmouseover=\"", line)
        self.render(saved)

        # read back at the next start, every ad is known: nothing is new again
        p.close()
        p.wait_for_exit()
        p.start()
        p.call("window", 30000)
        self.assertEqual(sorted(p.items()), sorted(line[:-len(" || NEW")] for line in shown))
        status = self.search("sfbay\r\ntoronto.kijiji.ca", "bike")
        self.assertEqual(status[:2], [
            f"Searching in sfbay for bike (sss)... found {len(HOSTILE)} items, 0 are new.",
            f"Searching in toronto.kijiji.ca for bike (sss)... found {len(UTF8)} items, "
            "0 are new."])

    def render(self, saved):
        """Renders a copy of the saved file, with alert() made harmless, and checks what a
        reader sees."""
        page = os.path.join(self.work, "feed-text.html")
        with open(page, "wb") as f:
            f.write(b"<script>window.alert = function () {};</script>\r\n")
            f.write(saved.encode("latin-1"))
        dom = self.chromium(page, "--dump-dom").decode("utf-8")
        self.chromium(page, "--window-size=900,700",
                      "--screenshot=" + os.path.join(self.work, "feed-text.png"))
        with open(os.path.join(self.logs, "dom.html"), "w", encoding="utf-8") as f:
            f.write(dom)

        parts = PageParts()
        parts.feed(dom)
        text = "".join(parts.text)
        self.assertLessEqual(set(parts.tags), OWN_TAGS, dom)
        self.assertEqual(parts.tags.count("script"), 1)  # our alert stub only
        self.assertNotIn("title", parts.tags)  # nothing set a document title
        self.assertEqual(set(parts.attributes), {("a", "href")})
        self.assertEqual(len(parts.hrefs), len(HOSTILE) + len(UTF8))
        for href in parts.hrefs:
            self.assertTrue(inert_or_web(href), href)
        for seen in ("V\u00e9lo \u2013 tr\u00e8s bon \u00e9tat",
                     "\u0141\u00f3d\u017a desk \u20ac40 or $35",
                     "<img src=x onerror=alert(1)>Bike", "Lamp $5",
                     "<script>document.title='owned';alert(2)</script>Script"):
            self.assertIn(seen, text)

"""A page's address as a city line: the program finds the page's Atom feed, reads its titles
typed as HTML as a feed reader shows them, and saves them as text."""
import os

import test_feed_text
from feedserver import http_answer
from harness import Scenario

PAGE_ADDRESS = "https://feeds.test/shop/bikes.html"

PAGE = """<!DOCTYPE html>
<html><head><title>Bikes for sale</title>
<!-- <link rel="alternate" type="application/rss+xml" href="/old.rss"> -->
<link rel="stylesheet" href="/site.css">
<link rel="alternate" type="application/atom+xml" title="Bikes" href="../feeds/bikes.atom">
<link rel="alternate" type="application/rss+xml" href="/feeds/bikes.rss">
</head><body><h1>Bikes</h1><ul><li><a href="/ads/1">Tom &amp; Jerry</a></li></ul></body></html>
"""

# titles typed as html; links relative to the feed, not to the page
ATOM = """<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom">
<title>Bikes</title>
<entry><title type="html">Tom &amp;amp; Jerry tandem bike</title>
<link rel="alternate" type="text/html" href="../ads/1"/><updated>2026-12-05T10:00:00Z</updated></entry>
<entry><title type="html">&lt;b&gt;Bike&lt;/b&gt; trailer &amp;lt;3</title>
<link href="/ads/2"/><updated>2026-12-04T10:00:00Z</updated></entry>
<entry><title type="html">&lt;img src=x onerror=alert(1)&gt;Kid&amp;#39;s
   bike</title><link href="ads/3"/><updated>2026-12-03T10:00:00Z</updated></entry>
</feed>
"""

SHOWN = [
    "2026-12-03 || Kid's bike || https://feeds.test/feeds/ads/3 || NEW",
    "2026-12-04 || Bike trailer &lt;3 || https://feeds.test/ads/2 || NEW",
    "2026-12-05 || Tom &amp; Jerry tandem bike || https://feeds.test/ads/1 || NEW",
]
# what a reader of the feed sees
READ = ["Tom & Jerry tandem bike", "Bike trailer <3", "Kid's bike"]


class FeedDiscoveryTest(Scenario):

    def test_a_page_address_is_read_through_its_atom_feed(self):
        self.server.serve_answer("feeds.test", "/shop/bikes.html",
                                 http_answer(PAGE.encode("utf-8"), content_type="text/html"),
                                 scheme="https")
        self.server.serve_answer("feeds.test", "/feeds/bikes.atom", http_answer(ATOM.encode("utf-8")),
                                 scheme="https")
        self.start_with({})
        status = self.search(PAGE_ADDRESS, "bike\r\ntrailer")
        self.assertEqual(status, [
            f"Searching in {PAGE_ADDRESS} for bike (sss)... found 3 items, 3 are new.",
            f"Searching in {PAGE_ADDRESS} for trailer (sss)... found 1 items, 0 are new.",
            "Search Complete"])
        self.assertEqual(sorted(self.program.items()), SHOWN)
        # the page and its feed, once each for both term lines
        self.assertEqual([(r.scheme, r.host, r.path) for r in self.feed_requests()], [
            ("https", "feeds.test", "/shop/bikes.html"), ("https", "feeds.test", "/feeds/bikes.atom")])
        self.screenshot("feed-discovery.png")

        self.save_and_wait()
        saved = self.program.read("kestrap.html")
        self.assertNotIn("<b>Bike", saved)
        self.assertNotIn("<img", saved)
        self.assertNotIn("&amp;amp;", saved)

        page = os.path.join(self.work, "feed-discovery.html")
        with open(page, "wb") as f:
            f.write(saved.encode("latin-1"))
        dom = test_feed_text.FeedTextTest.chromium(self, page, "--dump-dom").decode("utf-8")
        with open(os.path.join(self.logs, "dom.html"), "w", encoding="utf-8") as f:
            f.write(dom)
        parts = test_feed_text.PageParts()
        parts.feed(dom)
        self.assertLessEqual(set(parts.tags), test_feed_text.OWN_TAGS - {"script"}, dom)
        self.assertNotIn("img", parts.tags)
        text = "".join(parts.text)
        for title in READ:
            self.assertIn(title, text)
        self.assertEqual(sorted(parts.hrefs), ["https://feeds.test/ads/1", "https://feeds.test/ads/2",
                                               "https://feeds.test/feeds/ads/3"])

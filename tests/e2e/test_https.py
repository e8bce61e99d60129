"""Moved feeds and https: 301 to https, redirect chains across schemes, certificates that do
not validate, and feed addresses (RSS 2.0 with {term}, Atom filtered by the term lines)."""
from feeds import A, B, C, entry
from feedserver import craigslist, http_answer, read_fixture
from harness import Scenario, raw_request

SFBAY_BIKE = craigslist("sfbay.craigslist.org", "sss", "bike")


def moved(status, location):
    # the server closes after every answer and says so; an HTTP/1.1 answer that does not is
    # kept open by WinHTTP, which sends the redirect's request to the same host down it
    return (f"HTTP/1.1 {status}\r\nLocation: {location}\r\nContent-Length: 0\r\n"
            "Connection: close\r\n\r\n").encode("ascii")


RSS2 = """<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:atom="http://www.w3.org/2005/Atom">
<channel><title>Generated feed</title><link>https://feeds.test/</link>
<atom:link href="https://feeds.test/rss" rel="self"/>
<item><title><![CDATA[Red bike & basket]]></title><link>/ad/101</link>
<pubDate>Sat, 05 Dec 2026 21:00:00 -0800</pubDate></item>
<item><title>Blue bike</title><link>https://feeds.test/ad/102</link>
<pubDate>Fri, 4 Dec 2026 08:00:00 GMT</pubDate></item>
</channel></rss>
"""

ATOM = """<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom">
<title>Everything</title>
<entry><title>Red bike</title><link rel="alternate" href="https://feeds.test/e/1"/>
<updated>2026-12-05T10:00:00Z</updated></entry>
<entry><title>Oak desk, broken leg</title><link href="/e/2"/>
<published>2026-12-04T10:00:00Z</published></entry>
<entry><title>Oak desk</title><link href="/e/3"/><updated>2026-12-03T10:00:00Z</updated></entry>
<entry><title>Desk lamp</title><link href="/e/4"/><updated>2026-12-02T10:00:00Z</updated></entry>
</feed>
"""


class HttpsTest(Scenario):

    def https_requests(self):
        return [(r.host, r.path) for r in self.feed_requests() if r.scheme == "https"]

    def test_classic_city_moved_to_https(self):
        self.server.serve_answer(*SFBAY_BIKE, moved("301 Moved Permanently",
                                                   "https://sfbay.craigslist.org" + SFBAY_BIKE[1]),
                                 scheme="http")
        self.server.serve_answer(*SFBAY_BIKE, http_answer(read_fixture("sfbay-bike.xml")),
                                 scheme="https")
        self.start_with({})
        status = self.search("sfbay", "bike")
        self.assertEqual(status[1:], ["Searching in sfbay for bike (sss)... found 3 items, 3 are new.",
                                      "Search Complete"])
        self.assertEqual(self.program.items(), [entry(C), entry(B), entry(A)])
        requests = self.feed_requests()
        self.assertEqual(requests[0].raw, raw_request(*SFBAY_BIKE))
        self.assertEqual(self.https_requests(), [SFBAY_BIKE])
        self.assertIn(b"User-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)\r\n",
                      requests[1].raw)

    def test_certificate_from_an_unknown_authority_fails_the_fetch(self):
        self.server.serve_answer(*SFBAY_BIKE, moved("301 Moved Permanently", "https://rogue.test/feed"),
                                 scheme="http")
        self.server.serve_answer("rogue.test", "/feed", http_answer(read_fixture("sfbay-bike.xml")))
        self.start_with({})
        status = self.search("sfbay", "bike")
        self.assertEqual(status[1:], ["HTTP Error -- retrying... no matches.", "Search Complete"])
        self.assertEqual(self.program.count(), 0)
        # the program refused the certificate both times: not a byte of a request went over it
        plain = [r.raw for r in self.feed_requests() if r.scheme == "http"]
        self.assertEqual(plain, [raw_request(*SFBAY_BIKE)] * 2)
        self.assertEqual([r.raw for r in self.feed_requests() if r.scheme == "https" and r.raw], [])

    def test_redirect_chain_from_http_to_https(self):
        # from https on, the chain stays on https: a step back to plain http is refused
        # (test_hostile)
        self.server.serve_answer(*SFBAY_BIKE, moved("302 Found", "https://secure.test/one"),
                                 scheme="http")
        self.server.serve_answer("secure.test", "/one", moved("307 Temporary Redirect",
                                                            "https://feeds.test/two?x=1"))
        self.server.serve_answer("feeds.test", "/two?x=1", moved("308 Permanent Redirect",
                                                                 "https://feeds.test/three"),
                                 scheme="https")
        self.server.serve_answer("feeds.test", "/three", moved("303 See Other", "four.xml"),
                                 scheme="https")
        self.server.serve_answer("feeds.test", "/four.xml", http_answer(read_fixture("sfbay-bike.xml")),
                                 scheme="https")
        self.start_with({})
        status = self.search("sfbay", "bike")
        self.assertEqual(status[1], "Searching in sfbay for bike (sss)... found 3 items, 3 are new.")
        self.assertEqual([(r.scheme, r.host, r.path) for r in self.feed_requests()], [
            ("http", *SFBAY_BIKE), ("https", "secure.test", "/one"), ("https", "feeds.test", "/two?x=1"),
            ("https", "feeds.test", "/three"), ("https", "feeds.test", "/four.xml")])

    def test_https_feed_address_with_the_term(self):
        self.server.serve_answer("feeds.test", "/rss?q=red+bike", http_answer(RSS2.encode("utf-8")),
                                 scheme="https")
        self.start_with({})
        city = "https://feeds.test/rss?q={term}"
        status = self.search(city, "red bike")
        self.assertEqual(status[1], f"Searching in {city} for red bike (sss)... found 2 items, 2 are new.")
        self.assertEqual(self.program.items(), [
            "2026-12-04 || Blue bike || https://feeds.test/ad/102 || NEW",
            "2026-12-05 || Red bike &amp; basket || https://feeds.test/ad/101 || NEW"])
        self.assertEqual(self.https_requests(), [("feeds.test", "/rss?q=red+bike")])

    def test_atom_feed_without_term_is_fetched_once_and_filtered_per_term_line(self):
        self.server.serve_answer("feeds.test", "/all.atom", http_answer(ATOM.encode("utf-8")),
                                 scheme="https")
        self.start_with({})
        city = "https://feeds.test/all.atom"
        status = self.search(city, 'bike\r\n"oak desk" -broken\r\ncta,lamp')
        self.assertEqual(status, [
            f'Searching in {city} for "oak desk" -broken (sss)... found 1 items, 1 are new.',
            f"Searching in {city} for lamp (cta)... found 1 items, 1 are new.",
            "Search Complete"])
        self.assertEqual(self.program.items(), [
            "2026-12-02 || Desk lamp || https://feeds.test/e/4 || NEW",
            "2026-12-03 || Oak desk || https://feeds.test/e/3 || NEW",
            "2026-12-05 || Red bike || https://feeds.test/e/1 || NEW"])
        self.assertEqual(self.https_requests(), [("feeds.test", "/all.atom")])

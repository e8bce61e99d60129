"""The advertisements in the fixture feeds, as the program must store them, and made-up
ones in bulk with the feeds and results files that hold them."""
from collections import namedtuple

from feedserver import http_answer

Ad = namedtuple("Ad", "date title link")

# sfbay-bike.xml, in feed order
A = Ad("2026-12-05", "Red road bike, like new - $250", "http://sfbay.craigslist.org/sfc/bik/5000000001.html")
B = Ad("2026-12-06", "Caf\xe9 racer frame", "http://sfbay.craigslist.org/eby/bik/5000000002.html")
C = Ad("2026-12-04", "Tandem &amp; trailer", "http://sfbay.craigslist.org/pen/bik/5000000003.html")
# sfbay-truck.xml: D, then A again
D = Ad("2026-12-06", "Red truck 1989", "http://sfbay.craigslist.org/sfc/cto/5000000004.html")
# boston-bike.xml (boston-truck.xml has no items)
E = Ad("2026-12-03", "Boston commuter bike", "http://boston.craigslist.org/gbs/bik/6000000001.html")
F = Ad("2026-12-01", "Fixie, single speed", "http://boston.craigslist.org/bmw/bik/6000000002.html")
# toronto-bike.xml and toronto-desk.xml (Kijiji dates)
G = Ad("2026-12-05", "Mountain bike", "http://toronto.kijiji.ca/c-buy-and-sell-bikes-W0QQAdIdZ700000001")
H = Ad("2026-12-03", "Kids bike", "http://toronto.kijiji.ca/c-buy-and-sell-bikes-W0QQAdIdZ700000002")
I = Ad("2026-11-30", "Oak desk", "http://toronto.kijiji.ca/c-buy-and-sell-desks-W0QQAdIdZ700000003")
# sfbay-bike-later.xml: J, then A and B again
J = Ad("2026-12-07", "Folding bike", "http://sfbay.craigslist.org/sfc/bik/5000000005.html")


def entry(ad, new=True):
    """The results-list line of an advertisement."""
    text = f"{ad.date} || {ad.title} || {ad.link}"
    return text + " || NEW" if new else text


def item_line(ad, new=True):
    """The results file's line of an advertisement."""
    return f'<li>{ad.date} <a href="{ad.link}">{ad.title}</a>{" <b>NEW</b>" if new else ""}</li>'


def many_ads(count, first=1, title_length=0):
    """Distinct advertisements of November 2026, each with a link of its own."""
    padding = " " + "x" * title_length if title_length else ""
    return [Ad(f"2026-11-{1 + n % 28:02d}", f"Bike {n}{padding}",
               f"http://sfbay.craigslist.org/bik/{n}.html") for n in range(first, first + count)]


def results_file(ads):
    return "\r\n".join(["<h3>Kestrap build for 12-01-2026 at 10:00:00</h3>", "<ul>"] +
                       [item_line(ad, False) for ad in ads] + ["</ul>", ""])


def feed_answer(ads):
    items = "".join(f"<item><title>{ad.title}</title><link>{ad.link}</link>"
                    f"<dc:date>{ad.date}T10:00:00-08:00</dc:date></item>\n" for ad in ads)
    body = f"<rdf:RDF><channel><title>feed</title></channel>\n{items}</rdf:RDF>\n"
    return http_answer(body.encode("latin-1"))

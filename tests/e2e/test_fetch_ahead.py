"""Slow sites: a search fetches ahead, one request per host at a time, and shows exactly what
a search one fetch at a time shows."""
import time

from feeds import Ad, entry, feed_answer
from feedserver import craigslist
from harness import CITIES, SEARCH, STATUS3, TERMS, Scenario, wait_until

HOSTS = 12
TERMS_TEXT = ["lamp", "chair", "sofa"]
DELAY = 0.6


def ads_of(host, term):
    return [Ad(f"2026-12-0{1 + (host + n) % 7}", f"{term.title()} {n} from slow{host}",
               f"http://slow{host}.craigslist.org/fur/{term}-{n}.html") for n in range(1, 3)]


class FetchAheadTest(Scenario):

    def test_twelve_slow_hosts_by_three_terms(self):
        expected_status = ["About to search 12 cities for 3 terms."]
        expected_items = []
        for host in range(1, HOSTS + 1):
            for term in TERMS_TEXT:
                ads = ads_of(host, term)
                self.server.serve_answer(*craigslist(f"slow{host}.craigslist.org", "sss", term),
                                         feed_answer(ads))
                expected_status.append(f"Searching in slow{host} for {term} (sss)... "
                                       f"found {len(ads)} items, {len(ads)} are new.")
                # each new item goes on top of the list
                expected_items[:0] = [entry(ad) for ad in reversed(ads)]
        expected_status.append("Search Complete")
        self.server.delay_answers(DELAY)
        # every host's first answer is held back until eight fetches are under way at once
        gates = [self.server.hold(*craigslist(f"slow{h}.craigslist.org", "sss", TERMS_TEXT[0]))
                 for h in range(1, HOSTS + 1)]
        self.start_with({})
        p = self.program
        p.set_text(CITIES, "".join(f"slow{h}\r\n" for h in range(1, HOSTS + 1)))
        p.set_text(TERMS, "\r\n".join(TERMS_TEXT))

        started = time.monotonic()
        p.click(SEARCH)
        wait_until(lambda: len(self.feed_requests()) >= 8, 30, "eight fetches under way at once")
        for gate in gates:
            gate.set()
        seen = []
        # every status line of the run seen while it lasts, in the order seen
        while time.monotonic() - started < 60:
            lines = p.status()
            if expected_status[0] in lines:
                for line in lines[lines.index(expected_status[0]):]:
                    if line not in seen:
                        seen.append(line)
            if p.text(STATUS3) == "Search Complete":
                break
            time.sleep(0.05)
        took = time.monotonic() - started
        wait_until(lambda: p.text(STATUS3) == "Search Complete", 30, "the end of the search")
        self.assert_idle()

        one_at_a_time = HOSTS * len(TERMS_TEXT) * DELAY
        # a figure only: on a busy machine the time says more about the machine
        print(f"\n12 hosts x 3 terms, answers after {DELAY} s: {took:.1f} s, "
              f"one fetch at a time takes at least {one_at_a_time:.1f} s "
              f"({one_at_a_time / took:.1f}x)")
        # the lines shown are those of the run one fetch at a time, in its order; a pair's
        # line may be seen before its answer was merged
        begun = {line[:line.index("...") + 3] for line in expected_status if "..." in line}
        for line in seen:
            self.assertTrue(line in expected_status or line in begun, line)
        shown = [line for line in seen if line in expected_status]
        self.assertEqual(shown, [line for line in expected_status if line in shown])
        self.assertEqual(p.status()[1:], expected_status[-2:])
        self.assertEqual(p.items(), expected_items)

        # polite: one request per host at a time, each host's in the run's order
        requests = self.feed_requests()
        self.assertEqual(len(requests), HOSTS * len(TERMS_TEXT))
        for host in range(1, HOSTS + 1):
            mine = [r for r in requests if r.host == f"slow{host}.craigslist.org"]
            self.assertEqual([r.path for r in mine],
                             [craigslist("x", "sss", term)[1] for term in TERMS_TEXT])
            for earlier, later in zip(mine, mine[1:]):
                self.assertGreaterEqual(later.start, earlier.end)
        # eight at once, never more
        moments = sorted([(r.start, 1) for r in requests] + [(r.end, -1) for r in requests],
                         key=lambda m: (m[0], m[1]))
        at_once, most = 0, 0
        for _, step in moments:
            at_once += step
            most = max(most, at_once)
        self.assertEqual(most, 8)

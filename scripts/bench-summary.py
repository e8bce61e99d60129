#!/usr/bin/env python3
"""Prints the benchmark summary: each measured path against its baseline from the same run."""
import json
import sys

# (benchmark, baseline, time used, target ratio, how the ratio reads)
# "slower": benchmark time / baseline time, met when at most the target;
# "faster": baseline time / benchmark time, met when at least the target.
ROWS = [
    ("BM_ScanFeed", "BM_BaselineMemmem", "cpu", 3.0, "slower"),
    ("BM_ScanFeed", "BM_BaselineMemchr", "cpu", 2.0, "slower"),
    ("BM_ReadAtomFeed", "BM_BaselinePugixmlParse", "cpu", 2.0, "slower"),
    ("BM_ReadFeedWithFault", "BM_BaselineReadWellFormedFeed", "cpu", 2.0, "slower"),
    ("FindResultByLinkIndexed/10000", "FindResultByLinkScanBaseline/10000", "cpu", 100.0, "faster"),
    ("BM_SortResultsNewestFirst", "BM_BaselineStdSort", "cpu", None, "slower"),
    ("BM_SaveResultsFile", "BM_BaselineWriteSynced", "real", 3.0, "slower"),
    ("BM_LoadResultsFile", "BM_BaselineReadAndCountLines", "cpu", 3.0, "slower"),
    ("BM_SearchRun/real_time", "BM_BaselineBareFetchLoop/real_time", "real", 1.1, "slower"),
    ("BM_SlowSearch/fetches:8/MiB:16/iterations:1/real_time",
     "BM_SlowSearch/fetches:1/MiB:16/iterations:1/real_time", "real", 6.0, "faster"),
]


def load(path):
    with open(path) as f:
        data = json.load(f)
    times = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        times[name] = {"cpu": b["cpu_time"], "real": b["real_time"], "unit": b["time_unit"],
                       "pairs": b.get("pairs_per_second")}
    return times


def ms(entry, kind):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry["unit"]]
    return entry[kind] * scale


def main():
    times = load(sys.argv[1])
    print()
    print(f"{'benchmark':<32} {'baseline':<44} {'time':>10} {'base':>10} {'ratio':>9}  target")
    for name, base, kind, target, sense in ROWS:
        if name not in times or base not in times:
            continue
        t, b = ms(times[name], kind), ms(times[base], kind)
        if sense == "slower":
            ratio, text = t / b, f"{t / b:.2f}x"
            verdict = "" if target is None else ("met" if ratio <= target else "MISSED") + f" (<= {target}x)"
        else:
            ratio, text = b / t, f"{b / t:.0f}x faster" if b / t >= 100 else f"{b / t:.2f}x faster"
            verdict = ("met" if ratio >= target else "MISSED") + f" (>= {target:.0f}x faster)"
        if len(name) > 32 or len(base) > 44:  # long names get lines of their own
            print(f"{name}\n  vs {base}")
            name, base = "", ""
        print(f"{name:<32} {base:<44} {t:>8.3f}ms {b:>8.3f}ms {text:>9}  {verdict or 'no target'} [{kind}]")
    run = times.get("BM_SearchRun/real_time")
    if run and run["pairs"]:
        print(f"\nsearch run: {run['pairs']:.0f} pairs per second")


if __name__ == "__main__":
    main()

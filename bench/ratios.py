"""Prints the benchmark ratios from bench_kestrin's JSON output and the
peak memory from two `/usr/bin/time -f '%M %e'` files.

    python3 ratios.py bench.json time-1000.txt time-1000000.txt
"""

import json
import sys

BATCH_ROWS = 100000


def fastest(results, name):
    """CPU time in ns of the least disturbed repetition."""
    for r in results["benchmarks"]:
        if r["name"] in (name + "_min", name + "/min_time:2.000_min"):
            scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[r["time_unit"]]
            return r["cpu_time"] * scale
    raise SystemExit("no result for " + name)


def main(bench_json, time_small, time_large):
    with open(bench_json) as f:
        results = json.load(f)
    lines = []
    for what in ("Defaults", "Mix"):
        search = fastest(results, "CalcDistance" + what)
        floor = fastest(results, "EmissionAtFloor" + what)
        lines.append(("search / EmissionAt floor, %s" % what.lower(), search / floor, 1.15,
                      "%.0f ns / %.0f ns" % (search, floor)))
    row = fastest(results, "Batch100k") / BATCH_ROWS
    bare = fastest(results, "CalcDistanceRows")
    lines.append(("batch row / bare CalcDistance", row / bare, 1.5, "%.0f ns / %.0f ns" % (row, bare)))
    print()
    for label, ratio, target, detail in lines:
        verdict = "ok" if ratio <= target else "ABOVE TARGET"
        print("%-36s %5.2f  (target <= %.2f, %s)  %s" % (label, ratio, target, verdict, detail))

    small_kb, small_s = open(time_small).read().split()[-2:]
    large_kb, large_s = open(time_large).read().split()[-2:]
    ratio = int(large_kb) / int(small_kb)
    verdict = "ok" if ratio <= 1.05 else "ABOVE TARGET"
    print("%-36s %5.2f  (target: no more, %s)  %s KiB / %s KiB" % (
        "peak RSS, 1,000,000 / 1,000 rows", ratio, verdict, large_kb, small_kb))
    seconds = float(large_s)
    print("%-36s %.2f s, %.1f us per row end to end" % (
        "kestrin-cli batch, 1,000,000 rows", seconds, seconds * 1e6 / 1000000))


if __name__ == "__main__":
    main(*sys.argv[1:])

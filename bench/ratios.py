"""Prints the figures that matter from bench_kestrin's JSON output and the
batch tool's peak memory from two `/usr/bin/time -f '%M %e'` files.

    python3 ratios.py bench.json time-1000.txt time-1000000.txt
"""

import json
import sys


def aggregate(results, name, statistic):
    for r in results["benchmarks"]:
        if r["run_name"].split("/")[0] == name and r.get("aggregate_name") == statistic:
            return r
    raise SystemExit("no %s result for %s" % (statistic, name))


def cpu_ns(results, name):
    r = aggregate(results, name, "min")
    return r["cpu_time"] * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[r["time_unit"]]


def line(label, value, target, detail):
    verdict = "ok" if value <= target else "ABOVE TARGET"
    print("%-40s %5.2f  (target <= %.2f, %s)  %s" % (label, value, target, verdict, detail))


def main(bench_json, time_small, time_large):
    with open(bench_json) as f:
        results = json.load(f)
    print()
    for what in ("Defaults", "Mix"):
        ratio = aggregate(results, "SearchOverFloor" + what, "median")["ratio"]
        line("CalcDistance / bare EmissionAt, " + what.lower(), ratio, 1.15,
             "alone: %.0f ns / %.0f ns" % (cpu_ns(results, "CalcDistance" + what),
                                           cpu_ns(results, "EmissionAtFloor" + what)))
    ratio = aggregate(results, "BatchOverCalcDistance", "median")["ratio"]
    line("batch row / bare CalcDistance", ratio, 1.5,
         "batch alone: %.0f ns per row" % (cpu_ns(results, "Batch100k") / 100000))

    small_kb, _ = open(time_small).read().split()[-2:]
    large_kb, large_s = open(time_large).read().split()[-2:]
    line("peak RSS, 1,000,000 rows / 1,000 rows", int(large_kb) / int(small_kb), 1.05,
         "%s KiB / %s KiB" % (large_kb, small_kb))
    seconds = float(large_s)
    print("%-40s %.2f s end to end, %.1f us per row" % (
        "kestrin-cli batch, 1,000,000 rows", seconds, seconds * 1e6 / 1000000))


if __name__ == "__main__":
    main(*sys.argv[1:])
